#pragma once

#include "platform/core/Error.h"

namespace forms {

// Error numbers the forms runtime raises besides the core runtime's (5, 6, 9, 13, 91).
enum FormsErrorNumber {
    FileNotFound = 53,
    PathFileAccess = 75,
    InvalidFileFormat = 321,
    InvalidPropertyArrayIndex = 381,   // a grid cell outside the grid
    FormAlreadyShown = 400,            // modal Show of a form already shown
    InvalidRowValue = 30009,
    InvalidColValue = 30010,
    CancelSelected = 32755,            // the user cancelled a common dialog
};

// The error with its Japanese description; source names the raising component.
core::Error formsError(int number, const QString& source);

} // namespace forms
