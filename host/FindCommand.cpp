#include "host/FindCommand.h"

#include "host/SearchOptions.h"

#include "platform/core/Error.h"
#include "platform/word/Application.h"
#include "platform/word/Document.h"
#include "platform/word/Font.h"
#include "platform/word/Range.h"
#include "src/addin/mdlQLFGlobal.h"
#include "src/results/clsQLFHitList.h"
#include "src/results/clsQLFHitStory.h"
#include "src/results/frmQLFResult.h"
#include "src/search/clsQLFFind.h"
#include "src/search/clsQLFFindCondition.h"
#include "src/search/frmCOMProgress.h"
#include "src/search/frmQLFFind.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <cstdio>
#include <optional>

#include <unistd.h>

namespace host {

namespace {

QString usage()
{
    return QString::fromUtf8(
        "使い方: tarvelin find --text 文字列 [オプション...] ファイル.docx...\n"
        "\n"
        "文書のすべての部分（本文、脚注、文末脚注、コメント、テキストボックス、各セクションのヘッダーとフッター、\n"
        "脚注の区切り線など）を検索し、検索結果画面と同じ行を出力します。\n"
        "\n")
        + QString::fromUtf8(SearchOptions::kHelp) + QString::fromUtf8(
    "  --json                 JSON で出力する\n"
    "  --help                 この説明を表示する\n"
    "\n"
    "表の出力はタブ区切りです。ヒットした文字列の中の段落記号は ¶、そのほかの制御文字は\n"
    "U+2400 台の制御文字記号（タブは ␉ など）で表示します。\n"
    "終了コード: 0 見つかった、1 見つからなかった、2 エラー、130 Ctrl-C で中止（それまでの結果は出力済み）。\n");
}

void printErr(const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

struct Request {
    clsQLFFindCondition condition;
    bool json = false;
    QStringList files;
};

// Reads the command line into a search condition; returns an error text when it is not usable.
QString parse(const QStringList& arguments, Request& request, bool& help)
{
    QCommandLineParser p;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const SearchOptions search(p);
    const QCommandLineOption helpOption("help");
    const QCommandLineOption json("json");
    p.addOptions({helpOption, json});
    if (!p.parse(QStringList{QStringLiteral("tarvelin find")} + arguments))
        return p.errorText();
    help = p.isSet(helpOption);
    if (help)
        return {};
    if (const QString error = search.read(p, request.condition); !error.isEmpty())
        return error;
    request.json = p.isSet(json);
    request.files = p.positionalArguments();
    if (!search.textGiven(p))
        return QStringLiteral("--text を指定してください");
    if (request.files.isEmpty())
        return QStringLiteral("検索するファイルを指定してください");
    return {};
}

// Ctrl-C asks the running search to stop through its progress window's cancel button, as a user
// would; the hits found so far are kept and printed.
int g_interruptPipe[2] = {-1, -1};
volatile std::sig_atomic_t g_interrupted = 0;

void onInterrupt(int)
{
    g_interrupted = 1;
    const char byte = 1;
    [[maybe_unused]] ssize_t n = write(g_interruptPipe[1], &byte, 1);
}

void cancelRunningSearch()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* progress = qobject_cast<frmCOMProgress*>(w); progress && progress->isLoaded())
            progress->cmdCancel()->click();
}

// The result window's rows, each printed as it comes so that memory does not grow with the hits,
// and with no ceiling on their number: the cells are the window's own (clsQLFHitStory), numbered
// from 1 for each file. A table has the window's header once, and each line starts with its
// file's name when there are several files; JSON is one array of objects over all the files.
class PrintedRows : public clsQLFHitList {
public:
    PrintedRows(bool json, bool withFile) : m_json(json), m_withFile(withFile) {}

    void setFile(const QString& file)
    {
        m_file = file;
        m_quotedFile = jsonString(file);
    }
    int count() const { return m_count; }
    bool anyFound() const { return m_anyFound; }
    // Ends the output: closes the JSON array.
    void finish()
    {
        if (m_json)
            std::fputs(m_anyFound ? "\n]\n" : "[]\n", stdout);
        std::fflush(stdout);
    }

    void clear() override
    {
        m_count = 0;
        m_story.clear();
        if (!m_json && !m_headerPrinted) {
            QStringList cells;
            if (m_withFile)
                cells << QStringLiteral("ファイル");
            for (int c = frmQLFResult::colNumber; c <= frmQLFResult::colTypeCode; ++c)
                cells << frmQLFResult::header(static_cast<frmQLFResult::Column>(c));
            print(cells.join(QLatin1Char('\t')) + QLatin1Char('\n'));
            m_headerPrinted = true;
        }
    }
    void setDocument(word::DocumentPtr) override {}
    void appendResult(const word::Range& objRange, int chainIndex) override
    {
        m_story.moveTo(objRange, chainIndex);
        const QString text = m_story.textAt(objRange);
        const QString number = QString::number(++m_count), start = QString::number(objRange.Start()),
                      end = QString::number(objRange.End()), code = QString::number(m_story.storyType());
        // One arg() call each: a hit's text may hold "%1" itself.
        if (m_json)
            print(QStringLiteral("%1  {\"file\": %2, \"no\": %3, \"text\": %4, \"type\": %5, \"start\": %6, \"end\": %7, "
                                 "\"code\": %8, \"story\": %9}")
                      .arg(m_anyFound ? QStringLiteral(",\n") : QStringLiteral("[\n"), m_quotedFile, number,
                           jsonString(text), jsonString(m_story.typeName()), start, end, code,
                           QString::number(chainIndex)));
        else
            print(QStringLiteral("%1%2\t%3\t%4\t%5\t%6\t%7\n")
                      .arg(m_withFile ? m_file + QLatin1Char('\t') : QString(), number, visible(text),
                           m_story.typeName(), start, end, code));
        m_anyFound = true;
    }

private:
    static void print(const QString& text) { std::fputs(text.toUtf8().constData(), stdout); }

