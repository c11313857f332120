#include "host/FindCommand.h"

#include "host/HitLocation.h"
#include "host/OrderedJobs.h"
#include "host/SearchOptions.h"
#include "platform/core/Error.h"
#include "platform/docx/Package.h"
#include "platform/forms/AnsiCodePage.h"
#include "platform/forms/Delimited.h"
#include "platform/word/Application.h"
#include "platform/word/Document.h"
#include "platform/word/Font.h"
#include "platform/word/Location.h"
#include "platform/word/Range.h"
#include "src/results/clsQLFHitList.h"
#include "src/results/clsQLFHitStory.h"
#include "src/results/mdlQLFCode2String.h"
#include "src/search/clsQLFFindCondition.h"
#include "src/search/mdlQLFSearch.h"

#include <QCommandLineParser>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <array>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include <unistd.h>

namespace host {

namespace {

const char* const kUsage =
    "使い方: tarvelin find --text 文字列 [オプション...] ファイル.docx|フォルダー...\n"
    "\n"
    "文書のすべての部分（本文、脚注、文末脚注、コメント、テキストボックス、各セクションのヘッダーとフッター、\n"
    "脚注の区切り線など）を検索し、検索結果画面と同じ行を出力します。\n"
    "\n"
    "検索条件:\n"
    "%1"
    "\n"
    "ファイル:\n"
    "  -r, --recursive        フォルダーの中の文書（.docx .docm .dotx .dotm）をすべて検索する\n"
    "  -j, --jobs N           N 個の文書を並行して検索する（既定はコア数）。出力の順序は変わらない\n"
    "\n"
    "出力:\n"
    "  --json                 JSON で出力する（各行に場所 location と前後の文脈 context を含む）\n"
    "  --csv                  CSV（RFC 4180）で出力する（場所と前後の文脈の列を含む）\n"
    "  --encoding utf-8|cp932 CSV の文字コード（既定は BOM 付きの utf-8）。cp932 で表せない文字は\n"
    "                         ? にして標準エラー出力に報告し、終了コードを 2 にする\n"
    "  --location             表の最後に場所の列を加える\n"
    "  --context N            文脈として前後それぞれ N 文字まで出力する（既定 20）\n"
    "  -l, --files-with-matches\n"
    "                         見つかったファイルの名前だけを出力する\n"
    "  -c, --count            ファイルごとの件数だけを出力する\n"
    "  --count-by-story       ファイルごと、部分の種類ごとの件数を出力する\n"
    "  --max-count N          ファイルごとに N 件で検索をやめる\n"
    "  --help                 この説明を表示する\n"
    "\n"
    "表の出力はタブ区切りです。ヒットした文字列の中の段落記号は ¶、そのほかの制御文字は\n"
    "U+2400 台の制御文字記号（タブは ␉ など）で表示します。標準エラー出力が端末のときは、\n"
    "最後に件数、ファイル数、時間の要約を標準エラー出力に表示します。\n"
    "終了コード: 0 見つかった、1 見つからなかった、2 エラー、130 Ctrl-C で中止（それまでの結果は出力済み）。\n";

QString usage()
{
    return QString::fromUtf8(kUsage).arg(SearchOptions::help());
}

// Characters of context on each side of a hit unless --context says otherwise.
constexpr int kDefaultContext = 20;

// What is printed for each file: its rows, only its name when it has a hit, or its counts.
enum class Listing { Rows, Files, Count, CountByStory };
// How rows are written.
enum class Format { Table, Json, Csv };

struct Request {
    clsQLFFindCondition condition;
    match::FuzzyOptions fuzzy;
    Format format = Format::Table;
    bool cp932 = false;   // CSV in code page 932 rather than UTF-8
    bool location = false;
    int context = kDefaultContext;
    Listing listing = Listing::Rows;
    int maxCount = 0;   // hits per file; 0 for no limit
    bool recursive = false;
    int jobs = 1;
    QStringList files;
};

// A count option's value: a whole number from min up.
std::optional<int> countValue(const QCommandLineParser& p, const QCommandLineOption& option, int min)
{
    bool ok = false;
    const int n = p.value(option).toInt(&ok);
    return ok && n >= min ? std::optional(n) : std::nullopt;
}

// Reads the command line into a search condition; returns an error text when it is not usable.
QString parse(const QStringList& arguments, Request& request, bool& help)
{
    QCommandLineParser p;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const SearchOptions search(p);
    const QCommandLineOption helpOption("help");
    const QCommandLineOption json("json");
    const QCommandLineOption csv("csv");
    const QCommandLineOption encoding("encoding", {}, "utf-8|cp932");
    const QCommandLineOption location("location");
    const QCommandLineOption context("context", {}, "N");
    const QCommandLineOption recursive(QStringList{"r", "recursive"});
    const QCommandLineOption jobs(QStringList{"j", "jobs"}, {}, "N");
    const QCommandLineOption filesOnly(QStringList{"l", "files-with-matches"});
    const QCommandLineOption count(QStringList{"c", "count"});
    const QCommandLineOption countByStory("count-by-story");
    const QCommandLineOption maxCount("max-count", {}, "N");
    p.addOptions({helpOption, json, csv, encoding, location, context, recursive, jobs, filesOnly, count,
                  countByStory, maxCount});
    if (!p.parse(QStringList{QStringLiteral("tarvelin find")} + arguments))
        return p.errorText();
    help = p.isSet(helpOption);
    if (help)
        return {};

    if (const QString error = search.read(p, request.condition, request.fuzzy); !error.isEmpty())
        return error;
    request.format = p.isSet(json) ? Format::Json : p.isSet(csv) ? Format::Csv : Format::Table;
    if (p.isSet(encoding)) {
        const QString value = p.value(encoding).toLower();
        if (!p.isSet(csv) || (value != QLatin1String("utf-8") && value != QLatin1String("cp932")))
            return QStringLiteral("--encoding は --csv とともに utf-8 か cp932 を指定してください");
        request.cp932 = value == QLatin1String("cp932");
    }
    request.location = p.isSet(location);
    if (p.isSet(context)) {
        const auto n = countValue(p, context, 0);
        if (!n)
            return QStringLiteral("--context には 0 以上の文字数を指定してください");
        request.context = *n;
    }
    if (p.isSet(maxCount)) {
        const auto n = countValue(p, maxCount, 1);
        if (!n)
            return QStringLiteral("--max-count には 1 以上の件数を指定してください");
        request.maxCount = *n;
    }
    request.jobs = std::max(1, QThread::idealThreadCount());
    if (p.isSet(jobs)) {
        const auto n = countValue(p, jobs, 1);
        if (!n)
            return QStringLiteral("--jobs には 1 以上の数を指定してください");
        request.jobs = *n;
    }
    request.recursive = p.isSet(recursive);
    const int listings = p.isSet(filesOnly) + p.isSet(count) + p.isSet(countByStory) + p.isSet(json) + p.isSet(csv);
    if (listings > 1)
        return QStringLiteral("--json、--csv、-l、-c、--count-by-story はどれか一つだけ指定してください");
    request.listing = p.isSet(filesOnly) ? Listing::Files
                      : p.isSet(count)   ? Listing::Count
                      : p.isSet(countByStory) ? Listing::CountByStory
                                              : Listing::Rows;
    request.files = p.positionalArguments();
    if (!search.textGiven(p))
        return QStringLiteral("--text を指定してください");
    if (request.files.isEmpty())
        return QStringLiteral("検索するファイルを指定してください");
    return {};
}

// Ctrl-C stops the running search at its next hit, as the progress window's cancel button does;
// the hits found so far are kept and printed. Read by the searching threads too.
std::atomic<bool> g_interrupted = false;
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

void onInterrupt(int)
{
    g_interrupted = true;
}

// Where one file's output goes, in the order it is written: rows and counts, messages, and the
// mark that the file's document is open (a listing's header is due with the first such file).
class FileOutput {
public:
    virtual ~FileOutput() = default;
    virtual void out(const QByteArray& bytes) = 0;
    virtual void err(const QString& text) = 0;
    virtual void opened() = 0;
};

// The result window's rows of one file at a time, each written as it comes so that memory does not
// grow with the hits, and with no ceiling on their number: the cells are the window's own
// (clsQLFHitStory), numbered from 1 for each file. A table has the window's header once (and a
// location column at its end when asked for), and each line starts with its file's name when
// there are several files; JSON is one array of objects over all the files, each with the hit's
// location and context, each written after ",\n" (the array's opening is the Printer's). The other
// listings write a file's name at its first hit, or its counts once it is searched.
class FileRows : public clsQLFHitList {
public:
    FileRows(const Request& request, bool withFile)
        : m_format(request.format), m_cp932(request.cp932), m_location(request.location || request.format == Format::Csv),
          m_context(request.context), m_listing(request.listing), m_maxCount(request.maxCount), m_withFile(withFile)
    {
    }

