// Renders the result window (with rows) and the progress window offscreen, checks that their
// Japanese texts fit their controls, and writes the pictures to $TARVELIN_RENDER_DIR when set.

#include "tests/src/AddinSupport.h"

#include "platform/forms/JapaneseUi.h"
#include "platform/word/Range.h"
#include "src/search/clsQLFFind.h"
#include "src/search/clsQLFFindCondition.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>

#include <gtest/gtest.h>

namespace {

void save(QWidget& widget, const QString& name)
{
    const QPixmap picture = widget.grab();
    EXPECT_FALSE(picture.isNull()) << name.toStdString();
    const QString dir = qEnvironmentVariable("TARVELIN_RENDER_DIR");
    if (!dir.isEmpty()) {
        EXPECT_TRUE(picture.save(QDir(dir).filePath(name))) << name.toStdString();
    }
}

// The text needs no more room than the widget has.
void expectFits(const QWidget& widget, const QString& text, int room)
{
    EXPECT_LE(widget.fontMetrics().horizontalAdvance(text), room) << text.toStdString();
}

} // namespace

TEST(Render, ResultWindowWithRows)
{
    forms::installJapaneseUi(*qApp);
    ConnectedGlobals globals;
    clsQLFFindCondition condition;
    condition.setObjDoc(globals.open(everyStoryDocument()));
    condition.setText(QStringLiteral("K[0-9]"));
    condition.setMatchWildcards(true);
    clsQLFFind().find(condition);
    frmQLFResult& form = *mdlQLFGlobal::g_frmResult;
    forms::FlexGrid& grid = *form.grdResult();
    grid.gridModel().announceRows();
    form.Show();
    QApplication::processEvents();

    const QHeaderView& header = *grid.horizontalHeader();
    for (int c = frmQLFResult::colText; c < frmQLFResult::colTypeCode; ++c)
        expectFits(header, grid.TextMatrix(0, c), header.sectionSize(c - 1));
    // The type column's 800 twips cut the longer story names, as the fixed widths have it.
    for (int r = 1; r < grid.Rows(); ++r)
        expectFits(grid, grid.TextMatrix(r, frmQLFResult::colText), grid.columnWidth(frmQLFResult::colText - 1));
    save(form, QStringLiteral("frmQLFResult.png"));
}

TEST(Render, ProgressWindow)
{
    forms::installJapaneseUi(*qApp);
    frmCOMProgress form;
    form.Load();
    form.setTitle(QStringLiteral("検索中..."));
    form.setText(QStringLiteral("検索しています。"));
    form.setProgressText(QStringLiteral("検索しています。"));
    form.Show();
    QApplication::processEvents();
    expectFits(*form.lblText(), form.text(), form.lblText()->width());
    expectFits(*form.cmdCancel(), form.cmdCancel()->text() + "  ", form.cmdCancel()->width());
    save(form, QStringLiteral("frmCOMProgress.png"));
}
