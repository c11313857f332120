#pragma once

#include <QColor>

// Colour values as Windows and VB give them.
namespace forms {

// A COLORREF (0x00BBGGRR: red in the low byte) as a colour, and back.
QColor colorFromColorref(int colorref);
int colorrefFromColor(const QColor& color);

// VB system colours (0x80000000 | index) used by the forms.
enum SystemColor : unsigned {
    vbDesktop = 0x80000001,
    vbWindowBackground = 0x80000005,
    vbWindowText = 0x80000008,
    vbButtonFace = 0x8000000F,
};

// An OLE_COLOR: a system colour from the application's palette, otherwise a COLORREF.
QColor oleColor(unsigned value);

} // namespace forms