    // Starts on a file, its output to out.
    void start(const QString& file, FileOutput& out)
    {
        m_file = file;
        m_quotedFile.resize(0);
        ByteSink(m_quotedFile).jsonString(file);
        m_out = &out;
        m_count = 0;
        m_stopped = false;
        m_lossy = false;
    }
    int count() const { return m_count; }
    // Whether the file needs no more hits.
    bool stopped() const { return m_stopped; }
    // Whether some character could not be written in the output's code page.
    bool lossy() const { return m_lossy; }
    // Writes the counts of the file just searched.
    void finishFile()
    {
        const QString prefix = m_withFile ? m_file + QLatin1Char('\t') : QString();
        if (m_listing == Listing::Count)
            print(prefix + QString::number(m_count) + QLatin1Char('\n'));
        if (m_listing == Listing::CountByStory)
            for (int type = docx::kFirstStoryType; type <= docx::kLastStoryType; ++type)
                if (m_byType[type] > 0)
                    print(QStringLiteral("%1%2\t%3\t%4\n")
                              .arg(prefix, mdlQLFCode2String::storyType2String(type), QString::number(type),
                                   QString::number(m_byType[type])));
    }
    // The listing's header line, when it has one.
    void printHeader()
    {
        if (m_listing != Listing::Rows || m_format == Format::Json)
            return;
        QStringList cells;
        if (m_withFile)
            cells << QStringLiteral("ファイル");
        for (int c = clsQLFHitList::colNumber; c <= clsQLFHitList::colTypeCode; ++c)
            cells << clsQLFHitList::header(static_cast<clsQLFHitList::Column>(c));
        if (m_location)
            cells << clsQLFHitList::listingHeader(clsQLFHitList::lstLocation);
        if (m_format == Format::Csv) {
            cells << clsQLFHitList::listingHeader(clsQLFHitList::lstBefore)
                  << clsQLFHitList::listingHeader(clsQLFHitList::lstAfter);
            if (!m_cp932)
                m_out->out(QByteArray(forms::kUtf8Bom));
            printCsv(cells);
        } else {
            print(cells.join(QLatin1Char('\t')) + QLatin1Char('\n'));
        }
    }

