// The add-in's whole search (engine, progress window, per-hit message pass, result rows) in a
// ~2000-page document until the result list is full (32,767 hits; the next one overflows),
// against the bare Find loop over the same document for the same hits, in the same run.
// The search runs with the message pass's default slice and with a full pass at every hit.
#include "bench/LargeDocument.h"
#include "platform/core/Error.h"
#include "platform/forms/Form.h"
#include "platform/word/Application.h"
#include "platform/word/Document.h"
#include "platform/word/Find.h"
#include "platform/word/Range.h"
#include "src/addin/mdlQLFGlobal.h"
#include "src/results/frmQLFResult.h"
#include "src/search/clsQLFFind.h"
#include "src/search/clsQLFFindCondition.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

namespace {

// About 66,700 hits in the document, all of the first 32,768 in the main text.
const QString kPattern = QStringLiteral("er");

word::DocumentPtr largeDocument()
{
    static word::DocumentPtr doc = [] {
        const QString path = QDir::temp().filePath("tarvelin-bench-find.docx");
        if (!QFile::exists(path))
            bench::writeLargeDocument(path);
        return mdlQLFGlobal::g_objApplication->Documents()->Open(path);
    }();
    return doc;
}

// The engine's walk without the add-in: Execute until a hit does not start after the last one,
// up to as many hits as the result list holds.
int64_t bareFindLoop(const word::DocumentPtr& doc)
{
    doc->preparedTexts().clear();
    int64_t hits = 0;
    for (word::RangePtr range : doc->StoryRanges()->items()) {
        for (; range; range = range->NextStoryRange()) {
            const word::FindPtr f = range->Find();
            f->ClearFormatting();
            f->setText(kPattern);
            f->setWrap(word::wdFindContinue);
            int32_t last = -1;
            f->Execute();
            while (f->Found() && last < range->Start()) {
                last = range->Start();
                if (++hits == frmQLFResult::kMaxHits)
                    return hits;
                f->Execute();
            }
        }
    }
    return hits;
}

void BM_BareFindLoop(benchmark::State& state)
{
    const auto doc = largeDocument();
    for (auto _ : state)
        state.counters["hits"] = static_cast<double>(bareFindLoop(doc));
}

// Arg: the message pass's slice in microseconds.
void BM_AddinSearch(benchmark::State& state)
{
    const auto defaultSlice = forms::doEventsSlice();
    forms::setDoEventsSlice(std::chrono::microseconds(state.range(0)));
    const auto doc = largeDocument();
    clsQLFFindCondition condition;
    condition.setObjDoc(doc);
    condition.setText(kPattern);
    condition.setHighlight(word::wdUndefined);
    for (auto _ : state) {
        doc->preparedTexts().clear();
        try {
            clsQLFFind().find(condition);
        } catch (const core::Error& e) {
            if (e.number() != core::Overflow)
                state.SkipWithError("the search failed");
        }
        state.counters["hits"] = mdlQLFGlobal::g_frmResult->grdResult()->Rows() - 1;
    }
    forms::setDoEventsSlice(defaultSlice);
}

} // namespace

BENCHMARK(BM_BareFindLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddinSearch)
    ->Arg(std::chrono::microseconds(forms::doEventsSlice()).count())
    ->Arg(0)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    mdlQLFGlobal::g_objApplication = word::Application::create();
    mdlQLFGlobal::g_frmResult = std::make_shared<frmQLFResult>();
    mdlQLFGlobal::g_frmResult->Load();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    mdlQLFGlobal::g_frmResult->Unload();
    mdlQLFGlobal::g_frmResult.reset();
    mdlQLFGlobal::g_objApplication.reset();
    return 0;
}
