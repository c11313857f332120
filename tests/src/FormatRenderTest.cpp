#include "platform/forms/JapaneseUi.h"
#include "platform/word/Font.h"
#include "src/format/ctlQLFColorButton.h"
#include "src/format/frmQLFColorSelect.h"
#include "src/format/frmQLFFontSetting.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

// Renders the dialogs as the user sees them. The pictures are written to the folder named by
// TARVELIN_SHOTS, when set, for a look by eye.
namespace {

QImage render(QWidget& form, const char* file)
{
    forms::installJapaneseUi(*qApp);
    form.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QImage image = form.grab().toImage();
    if (const QString dir = qEnvironmentVariable("TARVELIN_SHOTS"); !dir.isEmpty())
        image.save(QDir(dir).filePath(QLatin1String(file)));
    return image;
}

QRect pixelRect(const QWidget* control, const QWidget* form)
{
    return QRect(control->mapTo(form, QPoint(0, 0)), control->size());
}

} // namespace

TEST(FormatRender, PaletteShowsTheColoursAndFramesTheSelectedSwatch)
{
    frmQLFColorSelect form;
    form.setSelectedColor(255);
    const QImage image = render(form, "frmQLFColorSelect.png");
    const auto swatchRect = [&](int i) { return pixelRect(form.colorButtons().at(i), &form); };
    const QColor frame(128, 128, 255);

    EXPECT_EQ(image.pixelColor(swatchRect(17).center()), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(swatchRect(14).center()), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(swatchRect(41).center()), QColor(0xEF, 0xCD, 0xAB));
    EXPECT_EQ(image.pixelColor(swatchRect(17).topLeft() + QPoint(1, 1)), frame);
    EXPECT_NE(image.pixelColor(swatchRect(16).topLeft() + QPoint(1, 1)), frame);
    // The automatic swatch has no colour of its own: the dialog's background shows through.
    EXPECT_EQ(image.pixelColor(swatchRect(0).topLeft() + QPoint(6, 6)), form.palette().color(QPalette::Window));

    form.setSelectedColor(-16777216);
    const QImage automatic = render(form, "frmQLFColorSelect-automatic.png");
    EXPECT_EQ(automatic.pixelColor(swatchRect(0).topLeft() + QPoint(6, 6)), frame);
    EXPECT_NE(automatic.pixelColor(swatchRect(17).topLeft() + QPoint(1, 1)), frame);
}

TEST(FormatRender, FontDialogShowsTheColourInItsOwnColour)
{
    frmQLFFontSetting form;
    word::FontPtr font = word::Font::create();
    font->setColor(255);
    font->setStrikeThrough(-1);
    form.setSettingFont(font);
    const QImage image = render(form, "frmQLFFontSetting.png");
    const QRect box = pixelRect(form.findChild<QLineEdit*>(QStringLiteral("txtFontColor")), &form);
    int red = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            red += image.pixelColor(x, y) == QColor(255, 0, 0);
    EXPECT_GT(red, 20);
}
