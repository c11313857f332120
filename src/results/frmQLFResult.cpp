#include "src/results/frmQLFResult.h"

#include "platform/core/Error.h"
#include "platform/forms/AnsiCodePage.h"
#include "platform/forms/Conversion.h"
#include "platform/forms/Delimited.h"
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

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPushButton>
#include <QSaveFile>

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

constexpr std::array<int, frmQLFResult::colCount> kWidths = {600, 4000, 800, 1000, 1000, 0, 0};

const QString kUtf8Filter = QStringLiteral("CSV UTF-8、BOM 付き (*.csv)");
const QString kCp932Filter = QStringLiteral("CSV Shift_JIS (*.csv)");

// Where a row's hit is in its document as the document is now. The rows keep positions only and
// do not follow edits: a place an edit has removed (a story gone, or shorter than the row's
// end) is told as such.
struct Place {
    QString location;
    word::Context around;
    bool found = false;
};

Place placeOf(const word::DocumentPtr& doc, const forms::FlexGrid& grid, int row)
{
    const Place lost{QStringLiteral("（検索の後の編集で、この位置はなくなりました）"), {}, false};
    if (!doc)
        return lost;
    try {
        const word::RangePtr hit = clsQLFHitStory::chainedStory(doc, forms::CLng(grid.TextMatrix(row, frmQLFResult::colTypeCode)),
                                                                forms::CLng(grid.TextMatrix(row, frmQLFResult::colChainIndex)));
        hit->setStart(forms::CLng(grid.TextMatrix(row, frmQLFResult::colStart)));
        hit->setEnd(forms::CLng(grid.TextMatrix(row, frmQLFResult::colEnd)));
        return {word::locationText(hit->location(), doc->model(), mdlQLFCode2String::storyType2String),
                hit->context(frmQLFResult::kContextChars), true};
    } catch (const core::Error&) {
        return lost;
    }
}

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

    m_grdResult->setRowToolTip([this](int row) { return rowToolTip(row); });
    m_mnuResult = new QMenu(m_grdResult);   // a window: it goes with the grid, not with the form's controls
    m_mnuResult->setObjectName(QStringLiteral("mnuResult"));
    m_actCopy = m_mnuResult->addAction(QStringLiteral("結果をコピー"), this, &frmQLFResult::copyResults);
    m_actCopy->setShortcut(QKeySequence::Copy);
    m_actCopy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_grdResult->addAction(m_actCopy);   // Ctrl+C while the grid has the focus
    m_actSave = m_mnuResult->addAction(QStringLiteral("結果を保存..."), this, &frmQLFResult::saveResults);
    // The mouse's requests come to the viewport, the menu key's to the grid that has the focus.
    m_grdResult->installEventFilter(this);
    m_grdResult->viewport()->installEventFilter(this);
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
        m_grdResult->setTextMatrix(0, col, header(static_cast<Column>(col)));
}

void frmQLFResult::setColumnWidth()
{
    for (int col = 0; col < colCount; ++col)
        m_grdResult->setColWidth(col, kWidths[col]);
}

QStringList frmQLFResult::listingHeaderRow()
{
    QStringList cells;
    for (int col = colNumber; col <= colTypeCode; ++col)
        cells << header(static_cast<Column>(col));
    for (int col = lstLocation; col <= lstAfter; ++col)
        cells << listingHeader(static_cast<ListingColumn>(col));
    return cells;
}

QStringList frmQLFResult::listingRow(int row) const
{
    QStringList cells;
    for (int col = colNumber; col <= colTypeCode; ++col)
        cells << forms::visibleControls(m_grdResult->TextMatrix(row, col));
    const Place place = placeOf(m_objDocument, *m_grdResult, row);
    cells << place.location << forms::visibleControls(place.around.before) << forms::visibleControls(place.around.after);
    return cells;
}

QString frmQLFResult::rowToolTip(int row) const
{
    if (row < 1 || row >= m_grdResult->Rows())
        return {};
    const Place place = placeOf(m_objDocument, *m_grdResult, row);
    if (!place.found)
        return QStringLiteral("場所: ") + place.location;
    return QStringLiteral("場所: %1\n文脈: %2【%3】%4")
        .arg(place.location, forms::visibleControls(place.around.before),
             forms::visibleControls(m_grdResult->TextMatrix(row, colText)), forms::visibleControls(place.around.after));
}