    void clear() override
    {
        m_count = 0;
        m_byType.fill(0);
        m_story.clear();
        m_out->opened();
    }
    void setDocument(word::DocumentPtr objDoc) override
    {
        m_doc = std::move(objDoc);
        m_locator.reset();
        if (m_doc && m_listing == Listing::Rows && (m_format != Format::Table || m_location))
            m_locator.emplace(m_doc->model());
    }
    void appendResult(const word::Range& objRange, int chainIndex) override
    {
        ++m_count;
        switch (m_listing) {
        case Listing::Rows: printRow(objRange, chainIndex); break;
        case Listing::Files:
            if (m_count == 1)
                print(m_file + QLatin1Char('\n'));
            break;
        case Listing::Count: break;
        case Listing::CountByStory: ++m_byType.at(static_cast<std::size_t>(objRange.StoryType())); break;
        }
        m_stopped = m_listing == Listing::Files || m_count == m_maxCount;
    }

private:
    void printRow(const word::Range& objRange, int chainIndex)
    {
        m_story.moveTo(objRange, chainIndex);
        const QString text = m_story.textAt(objRange);
        const word::Location at = m_locator ? m_locator->locate(objRange.storyIndex(), objRange.Start()) : word::Location();
        if (m_format == Format::Json) {
            printJson(objRange, chainIndex, text, at);
            return;
        }
        if (m_format == Format::Csv) {
            const word::Context around = m_locator->context(objRange.storyIndex(), objRange.Start(), objRange.End(), m_context);
            QStringList cells;
            if (m_withFile)
                cells << m_file;
            cells << QString::number(m_count) << forms::visibleControls(text) << m_story.typeName()
                  << QString::number(objRange.Start()) << QString::number(objRange.End())
                  << QString::number(m_story.storyType()) << place(at) << forms::visibleControls(around.before)
                  << forms::visibleControls(around.after);
            printCsv(cells);
            return;
        }
        m_row.resize(0);
        {
            ByteSink row(m_row);
            if (m_withFile) {
                row.text(m_file);
                row.bytes("\t");
            }
            row.number(m_count);
            row.bytes("\t");
            row.visibleText(text);
            row.bytes("\t");
            row.text(m_story.typeName());
            row.bytes("\t");
            row.number(objRange.Start());
            row.bytes("\t");
            row.number(objRange.End());
            row.bytes("\t");
            row.number(m_story.storyType());
            if (m_location) {
                row.bytes("\t");
                row.text(place(at));
            }
            row.bytes("\n");
        }
        m_out->out(m_row);
    }
    // Rows are written as UTF-8 into one buffer kept from row to row: the row's pieces each in a
    // string of their own, converted after, cost more than finding the hit did.
    void printJson(const word::Range& objRange, int chainIndex, const QString& text, const word::Location& at)
    {
        const word::Context around = m_locator->context(objRange.storyIndex(), objRange.Start(), objRange.End(), m_context);
        m_row.resize(0);
        {
            ByteSink row(m_row);
            row.bytes(",\n  {\"file\": ");
            row.bytes(m_quotedFile);
            row.bytes(", \"no\": ");
            row.number(m_count);
            row.bytes(", \"text\": ");
            row.jsonString(text);
            row.bytes(", \"type\": ");
            row.jsonString(m_story.typeName());
            row.bytes(", \"start\": ");
            row.number(objRange.Start());
            row.bytes(", \"end\": ");
            row.number(objRange.End());
            row.bytes(", \"code\": ");
            row.number(m_story.storyType());
            row.bytes(", \"story\": ");
            row.number(chainIndex);
            row.bytes(", \"location\": {");
            appendLocationJson(row, at, m_doc->model());
            row.bytes("}, \"context\": {\"before\": ");
            row.jsonString(around.before);
            row.bytes(", \"after\": ");
            row.jsonString(around.after);
            row.bytes("}}");
        }
        m_out->out(m_row);
    }
    void print(const QString& text) { m_out->out(text.toUtf8()); }
    QString place(const word::Location& at) const
    {
        return word::locationText(at, m_doc->model(), mdlQLFCode2String::storyType2String);
    }
    // One CSV record. In code page 932 the characters it cannot hold are reported with their row.
    void printCsv(const QStringList& cells)
    {
        const QString record = forms::csvRecord(cells);
        if (!m_cp932) {
            print(record);
            return;
        }
        QString unmappable;
        m_out->out(forms::toAnsi(record, unmappable));
        if (!unmappable.isEmpty()) {
            m_lossy = true;
            m_out->err(QStringLiteral("tarvelin find: %1: 項番 %2: cp932 で表せない文字を ? にしました: %3\n")
                           .arg(m_file, m_count > 0 ? QString::number(m_count) : QStringLiteral("見出し"),
                                forms::characterCodes(unmappable)));
        }
    }

