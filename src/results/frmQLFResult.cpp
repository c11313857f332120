#include "src/results/frmQLFResult.h"

#include "platform/core/Error.h"
#include "platform/forms/Conversion.h"
#include "platform/forms/FlexGrid.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/StoredDesign.h"
#include "platform/forms/Twips.h"
#include "platform/word/Application.h"
#include "platform/word/Comments.h"
#include "platform/word/Document.h"
#include "platform/word/Range.h"
#include "platform/word/Window.h"
#include "src/addin/mdlQLFGlobal.h"
#include "src/log/mdlCOMLog.h"
#include "src/results/mdlQLFCode2String.h"

#include <QKeyEvent>
#include <QPushButton>

#include <array>

// The design and pictures are resources of a static library: they have to be pulled in by name.
static void initResultDesign()
{
    Q_INIT_RESOURCE(frmQLFResult);
}

namespace {

constexpr int kMinOuterHeight = 1920;
constexpr int kMinOuterWidth = 3000;
constexpr int kGridMargin = 120;
constexpr int kKeyReturn = 13;
constexpr int kWarningStyle = forms::vbOKOnly | forms::vbExclamation | forms::vbSystemModal;
constexpr int kInformationStyle = forms::vbOKOnly | forms::vbInformation | forms::vbSystemModal;

// The seek view that shows a story of the given type (the main document for every story that
// is not a header or footer).
int seekViewFor(int storyType)
{
    switch (storyType) {
    case 6: return word::wdSeekEvenPagesHeader;
    case 7: return word::wdSeekPrimaryHeader;
    case 8: return word::wdSeekEvenPagesFooter;
    case 9: return word::wdSeekPrimaryFooter;
    case 10: return word::wdSeekFirstPageHeader;
    case 11: return word::wdSeekFirstPageFooter;
    default: return word::wdSeekMainDocument;
    }
}

const std::array<QString, frmQLFResult::colCount> kHeaders = {
    QStringLiteral("項番"), QStringLiteral("テキスト"), QStringLiteral("タイプ"), QStringLiteral("開始位置"),
    QStringLiteral("終了位置"), QStringLiteral("タイプコード"), QStringLiteral("連結順")};
constexpr std::array<int, frmQLFResult::colCount> kWidths = {600, 4000, 800, 1000, 1000, 0, 0};

QPushButton* pictureButton(const forms::StoredDesign& design, const QString& name, QWidget* parent)
{
    const forms::PropertyBag& props = design.control(name);
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setIcon(QIcon(props.ReadProperty(QStringLiteral("picture")).toString()));
    button->setIconSize(QSize(26, 24));
    forms::placeFromDesign(button, props);
    return button;
}

} // namespace

frmQLFResult::frmQLFResult()
    : Form(QStringLiteral(":/designs/frmQLFResult.json"))
{
    initResultDesign();
}

void frmQLFResult::createControls()
{
    m_grdResult = new forms::FlexGrid(this);
    m_grdResult->setObjectName(QStringLiteral("grdResult"));
    forms::placeFromDesign(m_grdResult, design().control(QStringLiteral("grdResult")));
    m_grdResult->setCols(colCount);
    m_grdResult->setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    m_grdResult->setColAlignment(colText, forms::flexAlignLeftCenter);

    m_cmdPrevious = pictureButton(design(), QStringLiteral("cmdPrevious"), this);
    m_cmdNext = pictureButton(design(), QStringLiteral("cmdNext"), this);
    setTabOrder(m_grdResult, m_cmdPrevious);
    setTabOrder(m_cmdPrevious, m_cmdNext);

    connect(m_cmdNext, &QPushButton::clicked, this, &frmQLFResult::cmdNext_Click);
    connect(m_cmdPrevious, &QPushButton::clicked, this, &frmQLFResult::cmdPrevious_Click);
    connect(m_grdResult, &forms::FlexGrid::DblClick, this, &frmQLFResult::grdResult_DblClick);
    connect(m_grdResult, &forms::FlexGrid::KeyPress, this, &frmQLFResult::grdResult_KeyPress);
}

void frmQLFResult::Form_Load()
{
    mdlCOMLog::writeLog(3, QStringLiteral("frmQLFResult.Form_Load IN"));
    m_grdResult->setRows(1);
    setCaptions();
    setGridHeader();
    setColumnWidth();
    mdlCOMLog::writeLog(3, QStringLiteral("frmQLFResult.Form_Load OUT"));
}

void frmQLFResult::setCaptions()
{
    setWindowTitle(QStringLiteral("検索結果"));
    m_cmdPrevious->setToolTip(QStringLiteral("前を表示"));
    m_cmdNext->setToolTip(QStringLiteral("次を表示"));
}

void frmQLFResult::setGridHeader()
{
    for (int col = 0; col < colCount; ++col)
        m_grdResult->setTextMatrix(0, col, kHeaders[col]);
}

void frmQLFResult::setColumnWidth()
{
    for (int col = 0; col < colCount; ++col)
        m_grdResult->setColWidth(col, kWidths[col]);
}

const QString& frmQLFResult::header(Column col)
{
    return kHeaders[col];
}

void frmQLFResult::clear()
{
    m_grdResult->setRows(1);
    m_hitStory.clear();
}

