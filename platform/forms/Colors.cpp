#include "platform/forms/Colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace forms {

QColor colorFromColorref(int colorref)
{
    return QColor(colorref & 0xFF, (colorref >> 8) & 0xFF, (colorref >> 16) & 0xFF);
}

int colorrefFromColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return rgb.red() | (rgb.green() << 8) | (rgb.blue() << 16);
}

QColor oleColor(unsigned value)
{
    if (!(value & 0x80000000u))
        return colorFromColorref(static_cast<int>(value & 0xFFFFFFu));
    const QPalette palette = QGuiApplication::palette();
    switch (value) {
    case vbDesktop: return palette.color(QPalette::Highlight);
    case vbWindowBackground: return palette.color(QPalette::Base);
    case vbWindowText: return palette.color(QPalette::Text);
    case vbButtonFace: return palette.color(QPalette::Button);
    default: return palette.color(QPalette::Window);
    }
}

} // namespace forms
