// Whole-window timings on the ~2000-page document: from opening it to its first page drawn,
// the slowest page while scrolling from top to bottom, and the memory the window adds to the
// loaded model, and a keystroke in the middle of the main text until it is drawn. Run offscreen:
// QT_QPA_PLATFORM=offscreen document_view_bench [DOCUMENT]
// (another document, as one holding a paragraph of many MiB, instead of the large one)
#include "bench/LargeDocument.h"
#include "host/DocumentWindow.h"
#include "platform/word/Application.h"
#include "platform/word/Document.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QScrollBar>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

long peakRssKiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

struct Keystrokes {
    std::vector<double> handled, drawn;   // ms until the key was handled (model and view updated), until painted; sorted
};

// Sends each key to the view and waits until the view is painted again.
Keystrokes keystrokes(host::StoryView* view, int count, Qt::Key key, const QString& text)
{
    Keystrokes out;
    for (int i = 0; i < count; ++i) {
        QElapsedTimer one;
        one.start();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(view, &press);
        out.handled.push_back(static_cast<double>(one.nsecsElapsed()) / 1e6);
        view->viewport()->grab();
        out.drawn.push_back(static_cast<double>(one.nsecsElapsed()) / 1e6);
    }
    std::sort(out.handled.begin(), out.handled.end());
    std::sort(out.drawn.begin(), out.drawn.end());
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::temp().filePath("tarvelin-bench-large.docx");
    if (argc <= 1 && !QFile::exists(path))
        bench::writeLargeDocument(path);

    const long start = peakRssKiB();
    QElapsedTimer clock;
    clock.start();
    word::ApplicationPtr app = word::Application::create();
    app->setShowsDocuments(true);
    word::DocumentPtr doc = app->Documents()->Open(path);
    const qint64 loaded = clock.elapsed();
    const long model = peakRssKiB();
    host::DocumentWindow window(doc, app->CommandBars());
    // As the host does: a window draws what the model changed when its selection or a story changes.
    QObject::connect(app.get(), &word::Application::selectionChanged, &window, [&window] { window.showSelection(); });
    QObject::connect(app.get(), &word::Application::storyEdited, &window, [&window] { window.showView(); });
    const qint64 built = clock.elapsed();
    window.resize(1000, 760);
    window.show();
    window.mainView()->viewport()->grab();
    const qint64 firstPage = clock.elapsed();
    const long shown = peakRssKiB();

    // Qt lays the rest out in steps while the user reads the first page; here all at once.
    window.mainView()->document()->size();
    QApplication::processEvents();
    const qint64 laidOut = clock.elapsed();
    const long whole = peakRssKiB();

    QScrollBar* bar = window.mainView()->verticalScrollBar();
    const int step = std::max(1, bar->pageStep());
    qint64 slowest = 0;
    int steps = 0;
    for (int y = 0; y <= bar->maximum(); y += step, ++steps) {
        QElapsedTimer one;
        one.start();
        bar->setValue(y);
        window.mainView()->viewport()->grab();
        slowest = std::max(slowest, one.elapsed());
    }
    // Typing in the middle of the main text, between two letters.
    const docx::StoryText& text = doc->story(0).text;
    int32_t at = static_cast<int32_t>(text.size() / 2);
    while (at + 1 < text.size() && !(text[at - 1].isLetter() && text[at].isLetter()))
        ++at;
    host::StoryView* view = window.mainView();
    view->selectStory(at, at);
    view->ensureCursorVisible();
    const qsizetype before = text.size();
    const Keystrokes typed = keystrokes(view, 40, Qt::Key_unknown, QStringLiteral("あ"));
    const bool allTyped = doc->story(0).text.size() == before + 40;
    const Keystrokes erased = keystrokes(view, 40, Qt::Key_Backspace, {});
    // Enter there, then Backspace at each new paragraph's start: splits and joins.
    const Keystrokes split = keystrokes(view, 5, Qt::Key_Return, QStringLiteral("\r"));
    const bool allSplit = doc->story(0).text.size() == before + 5;
    const Keystrokes joined = keystrokes(view, 5, Qt::Key_Backspace, {});
    const bool allTaken = allTyped && allSplit && doc->story(0).text.size() == before;

    std::printf("load %lld ms, stories drawn %lld ms, first page on screen %lld ms after opening began\n",
                static_cast<long long>(loaded), static_cast<long long>(built), static_cast<long long>(firstPage));
    std::printf("whole main text laid out %lld ms after opening began, in %zu pages\n", static_cast<long long>(laidOut),
                window.mainView()->pages().size());
    std::printf("scroll: %d screens, slowest %lld ms\n", steps, static_cast<long long>(slowest));
    std::printf("peak RSS: %.1f MiB at start, %.1f MiB with the model (+%.1f), %.1f MiB at the first page (+%.1f), "
                "%.1f MiB laid out whole (+%.1f, %.2fx the model)\n",
                start / 1024.0, model / 1024.0, (model - start) / 1024.0, shown / 1024.0, (shown - model) / 1024.0,
                whole / 1024.0, (whole - model) / 1024.0, static_cast<double>(whole - model) / std::max(1L, model - start));
    std::printf("keystrokes in the middle of a main text of %lld characters, 40 each (5 splits and joins), %s:\n",
                static_cast<long long>(before), allTaken ? "all taken by the model" : "NOT ALL TAKEN");
    for (const auto& [name, k] : {std::pair{"typing", &typed}, std::pair{"Backspace", &erased}, std::pair{"Enter", &split},
                                  std::pair{"Backspace joining", &joined}})
        std::printf("  %s: handled median %.2f ms (slowest %.2f), painted median %.2f ms (slowest %.2f)\n", name,
                    k->handled[k->handled.size() / 2], k->handled.back(), k->drawn[k->drawn.size() / 2], k->drawn.back());
    return 0;
}
