// Whole-window timings on the ~2000-page document: from opening it to its first page drawn, the
// paging of the rest from the event loop (and its longest step), the slowest page while scrolling
// from top to bottom, and the memory the window adds to the loaded model, and a keystroke in the
// middle of the main text until it is drawn. Run offscreen:
// QT_QPA_PLATFORM=offscreen document_view_bench [DOCUMENT | --pages N [--mixed]]
// (another document, as one holding a paragraph of many MiB, instead of the large one; or the
// large one's shape at N pages, its sections on pages of three sizes with --mixed)
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
#include <cstdlib>
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
    bench::LargeDocumentOptions shape;
    const bool sized = argc > 2 && QByteArray(argv[1]) == "--pages";
    if (sized)
        shape.pages = std::atoi(argv[2]);
    shape.mixedPageSizes = sized && argc > 3 && QByteArray(argv[3]) == "--mixed";
    const QString path = argc > 1 && !sized ? QString::fromLocal8Bit(argv[1])
                                            : QDir::temp().filePath(QStringLiteral("tarvelin-bench-large-%1%2.docx")
                                                                        .arg(shape.pages)
                                                                        .arg(shape.mixedPageSizes ? "-mixed" : ""));
    if ((argc <= 1 || sized) && !QFile::exists(path))
        bench::writeLargeDocument(path, shape);

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
    window.resize(1000, qEnvironmentVariableIsSet("TARVELIN_GRAB") ? 1000 : 760);
    window.show();
    window.mainView()->viewport()->grab();
    const qint64 firstPage = clock.elapsed();
    const long shown = peakRssKiB();

    // The rest is paged in steps from the event loop while the user reads the first page.
    qint64 longestStep = 0;
    while (!window.mainView()->pagingDone()) {
        QElapsedTimer one;
        one.start();
        QApplication::processEvents();
        longestStep = std::max(longestStep, one.elapsed());
    }
    const qint64 laidOut = clock.elapsed();
    const long whole = peakRssKiB();
    const size_t pageCount = window.mainView()->pages().size();

    // QT_QPA_PLATFORM=xcb ... document_view_bench ... with TARVELIN_GRAB=DIR: pictures of pages near
    // the start, the middle and the end, to look at.
    if (const QString grabs = qEnvironmentVariable("TARVELIN_GRAB"); !grabs.isEmpty()) {
        const std::vector<host::Page>& pages = window.mainView()->pages();
        for (const size_t k : {size_t(0), size_t(1), pages.size() / 2, pages.size() / 2 + 1, pages.size() - 2, pages.size() - 1}) {
            const host::PageFrame& frame = window.mainView()->frameOf(pages[k]);
            const int view = window.mainView()->viewport()->height();
            for (const auto& [part, y] : {std::pair{"top", pages[k].top}, std::pair{"foot", pages[k].top + frame.height - view + 8}}) {
                window.mainView()->verticalScrollBar()->setValue(static_cast<int>(y));
                QApplication::processEvents();
                window.mainView()->grab().save(QDir(grabs).filePath(QStringLiteral("page-%1-%2.png").arg(k + 1).arg(part)));
            }
        }
    }

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
    std::printf("whole main text paged %lld ms after opening began (%lld ms after the first page), in %zu pages; "
                "longest step %lld ms\n",
                static_cast<long long>(laidOut), static_cast<long long>(laidOut - firstPage), pageCount,
                static_cast<long long>(longestStep));
    std::printf("scroll: %d screens, slowest %lld ms\n", steps, static_cast<long long>(slowest));
    std::printf("peak RSS: %.1f MiB at start, %.1f MiB with the model (+%.1f), %.1f MiB at the first page (+%.1f), "
                "%.1f MiB paged whole (+%.1f, %.2fx the model)\n",
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
