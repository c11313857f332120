#pragma once

#include <QTest>

// A left double-click as a window system delivers it: press, release, double-click, release.
// (QTest::mouseDClick on a widget sends the double-click event alone.)
inline void deliveredDoubleClick(QWidget* widget, QPoint at = {})
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}