    const bool m_json;
    const bool m_withFile;
    QString m_file, m_quotedFile;
    clsQLFHitStory m_story;
    int m_count = 0;
    bool m_anyFound = false;
    bool m_headerPrinted = false;
};

// While the rows go to a file or a pipe, a line on the terminal's standard error once the run has
// taken longer than about half a second: which file of how many, and its hits so far. It is redrawn
// as each file starts and, during a long search, from the search's own message processing. Rows
// printed on the terminal show the progress themselves.
class ProgressLine {
public:
    ProgressLine(const PrintedRows& rows, int files) : m_rows(rows), m_files(files)
    {
        if (!isatty(STDERR_FILENO) || isatty(STDOUT_FILENO))
            return;
        m_clock.start();
        m_timer.setInterval(200);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { show(true); });
        m_timer.start();
    }
    ~ProgressLine() { clear(); }

    void startFile(const QString& file, int index)
    {
        m_file = file;
        m_index = index;
        show(false);  // the count is still the previous file's
    }
    void clear()
    {
        if (m_shown)
            printErr(QStringLiteral("\r\033[K"));
        m_shown = false;
    }

private:
    void show(bool withHits)
    {
        if (!m_clock.isValid() || m_clock.elapsed() < 500)
            return;
        const QString hits = withHits ? QStringLiteral(" %1 件").arg(m_rows.count()) : QString();
        printErr(QStringLiteral("\r\033[K%1 (%2/%3): 検索しています...%4").arg(m_file).arg(m_index + 1).arg(m_files).arg(hits));
        m_shown = true;
    }

    const PrintedRows& m_rows;
    const int m_files;
    QString m_file;
    int m_index = 0;
    QElapsedTimer m_clock;
    QTimer m_timer;
    bool m_shown = false;
};

} // namespace

int runFind(const QStringList& arguments)
{
    Request request;
    bool help = false;
    const QString usageError = parse(arguments, request, help);
    if (help) {
        std::fputs(usage().toUtf8().constData(), stdout);
        return 0;
    }
    if (!usageError.isEmpty()) {
        printErr(QStringLiteral("tarvelin find: %1\n\n").arg(usageError) + usage());
        return 2;
    }
    clsQLFFindCondition& condition = request.condition;
    if (condition.text().isEmpty() && condition.highlight() == word::wdUndefined && !condition.objFont()) {
        printErr(QStringLiteral("tarvelin find: %1\n").arg(frmQLFFind::noCriterionMessage()));
        return 2;
    }

    if (pipe(g_interruptPipe) != 0) {
        printErr(QStringLiteral("tarvelin find: %1\n").arg(QString::fromLocal8Bit(std::strerror(errno))));
        return 2;
    }
    std::signal(SIGINT, onInterrupt);
    QSocketNotifier interrupt(g_interruptPipe[0], QSocketNotifier::Read);
    QObject::connect(&interrupt, &QSocketNotifier::activated, [] {
        char byte;
        [[maybe_unused]] ssize_t n = read(g_interruptPipe[0], &byte, 1);
        cancelRunningSearch();
    });

    word::ApplicationPtr app = word::Application::create();
    mdlQLFGlobal::g_objApplication = app;

    bool failed = false;
    PrintedRows rows(request.json, request.files.size() > 1);
    ProgressLine progress(rows, static_cast<int>(request.files.size()));
    for (int index = 0; index < request.files.size(); ++index) {
        const QString& file = request.files[index];
        if (g_interrupted)
            break;
        progress.startFile(file, index);
        word::DocumentPtr doc;
        try {
            doc = app->Documents()->Open(file, true);
        } catch (const core::Error& e) {
            failed = true;
            printErr(QStringLiteral("tarvelin find: %1: %2\n").arg(file, e.description()));
            continue;
        }
        for (const QString& notice : doc->model().notices)
            printErr(QStringLiteral("tarvelin find: %1: %2\n").arg(file, notice));
        condition.setObjDoc(doc);
        rows.setFile(file);
        try {
            clsQLFFind(&rows).find(condition);
        } catch (const core::Error& e) {
            // The hits printed before the failure stand, as they stay listed in the result window.
            failed = true;
            progress.clear();
            printErr(QStringLiteral("tarvelin find: %1: %2\n").arg(file, e.description()));
        }
        progress.clear();
        condition.setObjDoc(nullptr);
        doc->Close();
    }
    rows.finish();

    mdlQLFGlobal::g_objApplication.reset();
    std::signal(SIGINT, SIG_DFL);
    interrupt.setEnabled(false);
    close(g_interruptPipe[0]);
    close(g_interruptPipe[1]);
    if (g_interrupted)
        return 130;  // as a shell reports a command stopped by Ctrl-C
    if (failed)
        return 2;
    return rows.anyFound() ? 0 : 1;
}

} // namespace host
