#include "src/results/frmQLFResult.h"

#include "platform/core/Error.h"
#include "platform/forms/FlexGrid.h"
#include "platform/forms/StoredDesign.h"
#include "platform/forms/Twips.h"
#include "platform/word/Document.h"
#include "platform/word/Range.h"
#include "src/log/mdlCOMLog.h"
#include "src/results/mdlQLFCode2String.h"

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

// The story of the given type that is index-th in its chain, over its whole length.
word::RangePtr chainedStory(const word::DocumentPtr& doc, int storyType, int index)
{
    word::RangePtr story = doc->StoryRanges()->Item(storyType);
    for (; index > 0; --index) {
        story = story->NextStoryRange();
        if (!story)
            throw core::runtimeError(core::ObjectNotSet, QStringLiteral("QLF"));
    }
    return story;
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

void frmQLFResult::clear()
{
    m_grdResult->setRows(1);
    m_hitStory = {};
}

void frmQLFResult::appendResult(const word::Range& objRange)
{
    if (m_grdResult->Rows() > kMaxHits)
        throw core::runtimeError(core::Overflow, QStringLiteral("QLF"));
    const int row = m_grdResult->Rows();
    m_grdResult->setRows(row + 1);
    m_grdResult->setTextMatrixNumber(row, colNumber, row);
    const HitStory& hit = hitStory(objRange);
    m_grdResult->setTextMatrix(row, colType, hit.typeName);
    m_grdResult->setTextMatrixNumber(row, colStart, objRange.Start());
    m_grdResult->setTextMatrixNumber(row, colEnd, objRange.End());
    m_grdResult->setTextMatrixNumber(row, colTypeCode, hit.storyType);
    m_grdResult->setTextMatrixNumber(row, colChainIndex, hit.chainIndex);

    // Cut from the story the hit lies in, not the first of its type.
    const word::RangePtr& story = wholeStory();
    if (objRange.Start() > 0)
        story->setStart(objRange.Start());
    if (objRange.End() < story->End())
        story->setEnd(objRange.End());
    m_grdResult->setTextMatrix(row, colText, story->Text());
}

const frmQLFResult::HitStory& frmQLFResult::hitStory(const word::Range& objRange)
{
    word::DocumentPtr doc = objRange.Document();
    if (doc == m_hitStory.doc && objRange.storyIndex() == m_hitStory.storyIndex)
        return m_hitStory;
    HitStory hit;
    hit.storyType = objRange.StoryType();
    hit.typeName = mdlQLFCode2String::storyType2String(hit.storyType);
    hit.chainIndex = objRange.chainIndex();
    hit.doc = std::move(doc);
    hit.storyIndex = objRange.storyIndex();
    m_hitStory = std::move(hit);
    return m_hitStory;
}

const word::RangePtr& frmQLFResult::wholeStory()
{
    HitStory& hit = m_hitStory;
    const uint32_t revision = hit.doc->story(hit.storyIndex).revision;
    if (hit.story && hit.revision == revision) {
        hit.story->setSpan(0, hit.length);
        return hit.story;
    }
    hit.story = chainedStory(hit.doc, hit.storyType, hit.chainIndex);
    hit.revision = revision;
    hit.length = hit.story->End();
    return hit.story;
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
