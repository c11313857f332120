#include "platform/forms/Twips.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace forms {

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr double kHimetricPerInch = 2540.0;
constexpr double kDefaultDpi = 96.0;

QScreen* screen()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen()
                                                                           : nullptr;
}

int round(double v)
{
    return static_cast<int>(std::lround(v));
}

} // namespace

double twipsPerPixelX()
{
    const QScreen* s = screen();
    return kTwipsPerInch / (s ? s->logicalDotsPerInchX() : kDefaultDpi);
}

double twipsPerPixelY()
{
    const QScreen* s = screen();
    return kTwipsPerInch / (s ? s->logicalDotsPerInchY() : kDefaultDpi);
}

int twipsToPixelsX(int twips) { return round(twips / twipsPerPixelX()); }
int twipsToPixelsY(int twips) { return round(twips / twipsPerPixelY()); }
int pixelsToTwipsX(int pixels) { return round(pixels * twipsPerPixelX()); }
int pixelsToTwipsY(int pixels) { return round(pixels * twipsPerPixelY()); }

QSize twipsToPixels(QSize twips)
{
    return {twipsToPixelsX(twips.width()), twipsToPixelsY(twips.height())};
}

QSize pixelsToTwips(QSize pixels)
{
    return {pixelsToTwipsX(pixels.width()), pixelsToTwipsY(pixels.height())};
}

QRect twipsToPixels(const QRect& twips)
{
    return {QPoint(twipsToPixelsX(twips.x()), twipsToPixelsY(twips.y())), twipsToPixels(twips.size())};
}

int himetricToTwips(int himetric) { return round(himetric * kTwipsPerInch / kHimetricPerInch); }
int twipsToHimetric(int twips) { return round(twips * kHimetricPerInch / kTwipsPerInch); }

} // namespace forms
