#pragma once

#include <QTest>

// A left double-click as a window system delivers it (QTest::mouseDClick sends its third event only).
inline void deliveredDoubleClick(QWidget* widget, QPoint at = {})
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}