    const Format m_format;
    const bool m_cp932;
    const bool m_location;
    const int m_context;
    const Listing m_listing;
    const int m_maxCount;
    const bool m_withFile;
    FileOutput* m_out = nullptr;
    QString m_file;
    QByteArray m_quotedFile;
    QByteArray m_row;   // a table or JSON row, its memory kept for the next
    clsQLFHitStory m_story;
    word::DocumentPtr m_doc;
    std::optional<word::Locator> m_locator;
    std::array<int, docx::kLastStoryType + 1> m_byType{};
    int m_count = 0;
    bool m_stopped = false;
    bool m_lossy = false;
};

// What the end of the run needs to know of a file's search.
struct FileOutcome {
    int hits = 0;
    bool searched = false;   // the document opened and was searched, or its search failed
    bool failed = false;
    bool lossy = false;
};

// Searches files one after the other with the add-in's search, on one thread: each thread that
// searches has one of these, with its own application, so that nothing of the object model is
// shared between threads.
class FileSearch {
public:
    // partsOnOneThread: read each document on this thread alone, where other threads read others.
    FileSearch(const Request& request, bool withFile, bool partsOnOneThread)
        : m_condition(request.condition), m_rows(request, withFile), m_oneThread(partsOnOneThread),
          m_app(word::Application::create())
    {
        m_app->fuzzyOptions() = request.fuzzy;
    }

