// Find over every story of a ~2000-page document, against a plain UTF-16 substring scan of the
// same story texts in the same run: a literal word, a wildcard pattern and a fuzzy search.
#include "bench/LargeDocument.h"
#include "platform/word/Application.h"
#include "platform/word/Document.h"
#include "platform/word/Find.h"
#include "platform/word/Range.h"

#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

namespace {

word::DocumentPtr largeDocument()
{
    static word::ApplicationPtr app = word::Application::create();
    static word::DocumentPtr doc = [] {
        const QString path = QDir::temp().filePath("tarvelin-bench-find.docx");
        if (!QFile::exists(path))
            bench::writeLargeDocument(path);
        return app->Documents()->Open(path);
    }();
    return doc;
}

// The search engine's walk: every story and its chain, Execute until a hit does not start after
// the previous one. Each run is a new search, so story texts are prepared afresh.
int64_t findEverywhere(const word::DocumentPtr& doc, const std::function<void(word::Find&)>& set)
{
    doc->preparedTexts().clear();
    int64_t hits = 0;
    for (word::RangePtr range : doc->StoryRanges()->items()) {
        for (; range; range = range->NextStoryRange()) {
            word::RangePtr r = range;
            word::FindPtr f = r->Find();
            set(*f);
            f->setWrap(word::wdFindContinue);
            int32_t last = -1;
            f->Execute();
            while (f->Found() && last < r->Start()) {
                last = r->Start();
                ++hits;
                f->Execute();
            }
        }
    }
    return hits;
}

int64_t scanEverywhere(const word::DocumentPtr& doc, const QString& needle)
{
    int64_t hits = 0;
    for (const docx::Story& s : doc->model().stories)
        for (qsizetype at = s.text.indexOf(needle); at >= 0; at = s.text.indexOf(needle, at + needle.size()))
            ++hits;
    return hits;
}

void BM_SubstringScan(benchmark::State& state)
{
    auto doc = largeDocument();
    for (auto _ : state)
        state.counters["hits"] = static_cast<double>(scanEverywhere(doc, QStringLiteral("fox")));
}

void BM_FindLiteral(benchmark::State& state)
{
    auto doc = largeDocument();
    for (auto _ : state)
        state.counters["hits"] = static_cast<double>(
            findEverywhere(doc, [](word::Find& f) { f.setText(QStringLiteral("fox")); }));
}

void BM_FindWildcards(benchmark::State& state)
{
    auto doc = largeDocument();
    for (auto _ : state)
        state.counters["hits"] = static_cast<double>(findEverywhere(doc, [](word::Find& f) {
            f.setText(QStringLiteral("<[A-Z][a-z]@>"));
            f.setMatchWildcards(true);
        }));
}

void BM_FindFuzzy(benchmark::State& state)
{
    auto doc = largeDocument();
    for (auto _ : state)
        state.counters["hits"] = static_cast<double>(findEverywhere(doc, [](word::Find& f) {
            f.setText(QStringLiteral("かたかな"));
            f.setMatchFuzzy(true);
        }));
}

} // namespace

BENCHMARK(BM_SubstringScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindLiteral)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindWildcards)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindFuzzy)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
