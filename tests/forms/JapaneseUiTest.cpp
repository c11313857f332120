#include "platform/forms/FlexGrid.h"
#include "platform/forms/Form.h"
#include "platform/forms/JapaneseUi.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileIconProvider>
#include <QLocale>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace forms;

namespace {

QApplication& app()
{
    return *qobject_cast<QApplication*>(QCoreApplication::instance());
}

// A small form with Japanese captions, as the add-in's dialogs set them.
class CaptionForm : public Form {
public:
    CaptionForm() : Form(QStringLiteral(":/designs/frmSample.json"), Border::Fixed) {}
    FlexGrid* grid = nullptr;

protected:
    void createControls() override
    {
        setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
        auto* label = new QLabel(QStringLiteral("Label1"), this);
        placeFromDesign(label, design().control(QStringLiteral("lblText")));
        label->setObjectName(QStringLiteral("lblText"));
        auto* ok = new QPushButton(QStringLiteral("OK"), this);
        placeFromDesign(ok, design().control(QStringLiteral("btnOK")));
        ok->setObjectName(QStringLiteral("btnOK"));
        auto* highlight = new QCheckBox(this);
        highlight->setObjectName(QStringLiteral("chkHighlight"));
        highlight->setTristate(true);
        highlight->setCheckState(Qt::PartiallyChecked);
        highlight->setGeometry(8, 110, 150, 20);
        grid = new FlexGrid(this);
        grid->setGeometry(8, 30, 284, 78);
        grid->setCols(4);
        grid->setRows(3);
    }
    void Form_Load() override
    {
        setWindowTitle(QStringLiteral("検索"));
        findChild<QLabel*>(QStringLiteral("lblText"))->setText(QStringLiteral("検索する文字列:"));
        findChild<QPushButton*>(QStringLiteral("btnOK"))->setText(QStringLiteral("検索を実行"));
        findChild<QCheckBox*>(QStringLiteral("chkHighlight"))->setText(QStringLiteral("蛍光ペン"));
        const QStringList headers{"項番", "テキスト", "タイプ", "開始位置"};
        for (int c = 0; c < 4; ++c)
            grid->setTextMatrix(0, c, headers[c]);
        const QStringList row1{"1", "ｶﾀｶﾅと漢字", "メイン文書", "10"};
        const QStringList row2{"2", "ヘッダーの語", "ヘッダーとフッター", "0"};
        for (int c = 0; c < 4; ++c) {
            grid->setTextMatrix(1, c, row1[c]);
            grid->setTextMatrix(2, c, row2[c]);
        }
        grid->setColWidth(0, 450);
        grid->setColAlignment(1, flexAlignLeftCenter);
    }
};

} // namespace

TEST(JapaneseUi, WindowsFontNamesResolveToJapaneseFonts)
{
    installJapaneseUi(app());
    const struct {
        const char* requested;
        const char* resolved;
    } cases[] = {
        {"ＭＳ Ｐゴシック", "IPAPGothic"},
        {"MS PGothic", "IPAPGothic"},
        {"ＭＳ ゴシック", "IPAGothic"},
        {"MS Gothic", "IPAGothic"},
    };
    for (const auto& c : cases) {
        const QFont font(QString::fromUtf8(c.requested), 9);
        EXPECT_EQ(QFontInfo(font).family(), QString::fromUtf8(c.resolved)) << c.requested;
        const QFontMetrics metrics(font);
        for (QChar ch : QStringLiteral("検索結果ヘッダーとフッターｶﾀｶﾅ"))
            EXPECT_TRUE(metrics.inFont(ch)) << c.requested;
    }
}

TEST(JapaneseUi, QtStandardButtonsSpeakJapanese)
{
    ASSERT_TRUE(installJapaneseUi(app()));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("キャンセル"));
}

// The file dialog lists a folder's kind and dates as the rest of the interface.
TEST(JapaneseUi, TheFileDialogsKindsAndTheDefaultLocaleAreJapanese)
{
    installJapaneseUi(app());
    EXPECT_EQ(QFileIconProvider().type(QFileInfo(QDir::tempPath())), QStringLiteral("フォルダー"));
    EXPECT_EQ(QLocale().language(), QLocale::Japanese);
}

TEST(JapaneseUi, FormWithJapaneseCaptionsRenders)
{
    installJapaneseUi(app());
    CaptionForm form;
    form.Show();
    form.grid->gridModel().announceRows();
    const QImage image = form.grab().toImage();
    EXPECT_EQ(image.size(), QSize(300, 160));
    for (QWidget* w : form.findChildren<QWidget*>())
        EXPECT_EQ(QFontInfo(w->font()).family(), QStringLiteral("IPAPGothic")) << w->metaObject()->className();
    // The picture goes where TARVELIN_SCREENSHOT_DIR says, for a person to look at.
    const QString dir = qEnvironmentVariable("TARVELIN_SCREENSHOT_DIR", QDir::tempPath());
    EXPECT_TRUE(image.save(QDir(dir).filePath(QStringLiteral("forms-japanese-captions.png"))));
    form.Unload();
}