    // Searches file, its output to out. keepGoing is asked before each hit with the hits so far.
    FileOutcome search(const QString& file, FileOutput& out, const std::function<bool(int)>& keepGoing)
    {
        FileOutcome outcome;
        m_rows.start(file, out);
        word::DocumentPtr doc;
        try {
            if (m_oneThread) {
                docx::LoadOptions options;
                options.oneThread = true;
                doc = m_app->Documents()->Open(docx::load(file, options));
            } else {
                doc = m_app->Documents()->Open(file, true);
            }
        } catch (const core::Error& e) {
            out.err(QStringLiteral("tarvelin find: %1: %2\n").arg(file, e.description()));
            outcome.failed = true;
            return outcome;
        }
        for (const QString& notice : doc->model().notices)
            out.err(QStringLiteral("tarvelin find: %1: %2\n").arg(file, notice));
        m_condition.setObjDoc(doc);
        try {
            mdlQLFSearch::searchDocument(m_condition, m_rows, [&] {
                return keepGoing(m_rows.count()) && !m_rows.stopped() && !g_interrupted;
            });
        } catch (const core::Error& e) {
            // The hits written before the failure stand, as they stay listed in the result window.
            outcome.failed = true;
            out.err(QStringLiteral("tarvelin find: %1: %2\n").arg(file, e.description()));
        }
        m_rows.finishFile();
        m_condition.setObjDoc(nullptr);
        m_rows.setDocument(nullptr);
        doc->Close();
        outcome.searched = true;
        outcome.hits = m_rows.count();
        outcome.lossy = m_rows.lossy();
        return outcome;
    }

private:
    clsQLFFindCondition m_condition;
    FileRows m_rows;
    const bool m_oneThread;
    word::ApplicationPtr m_app;
};

// While the rows go to a file or a pipe, a line on the terminal's standard error once the run has
// taken longer than about half a second: which file of how many, and its hits so far. It is redrawn
// as each file starts and, during a long search, at a hit at most five times a second. Rows
// printed on the terminal show the progress themselves.
class ProgressLine {
public:
    explicit ProgressLine(int files) : m_files(files)
    {
        if (!isatty(STDERR_FILENO) || isatty(STDOUT_FILENO))
            return;
        m_clock.start();
    }
    ~ProgressLine() { clear(); }

    void startFile(const QString& file, int index)
    {
        m_file = file;
        m_index = index;
        show(-1);  // no hits counted yet
    }
    void hit(int hits)
    {
        if (m_clock.isValid() && m_clock.elapsed() - m_lastShown >= 200)
            show(hits);
    }
    void clear()
    {
        if (m_shown)
            printErr(QStringLiteral("\r\033[K"));
        m_shown = false;
    }

private:
    void show(int hits)
    {
        if (!m_clock.isValid() || m_clock.elapsed() < 500)
            return;
        const QString counted = hits >= 0 ? QStringLiteral(" %1 件").arg(hits) : QString();
        printErr(QStringLiteral("\r\033[K%1 (%2/%3): 検索しています...%4").arg(m_file).arg(m_index + 1).arg(m_files).arg(counted));
        m_shown = true;
        m_lastShown = m_clock.elapsed();
    }

    const int m_files;
    QString m_file;
    int m_index = 0;
    QElapsedTimer m_clock;
    qint64 m_lastShown = 0;
    bool m_shown = false;
};

// The files' output as it reaches the terminal or the pipe, in the order of the files: opens and
// closes the JSON array and writes the listing's header once, before the first document opened.
class Printer : public FileOutput {
public:
    Printer(Format format, ProgressLine& progress, std::function<void()> header)
        : m_json(format == Format::Json), m_progress(progress), m_header(std::move(header))
    {
    }

