#pragma once

#include <QRect>
#include <QSize>

// Layout lengths as the forms store them: twips (1/1440 inch) and, for user control extents,
// HIMETRIC (1/100 mm). Pixels follow the primary screen's logical DPI (15 twips per pixel at
// 96 dpi, also when there is no screen).
namespace forms {

double twipsPerPixelX();
double twipsPerPixelY();

int twipsToPixelsX(int twips);
int twipsToPixelsY(int twips);
int pixelsToTwipsX(int pixels);
int pixelsToTwipsY(int pixels);
QSize twipsToPixels(QSize twips);
QSize pixelsToTwips(QSize pixels);
QRect twipsToPixels(const QRect& twips);

int himetricToTwips(int himetric);
int twipsToHimetric(int twips);

} // namespace forms
