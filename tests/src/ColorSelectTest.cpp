#include "tests/support/ModalSteps.h"

#include "platform/forms/Colors.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/PropertyBag.h"
#include "platform/forms/Twips.h"
#include "src/format/ctlQLFColorButton.h"
#include "src/format/frmQLFColorSelect.h"
#include "tests/support/MouseSteps.h"

#include <QColorDialog>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int kNotSet = 9999999;
constexpr int kAutomatic = -16777216;

QLabel* face(ctlQLFColorButton* swatch) { return swatch->findChild<QLabel*>(QStringLiteral("lblColor")); }
QLabel* frame(ctlQLFColorButton* swatch) { return swatch->findChild<QLabel*>(QStringLiteral("lblSelectFrame")); }

void clickSwatch(ctlQLFColorButton* swatch) { QTest::mouseClick(face(swatch), Qt::LeftButton); }

QList<int> selectedIndices(const frmQLFColorSelect& form)
{
    QList<int> selected;
    for (int i = 0; i < form.colorButtons().size(); ++i) {
        if (form.colorButtons()[i]->isSelect())
            selected.append(i);
    }
    return selected;
}

struct NewSwatch {
    std::unique_ptr<ctlQLFColorButton> swatch = std::make_unique<ctlQLFColorButton>();
    explicit NewSwatch(const forms::PropertyBag& bag = {}) { swatch->initialize(bag); }
};

} // namespace

TEST(ColorButton, ColourRuleDecidesFaceBorderAndStoredValue)
{
    struct Case {
        int assigned;
        bool opaque;
        QFrame::Shape border;
        int stored;
    };
    const Case cases[] = {
        {255, true, QFrame::NoFrame, 255},
        {0, true, QFrame::NoFrame, 0},
        {0xFFFFFF, true, QFrame::NoFrame, 0xFFFFFF},
        {kAutomatic, false, QFrame::Box, kAutomatic},
        {0x1000000, false, QFrame::Box, kAutomatic},
        {-1, false, QFrame::Box, kAutomatic},
    };
    NewSwatch s;
    EXPECT_EQ(s.swatch->color(), kAutomatic);
    EXPECT_FALSE(face(s.swatch.get())->autoFillBackground());
    EXPECT_EQ(face(s.swatch.get())->frameShape(), QFrame::Box);
    EXPECT_FALSE(s.swatch->isSelect());
    EXPECT_TRUE(face(s.swatch.get())->text().isEmpty());
    for (const Case& c : cases) {
        s.swatch->setColor(c.assigned);
        SCOPED_TRACE(c.assigned);
        EXPECT_EQ(s.swatch->color(), c.stored);
        EXPECT_EQ(face(s.swatch.get())->autoFillBackground(), c.opaque);
        EXPECT_EQ(face(s.swatch.get())->frameShape(), c.border);
        if (c.opaque) {
            EXPECT_EQ(face(s.swatch.get())->palette().color(QPalette::Window), forms::colorFromColorref(c.stored));
        }
    }
}

TEST(ColorButton, EveryAssignmentAndEveryClickRaisesSelectChange)
{
    NewSwatch s;
    QSignalSpy spy(s.swatch.get(), &ctlQLFColorButton::selectChange);
    s.swatch->setIsSelect(true);
    s.swatch->setIsSelect(true);
    EXPECT_EQ(spy.count(), 2);
    EXPECT_TRUE(frame(s.swatch.get())->autoFillBackground());

    s.swatch->setIsSelect(false);
    spy.clear();
    clickSwatch(s.swatch.get());
    EXPECT_TRUE(s.swatch->isSelect());
    EXPECT_EQ(spy.count(), 1);
    clickSwatch(s.swatch.get());
    EXPECT_FALSE(s.swatch->isSelect());
    EXPECT_FALSE(frame(s.swatch.get())->autoFillBackground());
    EXPECT_EQ(spy.count(), 2);
    // Only the left button clicks.
    QTest::mouseClick(face(s.swatch.get()), Qt::RightButton);
    EXPECT_EQ(spy.count(), 2);
    // A double-click is one click: the swatch toggles once.
    deliveredDoubleClick(face(s.swatch.get()));
    EXPECT_TRUE(s.swatch->isSelect());
    EXPECT_EQ(spy.count(), 3);
    clickSwatch(s.swatch.get());
    EXPECT_FALSE(s.swatch->isSelect());
}

TEST(ColorButton, ResizeKeepsASixtyTwipFrameAroundTheFace)
{
    struct Case {
        int widthTwips, heightTwips;
        QRect face;   // twips
    };
    const Case cases[] = {
        {100, 100, {60, 60, 0, 0}},
        {375, 375, {60, 60, 255, 255}},
        {3720, 360, {60, 60, 3600, 240}},
        {450, 30, {60, 60, 330, 0}},
    };
    NewSwatch s;
    // A hidden widget gets its resize events only when shown.
    s.swatch->show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.widthTwips);
        s.swatch->resize(forms::twipsToPixels(QSize(c.widthTwips, c.heightTwips)));
        const QSize inner = forms::pixelsToTwips(s.swatch->size());
        EXPECT_GE(inner.width(), 120);
        EXPECT_GE(inner.height(), 120);
        EXPECT_EQ(face(s.swatch.get())->geometry(), forms::twipsToPixels(c.face));
        EXPECT_EQ(frame(s.swatch.get())->geometry(), QRect(QPoint(0, 0), s.swatch->size()));
    }
}