QString frmQLFResult::selectedRowsText() const
{
    const int current = m_grdResult->Row();
    if (current == 0)
        return {};
    const auto line = [](const QStringList& cells) { return cells.join(QLatin1Char('\t')) + QLatin1Char('\n'); };
    QString text = line(listingHeaderRow());
    const int last = std::max(current, m_grdResult->RowSel());
    for (int row = std::min(current, m_grdResult->RowSel()); row <= last; ++row)
        text += line(listingRow(row));
    return text;
}

void frmQLFResult::copyResults()
{
    const QString text = selectedRowsText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

void frmQLFResult::saveResults()
{
    QFileDialog dialog(this, QStringLiteral("検索結果を保存"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);   // its texts are set here, in Japanese
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({kUtf8Filter, kCp932Filter});
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    if (m_objDocument)   // beside the searched document
        dialog.setDirectory(QFileInfo(m_objDocument->FullName()).absolutePath());
    dialog.selectFile(QStringLiteral("検索結果.csv"));
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("保存する場所:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("ファイル名:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("ファイルの種類:"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("保存"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("キャンセル"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    saveResultsTo(dialog.selectedFiles().front(), dialog.selectedNameFilter() == kCp932Filter);
}

bool frmQLFResult::saveResultsTo(const QString& path, bool cp932)
{
    QString text = forms::csvRecord(listingHeaderRow());
    for (int row = 1; row < m_grdResult->Rows(); ++row)
        text += forms::csvRecord(listingRow(row));
    QByteArray bytes;
    if (cp932) {
        QString unmappable;
        bytes = forms::toAnsi(text, unmappable);
        if (!unmappable.isEmpty()
            && forms::MsgBox(QStringLiteral("次の文字は Shift_JIS で保存できません。\r\n%1\r\n\r\n"
                                            "これらを「?」に置き換えて保存しますか?\r\n"
                                            "そのまま残すには、UTF-8 で保存してください。")
                                 .arg(forms::characterCodes(unmappable)),
                             forms::vbYesNo | forms::vbExclamation | forms::vbDefaultButton2, QStringLiteral("警告"))
                   != forms::vbYes)
            return false;
    } else {
        bytes = forms::kUtf8Bom + text.toUtf8();
    }
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    const QString reason = file.error() == QFileDevice::OpenError
                               ? QStringLiteral("フォルダーがないか、書き込みが許可されていません。")
                               : QStringLiteral("書き込みに失敗しました。ディスクの空きが足りない可能性があります。");
    forms::MsgBox(QStringLiteral("検索結果を保存できませんでした。\r\n%1\r\n\r\n%2\r\n（%3）")
                      .arg(QDir::toNativeSeparators(path), reason, file.errorString()),
                  kWarningStyle, QStringLiteral("警告"));
    return false;
}

bool frmQLFResult::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ContextMenu || !m_grdResult
        || (watched != m_grdResult.data() && watched != m_grdResult->viewport()))
        return Form::eventFilter(watched, event);
    const auto* request = static_cast<QContextMenuEvent*>(event);
    if (request->reason() == QContextMenuEvent::Mouse) {
        popUpMenu(request->globalPos());
    } else {
        // From the keyboard: at the current row, or the grid's corner when there is none.
        const int row = m_grdResult->Row();
        const QRect cell = m_grdResult->visualRect(m_grdResult->model()->index(std::max(row - 1, 0), colText - 1));
        popUpMenu(m_grdResult->viewport()->mapToGlobal(row > 0 ? cell.bottomLeft() : QPoint(0, 0)));
    }
    return true;
}

void frmQLFResult::popUpMenu(const QPoint& globalPos)
{
    m_actCopy->setEnabled(m_grdResult->Row() > 0);
    m_actSave->setEnabled(m_grdResult->Rows() > 1);
    m_mnuResult->popup(globalPos);
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
