#pragma once

#include "platform/core/Error.h"

namespace word {

// Word's own error numbers, raised with Word's Japanese descriptions.
enum WordErrorNumber {
    NoDocumentOpen = 4248,        // ActiveDocument with no document open
    CommandNotAvailable = 4605,   // e.g. SeekView outside print layout
    ValueOutOfRange = 4608,       // a Range bound outside its story
    NoSuchMember = 5941,          // a missing member of a collection
};

core::Error wordError(int number);
// An edit refused because it could not be saved exactly (4605), with the reason in Japanese.
core::Error cannotEdit(const QString& why);

} // namespace word
