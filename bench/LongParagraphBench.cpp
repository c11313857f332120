// The document window on a main text that is one paragraph of many MiB without a space: opening it
// until the first page is drawn, and a keystroke in the middle of it until it is drawn again.
// Run offscreen: QT_QPA_PLATFORM=offscreen long_paragraph_bench
#include "bench/LargeDocument.h"
#include "host/DocumentWindow.h"
#include "platform/word/Application.h"
#include "platform/word/Document.h"
#include "platform/word/Range.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

QString documentOf(int mib)
{
    const QString path = QDir::temp().filePath(QStringLiteral("tarvelin-bench-paragraph-%1.docx").arg(mib));
    if (!QFile::exists(path))
        bench::writeLongParagraphDocument(path, mib);
    return path;
}

// A document open in its window, shown, as the host has it.
struct Opened {
    explicit Opened(int mib)
        : app(word::Application::create())
    {
        app->setShowsDocuments(true);
        doc = app->Documents()->Open(documentOf(mib));
        window = std::make_unique<host::DocumentWindow>(doc, app->CommandBars());
        QObject::connect(app.get(), &word::Application::selectionChanged, window.get(), [w = window.get()] { w->showSelection(); });
        QObject::connect(app.get(), &word::Application::storyEdited, window.get(), [w = window.get()] { w->showView(); });
        window->resize(1000, 760);
        window->show();
        window->mainView()->viewport()->grab();
    }
    word::ApplicationPtr app;
    word::DocumentPtr doc;
    std::unique_ptr<host::DocumentWindow> window;
};

void BM_OpenToFirstPage(benchmark::State& state)
{
    documentOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        Opened opened(static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(opened.window.get());
        state.PauseTiming();   // closing is not part of it
        opened.window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenToFirstPage)->Arg(5)->Arg(50)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// Typing a letter in the middle of the paragraph, then the window painted again: at once after
// opening, and once Qt has laid the whole text out (as it does in steps while the user reads).
void BM_KeystrokeInParagraph(benchmark::State& state)
{
    Opened opened(static_cast<int>(state.range(0)));
    host::StoryView* view = opened.window->mainView();
    if (state.range(1))
        view->document()->size();
    const qsizetype length = opened.doc->story(0).text.size();
    view->selectStory(static_cast<int32_t>(length / 2), static_cast<int32_t>(length / 2));
    view->viewport()->grab();
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(view, &press);
        view->viewport()->grab();
    }
    if (opened.doc->story(0).text.size() != length + state.iterations())
        state.SkipWithError("a keystroke was not taken");
}
BENCHMARK(BM_KeystrokeInParagraph)
    ->ArgNames({"MiB", "laidOut"})
    ->Args({5, 0})
    ->Args({50, 0})
    ->Args({5, 1})
    ->Args({50, 1})
    ->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same letter typed through the object model alone, no window: what an edit costs the model
// and its undo history, which should grow with the edit and not with the story.
void BM_InsertInParagraphModel(benchmark::State& state)
{
    word::ApplicationPtr app = word::Application::create();
    app->setShowsDocuments(state.range(1) != 0);
    word::DocumentPtr doc = app->Documents()->Open(documentOf(static_cast<int>(state.range(0))));
    const int32_t length = doc->story(0).length();
    word::Range at(doc, 0, length / 2, length / 2);
    for (auto _ : state)
        at.InsertAfter(QStringLiteral("a"));
    if (doc->story(0).length() != length + state.iterations())
        state.SkipWithError("a letter was not taken");
}
BENCHMARK(BM_InsertInParagraphModel)
    ->ArgNames({"MiB", "looks"})
    ->Args({5, 0})
    ->Args({50, 0})
    ->Args({50, 1})
    ->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