TEST(ColorButton, StoredPropertiesMatchWithoutCaseAndKeepOnlyWhatDiffersFromDefaults)
{
    forms::PropertyBag bag;
    bag.WriteProperty(QStringLiteral("CAPTION"), QStringLiteral("自動"));
    bag.WriteProperty(QStringLiteral("btntooltiptext"), QStringLiteral("赤"));
    NewSwatch noColor(bag);
    EXPECT_EQ(noColor.swatch->color(), kAutomatic);
    EXPECT_EQ(face(noColor.swatch.get())->text(), QStringLiteral("自動"));
    EXPECT_EQ(face(noColor.swatch.get())->toolTip(), QStringLiteral("赤"));

    bag.WriteProperty(QStringLiteral("Color"), 0);
    bag.WriteProperty(QStringLiteral("isselect"), true);
    NewSwatch black(bag);
    EXPECT_EQ(black.swatch->color(), 0);
    EXPECT_TRUE(black.swatch->isSelect());
    const forms::PropertyBag written = black.swatch->storedProperties();
    EXPECT_EQ(written.names(), (QStringList{"caption", "color", "isSelect", "btnToolTipText"}));

    EXPECT_TRUE(NewSwatch().swatch->storedProperties().isEmpty());
}

namespace {

struct PaletteEntry {
    int color;
    const char* toolTip;
};

// Office's palette: automatic, five rows of eight, and the custom swatch.
const PaletteEntry kPalette[42] = {
    {kAutomatic, "自動"},
    {0x000000, "黒"}, {0x003399, "茶"}, {0x003333, "オリーブ"}, {0x003300, "濃い緑"},
    {0x663300, "濃い青緑"}, {0x800000, "濃い青"}, {0x993333, "インディゴ"}, {0x333333, "80% 灰色"},
    {0x000080, "濃い赤"}, {0x0066FF, "オレンジ"}, {0x008080, "濃い黄"}, {0x008000, "緑"},
    {0x808000, "青緑"}, {0xFF0000, "青"}, {0x996666, "ブルーグレー"}, {0x808080, "50% 灰色"},
    {0x0000FF, "赤"}, {0x0099FF, "薄いオレンジ"}, {0x00CC99, "ライム"}, {0x669933, "シーグリーン"},
    {0xCCCC33, "アクア"}, {0xFF6633, "薄い青"}, {0x800080, "紫"}, {0x999999, "40% 灰色"},
    {0xFF00FF, "ピンク"}, {0x00CCFF, "ゴールド"}, {0x00FFFF, "黄"}, {0x00FF00, "明るい緑"},
    {0xFFFF00, "水色"}, {0xFFCC00, "スカイブルー"}, {0x663399, "プラム"}, {0xC0C0C0, "25% 灰色"},
    {0xCC99FF, "ローズ"}, {0x99CCFF, "ベージュ"}, {0x99FFFF, "薄い黄"}, {0xCCFFCC, "薄い緑"},
    {0xFFFFCC, "薄い水色"}, {0xFFCC99, "ペールブルー"}, {0xFF99CC, "ラベンダー"}, {0xFFFFFF, "白"},
    {0xABCDEF, "その他の色"},
};

class ColorSelect : public ::testing::Test {
protected:
    void SetUp() override { form.Load(); }
    ctlQLFColorButton* swatch(int i) { return form.colorButtons().at(i); }

    frmQLFColorSelect form;
};

} // namespace

TEST_F(ColorSelect, PaletteComesFromTheStoredDesign)
{
    ASSERT_EQ(form.colorButtons().size(), 42);
    for (int i = 0; i < 42; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(swatch(i)->color(), kPalette[i].color);
        EXPECT_EQ(swatch(i)->btnToolTipText(), QString::fromUtf8(kPalette[i].toolTip));
        EXPECT_FALSE(swatch(i)->isSelect());
        if (i >= 1 && i <= 40) {
            const int row = (i - 1) / 8, column = (i - 1) % 8;
            EXPECT_EQ(swatch(i)->geometry(), forms::twipsToPixels(QRect(120 + 480 * column, 480 + 480 * row, 375, 375)));
        }
    }
    EXPECT_EQ(swatch(0)->caption(), QStringLiteral("自動"));
    EXPECT_EQ(swatch(0)->geometry(), forms::twipsToPixels(QRect(120, 120, 3720, 360)));
    EXPECT_EQ(swatch(41)->geometry(), forms::twipsToPixels(QRect(1320, 3000, 375, 375)));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("色の選択"));
    EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("lblOther"))->text(), QStringLiteral("その他の色"));
    EXPECT_EQ(form.findChild<QPushButton*>(QStringLiteral("btnCancel"))->text(), QStringLiteral("キャンセル"));
    EXPECT_EQ(form.clientSizeTwips(), QSize(4095, 4035));
}

