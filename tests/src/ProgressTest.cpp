#include "platform/core/Error.h"
#include "src/search/frmCOMProgress.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

class Progress : public ::testing::Test {
protected:
    void SetUp() override { form.Load(); }
    frmCOMProgress form;
};

} // namespace

TEST_F(Progress, LoadsEmptyWithTheBarHidden)
{
    EXPECT_EQ(form.windowTitle(), QString());
    EXPECT_EQ(form.lblText()->text(), QString());
    EXPECT_EQ(form.cmdCancel()->text(), QStringLiteral("キャンセル"));
    EXPECT_EQ(form.lblProgress()->width(), 0);
    form.setTitle(QStringLiteral("検索中..."));
    form.setText(QStringLiteral("検索しています。"));
    form.setProgressText(QStringLiteral("進捗"));
    form.setProgressRate(1);
    form.Show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("検索中..."));
    EXPECT_EQ(form.lblText()->text(), QStringLiteral("検索しています。"));
    EXPECT_EQ(form.lblMax()->text(), QStringLiteral("進捗"));
    EXPECT_EQ(form.lblProgress()->text(), QStringLiteral("進捗"));
    EXPECT_TRUE(form.lblText()->isVisible());
    EXPECT_TRUE(form.cmdCancel()->isVisible());
    EXPECT_FALSE(form.lblMax()->isVisible());
    EXPECT_FALSE(form.lblProgress()->isVisible());
}

TEST_F(Progress, RateSetsTheFilledWidthAndRefusesValuesOutsideZeroToOne)
{
    const int full = form.lblMax()->width();
    ASSERT_GT(full, 0);
    struct Case { double rate; int error; double width; };
    for (const Case c : {Case{0.0, 0, 0.0}, Case{1.0, 0, double(full)}, Case{0.5, 0, full / 2.0},
                         Case{-0.01, 5, full / 2.0}, Case{1.01, 5, full / 2.0}}) {
        int error = 0;
        try {
            form.setProgressRate(c.rate);
        } catch (const core::Error& e) {
            error = e.number();
        }
        EXPECT_EQ(error, c.error) << c.rate;
        EXPECT_NEAR(form.lblProgress()->width(), c.width, 0.5) << c.rate;
        EXPECT_DOUBLE_EQ(form.progressRate(), c.error ? 0.5 : c.rate) << c.rate;
    }
}

TEST_F(Progress, CancelRaisesOnceAndHidesWhileTheCloseBoxDoesNothing)
{
    QSignalSpy cancel(&form, &frmCOMProgress::RequestedCancel);
    form.Show();
    form.close();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(cancel.count(), 0);
    form.cmdCancel()->click();
    EXPECT_EQ(cancel.count(), 1);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.isLoaded());
    form.Unload();
    EXPECT_FALSE(form.isLoaded());
}