void frmQLFResult::appendResult(const word::Range& objRange, int chainIndex)
{
    if (m_grdResult->Rows() > kMaxHits)
        throw core::runtimeError(core::Overflow, QStringLiteral("QLF"));
    const int row = m_grdResult->Rows();
    m_grdResult->setRows(row + 1);
    m_grdResult->setTextMatrixNumber(row, colNumber, row);
    m_hitStory.moveTo(objRange, chainIndex);
    m_grdResult->setTextMatrix(row, colType, m_hitStory.typeName());
    m_grdResult->setTextMatrixNumber(row, colStart, objRange.Start());
    m_grdResult->setTextMatrixNumber(row, colEnd, objRange.End());
    m_grdResult->setTextMatrixNumber(row, colTypeCode, m_hitStory.storyType());
    m_grdResult->setTextMatrixNumber(row, colChainIndex, chainIndex);
    // Cut from the story the hit lies in, not the first of its type.
    m_grdResult->setTextMatrix(row, colText, m_hitStory.textAt(objRange));
}

void frmQLFResult::Form_Resize()
{
    if (isMinimized())
        return;
    QSize outer = outerSizeTwips();
    if (outer.height() < kMinOuterHeight) {
        outer.setHeight(kMinOuterHeight);
        setOuterSizeTwips(outer);
    }
    if (outer.width() < kMinOuterWidth) {
        outer.setWidth(kMinOuterWidth);
        setOuterSizeTwips(outer);
    }
    const QSize client = clientSizeTwips();
    const int left = forms::pixelsToTwipsX(m_grdResult->x());
    const int top = forms::pixelsToTwipsY(m_grdResult->y());
    m_grdResult->resize(forms::twipsToPixelsX(client.width() - left - kGridMargin),
                        forms::twipsToPixelsY(client.height() - top - kGridMargin));
}

void frmQLFResult::Form_QueryUnload(int& cancel, int unloadMode)
{
    if (unloadMode == forms::vbFormControlMenu) {
        cancel = 1;
        Hide();
    }
}

void frmQLFResult::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        Form::keyPressEvent(event);
}

void frmQLFResult::cmdNext_Click()
{
    const int r = m_grdResult->Row();
    if (r == -1 || r == m_grdResult->Rows() - 1 || r == 0)
        return;
    moveToRow(r + 1, r);
}

void frmQLFResult::cmdPrevious_Click()
{
    const int r = m_grdResult->Row();
    if (r == -1 || r == 0 || r == 1)
        return;
    moveToRow(r - 1, r - 1 == 1 ? 1 : r - 2);
}

// Selects row whole, scrolled so that topRow is the first shown, and jumps to its hit; a grid
// error is reported and nothing is jumped to.
void frmQLFResult::moveToRow(int row, int topRow)
{
    try {
        m_grdResult->setRow(row);
        m_grdResult->setCol(0);
        m_grdResult->setColSel(m_grdResult->Cols() - 1);
        m_grdResult->setTopRow(topRow);
    } catch (const core::Error& e) {
        forms::MsgBox(QStringLiteral("エラーが発生しました。\r\nエラー詳細：") + e.description(), kWarningStyle,
                      QStringLiteral("警告"));
        return;
    }
    jumpToResult(static_cast<int16_t>(m_grdResult->Row()));
}

void frmQLFResult::grdResult_DblClick()
{
    const int r = m_grdResult->Row();
    if (r != 0)
        jumpToResult(static_cast<int16_t>(r));
}

void frmQLFResult::grdResult_KeyPress(int keyAscii)
{
    if (keyAscii == kKeyReturn)
        grdResult_DblClick();
}

void frmQLFResult::jumpToResult(int16_t row)
{
    const auto& documents = mdlQLFGlobal::g_objApplication->Documents()->items();
    if (!m_objDocument || std::find(documents.begin(), documents.end(), m_objDocument) == documents.end()) {
        forms::MsgBox(QStringLiteral("ドキュメントが閉じられているため、検索結果場所へジャンプできません"),
                      kInformationStyle, QStringLiteral("情報"));
        return;
    }
    try {
        // The hit's own story: the type's chain is followed to the story the row records.
        const int32_t code = forms::CLng(m_grdResult->TextMatrix(row, colTypeCode));
        const word::RangePtr story = clsQLFHitStory::chainedStory(
            m_objDocument, code, forms::CLng(m_grdResult->TextMatrix(row, colChainIndex)));
        story->setStart(forms::CLng(m_grdResult->TextMatrix(row, colStart)));
        story->setEnd(forms::CLng(m_grdResult->TextMatrix(row, colEnd)));

        const word::ViewPtr view = m_objDocument->ActiveWindow()->View();
        if (view->SplitSpecial() != word::wdPaneNone)
            view->setType(word::wdPrintView);
        else
            m_objDocument->ActiveWindow()->ActivePane()->View()->setType(word::wdPrintView);

        if (story->StoryType() == 4)
            story->Comments()->Item(1)->Edit();
        else
            view->setSeekView(seekViewFor(story->StoryType()));
        story->Select();
        m_objDocument->Activate();
        mdlQLFGlobal::g_objApplication->Activate();
    } catch (const core::Error& e) {
        forms::MsgBox(QStringLiteral("ジャンプできませんでした。\r\n"
                                     "もし、検索後にドキュメントを検索した場合は再度検索を実施してみてください。\r\n\r\n"
                                     "エラー詳細:") + e.description(),
                      kWarningStyle, QStringLiteral("警告"));
    }
}