    void out(const QByteArray& bytes) override
    {
        if (m_json && !m_arrayOpen && !bytes.isEmpty()) {
            // The first row opens the array in place of the separator the rows start with.
            std::fputs("[\n", stdout);
            std::fwrite(bytes.constData() + 2, 1, static_cast<std::size_t>(bytes.size() - 2), stdout);
            m_arrayOpen = true;
            return;
        }
        std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    }
    void err(const QString& text) override
    {
        m_progress.clear();
        printErr(text);
    }
    void opened() override
    {
        if (!m_headerWritten) {
            m_headerWritten = true;
            m_header();
        }
    }
    // Ends the output: closes the JSON array.
    void finish()
    {
        if (m_json)
            std::fputs(m_arrayOpen ? "\n]\n" : "[]\n", stdout);
        std::fflush(stdout);
    }

private:
    const bool m_json;
    ProgressLine& m_progress;
    const std::function<void()> m_header;
    bool m_arrayOpen = false;
    bool m_headerWritten = false;
};

// A file's output on its way from a searching thread to the Printer: rows gathered into pieces
// of some kilobytes, messages and the opening mark each as they come, all in their order.
class QueuedOutput : public FileOutput {
public:
    enum Channel { Out, Err, Opened };

    explicit QueuedOutput(OrderedJobs::Writer& writer) : m_writer(writer) {}

    void out(const QByteArray& bytes) override
    {
        // Copied, never shared: the rows' buffer is written again once the piece is printed, and
        // reusing a buffer another thread held would rely on its count alone to order the two.
        m_pending.append(bytes.constData(), bytes.size());
        if (m_pending.size() >= kPieceBytes)
            flush();
    }
    void err(const QString& text) override
    {
        flush();
        m_writer.write(Err, text.toUtf8());
    }
    void opened() override
    {
        flush();
        m_writer.write(Opened, {});
    }
    void flush()
    {
        if (!m_pending.isEmpty())
            m_writer.write(Out, std::exchange(m_pending, {}));
    }