TEST_F(ColorSelect, AssignedColourMarksTheFirstMatchingSwatchOrTheCustomOne)
{
    struct Case {
        int assigned;
        int selectedIndex;   // -1: none
        int reads;
    };
    const Case cases[] = {
        {kNotSet, -1, kNotSet},
        {255, 17, 255},
        {kAutomatic, 0, kAutomatic},
        {0x1000000, -1, kNotSet},
        {-1, -1, kNotSet},
        {0, 1, 0},
        {0xABCDEF, 41, 0xABCDEF},
        {0x123456, 41, 0x123456},
        {0xFFFFFF, 40, 0xFFFFFF},
        // wdToggle is a colour to the palette but reads as not set.
        {9999998, 41, kNotSet},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.assigned);
        form.setSelectedColor(c.assigned);
        EXPECT_EQ(selectedIndices(form), c.selectedIndex < 0 ? QList<int>{} : QList<int>{c.selectedIndex});
        EXPECT_EQ(form.selectedColor(), c.reads);
    }
    EXPECT_EQ(swatch(41)->color(), 9999998);
}

TEST_F(ColorSelect, ClicksSelectOneSwatchAndClearTheSelection)
{
    form.setSelectedColor(255);
    clickSwatch(swatch(3));
    EXPECT_EQ(selectedIndices(form), QList<int>{3});
    EXPECT_EQ(form.selectedColor(), 0x003333);
    clickSwatch(swatch(0));
    EXPECT_EQ(selectedIndices(form), QList<int>{0});
    EXPECT_EQ(form.selectedColor(), kAutomatic);
    clickSwatch(swatch(0));
    EXPECT_EQ(selectedIndices(form), QList<int>{});
    EXPECT_EQ(form.selectedColor(), kNotSet);
}

TEST_F(ColorSelect, OtherColourGoesToTheCustomSwatchAndCancelChangesNothing)
{
    forms::MessageRecorder messages;
    form.setSelectedColor(255);
    QColor opened;
    // Cancelled: silent, nothing changes.
    ModalSteps cancel({{"QColorDialog", [&](QWidget* w) {
                            opened = static_cast<QColorDialog*>(w)->currentColor();
                            static_cast<QColorDialog*>(w)->setCurrentColor(Qt::green);
                            static_cast<QColorDialog*>(w)->reject();
                        }}});
    form.findChild<QPushButton*>(QStringLiteral("btnOtherColor"))->click();
    EXPECT_TRUE(cancel.done());
    EXPECT_EQ(opened, forms::colorFromColorref(0xABCDEF));
    EXPECT_EQ(swatch(41)->color(), 0xABCDEF);
    EXPECT_EQ(selectedIndices(form), QList<int>{17});
    EXPECT_EQ(form.selectedColor(), 255);
    EXPECT_TRUE(messages.messages().isEmpty());

    // A palette colour picked there sits on the custom swatch, which alone is selected; given the
    // colour again, the palette's own swatch wins.
    ModalSteps pick({{"QColorDialog", [](QWidget* w) {
                          static_cast<QColorDialog*>(w)->setCurrentColor(forms::colorFromColorref(0x00FF00));
                          static_cast<QColorDialog*>(w)->accept();
                      }}});
    form.findChild<QPushButton*>(QStringLiteral("btnOtherColor"))->click();
    EXPECT_TRUE(pick.done());
    EXPECT_EQ(swatch(41)->color(), 0x00FF00);
    EXPECT_EQ(selectedIndices(form), QList<int>{41});
    EXPECT_EQ(form.selectedColor(), 0x00FF00);
    form.setSelectedColor(0x00FF00);
    EXPECT_EQ(selectedIndices(form), QList<int>{28});
    EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(ColorSelect, ButtonsAndCloseBoxRecordTheButtonAndOnlyHide)
{
    EXPECT_EQ(form.pushedButton(), 2);
    ModalSteps ok({{"frmQLFColorSelect", [](QWidget* w) { ModalSteps::click(w, "btnOK"); }}});
    form.Show(forms::vbModal);
    EXPECT_TRUE(ok.done());
    EXPECT_EQ(form.pushedButton(), 1);
    EXPECT_FALSE(form.isVisible());

    form.setSelectedColor(255);
    ModalSteps closeBox({{"frmQLFColorSelect", [](QWidget* w) {
                              QTest::mouseClick(w->findChild<ctlQLFColorButton*>(QStringLiteral("btnColor(5)"))
                                                    ->findChild<QLabel*>(QStringLiteral("lblColor")),
                                                Qt::LeftButton);
                              QTimer::singleShot(0, w, &QWidget::close);
                          }}});
    form.Show(forms::vbModal);
    EXPECT_TRUE(closeBox.done());
    EXPECT_EQ(form.pushedButton(), 2);
    EXPECT_TRUE(form.isLoaded());
    EXPECT_FALSE(form.isVisible());
    // The selection made before closing stays; the opener ignores it.
    EXPECT_EQ(form.selectedColor(), 0x663300);
}