    // Hands a piece taken from the queue on to where it goes.
    static void pass(const OrderedJobs::Piece& piece, FileOutput& to)
    {
        switch (piece.channel) {
        case Out: to.out(piece.bytes); break;
        case Err: to.err(QString::fromUtf8(piece.bytes)); break;
        case Opened: to.opened(); break;
        }
    }

private:
    static constexpr qsizetype kPieceBytes = 32 * 1024;
    OrderedJobs::Writer& m_writer;
    QByteArray m_pending;
};

// A file to search, or why it cannot be.
struct Target {
    QString path;
    QString error;
};

// The files the arguments name: each file as named, and with -r the documents in each folder and
// the folders below it, sorted by path; other files in a folder are passed over without a word.
std::vector<Target> targets(const QStringList& arguments, bool recursive)
{
    static const QStringList kDocuments{"*.docx", "*.docm", "*.dotx", "*.dotm"};
    std::vector<Target> out;
    for (const QString& argument : arguments) {
        if (!QFileInfo(argument).isDir()) {
            out.push_back({argument, {}});
            continue;
        }
        if (!recursive) {
            out.push_back({argument, QStringLiteral("フォルダーです（中の文書は -r で検索します）")});
            continue;
        }
        QStringList found;
        QDirIterator it(argument, kDocuments, QDir::Files, QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
        while (it.hasNext())
            found << it.next();
        found.sort();
        for (const QString& file : found)
            out.push_back({file, {}});
    }
    return out;
}

// Searches the readable files on `jobs` threads, each file whole on one of them, and passes their
// output on in the files' order. The threads run ahead past a long document while the output of the
// files after the one being printed stays under kHeldBytes.
class ParallelSearch {
public:
    static constexpr qsizetype kHeldBytes = 8 << 20;

    ParallelSearch(const Request& request, bool withFile, const QStringList& files)
        : m_files(files), m_outcomes(static_cast<std::size_t>(files.size())), m_hits(static_cast<std::size_t>(files.size()))
    {
        // The add-in fills its story-type names on first use, unguarded: filled here, before any
        // searching thread reads them.
        mdlQLFCode2String::storyType2String(0);
        m_jobs.emplace(static_cast<int>(files.size()), request.jobs, kHeldBytes, [this, &request, withFile]() -> OrderedJobs::Job {
            auto search = std::make_shared<FileSearch>(request, withFile, true);
            return [this, search](int item, OrderedJobs::Writer& writer) {
                QueuedOutput out(writer);
                const auto index = static_cast<std::size_t>(item);
                m_outcomes[index] = search->search(m_files[item], out, [&](int hits) {
                    m_hits[index] = hits;
                    return !writer.cancelled();
                });
                out.flush();
            };
        });
    }

    // Passes the item-th readable file's output to printer as it comes, the count of its hits to
    // progress while it is searched; returns once the file is searched.
    FileOutcome take(int item, Printer& printer, ProgressLine& progress)
    {
        OrderedJobs::Piece piece;
        for (;;) {
            switch (m_jobs->take(item, piece, std::chrono::milliseconds(200))) {
            case OrderedJobs::Next::Piece: QueuedOutput::pass(piece, printer); break;
            case OrderedJobs::Next::Waiting: progress.hit(m_hits[static_cast<std::size_t>(item)]); break;
            case OrderedJobs::Next::Finished: return m_outcomes[static_cast<std::size_t>(item)];
            }
        }
    }

private:
    const QStringList m_files;
    std::vector<FileOutcome> m_outcomes;        // each written by its job before it finishes
    std::vector<std::atomic<int>> m_hits;       // hits so far, for the progress line
    std::optional<OrderedJobs> m_jobs;          // last: its workers use the members above
};

} // namespace

int runFind(const QStringList& arguments)
{
    Request request;
    bool help = false;
    const QString usageError = parse(arguments, request, help);
    if (const std::optional<int> exit = argumentsEnd("find", help, usageError, usage()))
        return *exit;
    const clsQLFFindCondition& condition = request.condition;
    if (condition.text().isEmpty() && condition.highlight() == word::wdUndefined && !condition.objFont()) {
        printErr(QStringLiteral("tarvelin find: %1\n").arg(clsQLFFindCondition::noCriterionMessage()));
        return 2;
    }

    std::signal(SIGINT, onInterrupt);
    QElapsedTimer clock;
    clock.start();
    const std::vector<Target> files = targets(request.files, request.recursive);
    QStringList readable;
    for (const Target& t : files)
        if (t.error.isEmpty())
            readable << t.path;
    const bool withFile = files.size() > 1 || request.recursive;

    ProgressLine progress(static_cast<int>(files.size()));
    QString current;
    bool headerLossy = false;
    Printer printer(request.format, progress, [&] {
        FileRows header(request, withFile);
        header.start(current, printer);
        header.printHeader();
        headerLossy = header.lossy();
    });
    // Several documents are searched on as many threads as asked for, one here otherwise.
    std::optional<ParallelSearch> parallel;
    std::optional<FileSearch> serial;
    if (request.jobs > 1 && readable.size() > 1)
        parallel.emplace(request, withFile, readable);
    else
        serial.emplace(request, withFile, false);

    bool failed = false, lossy = false;
    int searched = 0, total = 0;
    for (int index = 0, item = 0; index < static_cast<int>(files.size()); ++index) {
        if (g_interrupted)
            break;
        current = files[index].path;
        if (!files[index].error.isEmpty()) {
            failed = true;
            printer.err(QStringLiteral("tarvelin find: %1: %2\n").arg(current, files[index].error));
            continue;
        }
        progress.startFile(current, index);
        const FileOutcome outcome = parallel ? parallel->take(item++, printer, progress)
                                             : serial->search(current, printer, [&](int hits) {
                                                   progress.hit(hits);
                                                   return true;
                                               });
        progress.clear();
        std::fflush(stdout);
        failed = failed || outcome.failed;
        lossy = lossy || outcome.lossy;
        searched += outcome.searched;
        total += outcome.hits;
    }
    printer.finish();
    if (isatty(STDERR_FILENO))
        printErr(QStringLiteral("%1 件 / %2 ファイル / %3 秒\n").arg(total).arg(searched).arg(clock.elapsed() / 1000.0, 0, 'f', 2));

    std::signal(SIGINT, SIG_DFL);
    if (g_interrupted)
        return 130;  // as a shell reports a command stopped by Ctrl-C
    if (failed || lossy || headerLossy)
        return 2;
    return total > 0 ? 0 : 1;
}

} // namespace host
