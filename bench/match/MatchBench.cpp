// Find matching over one long synthetic story (about 2000 pages of mixed Japanese and English):
// every hit of a query, against a plain UTF-16 substring scan of the same text.
#include "platform/match/Matcher.h"

#include <benchmark/benchmark.h>

#include <string_view>

namespace {

const docx::Story& longStory()
{
    static const docx::Story story = [] {
        const QString paragraphs[] = {
            QStringLiteral("東京の本社でコンピューターの新しいシステムを説明しました。Tarvelin searches every story. "),
            QStringLiteral("The quick brown Fox jumps over the lazy dog near Kyoto Station. ひらがなとカタカナ、ｶﾀｶﾅ。"),
            QStringLiteral("会議の議事録は共有フォルダーに保存されています。See Appendix B for details.\r"),
        };
        docx::Story s;
        const int targetUnits = 2000 * 1800;
        for (int i = 0; s.text.size() < targetUnits; ++i)
            s.text += paragraphs[i % 3];
        docx::CharFormat marked;
        marked.highlight = true;
        for (int32_t p = 0; p < s.length(); p += 5000) {
            s.runs.push_back({p, {}});
            s.runs.push_back({p + 4000, marked});
        }
        return s;
    }();
    return story;
}

std::u16string_view storyView()
{
    const QString& t = longStory().text;
    return {reinterpret_cast<const char16_t*>(t.utf16()), static_cast<size_t>(t.size())};
}

void BM_SubstringScan(benchmark::State& state)
{
    const std::u16string_view text = storyView();
    const std::u16string_view needle = u"story";
    for (auto _ : state) {
        int64_t hits = 0;
        for (size_t k = text.find(needle); k != std::u16string_view::npos; k = text.find(needle, k + needle.size()))
            ++hits;
        benchmark::DoNotOptimize(hits);
        state.counters["hits"] = static_cast<double>(hits);
    }
}

// One whole search: prepare the story once, then find every hit.
void runSearch(benchmark::State& state, const match::Query& q)
{
    const docx::Story& s = longStory();
    for (auto _ : state) {
        match::Matcher m(q);
        const auto prepared = m.prepare(s);
        int64_t hits = 0;
        int32_t from = 0;
        while (auto h = m.findForward(*prepared, from, s.length())) {
            ++hits;
            from = h->end;
        }
        state.counters["hits"] = static_cast<double>(hits);
    }
}

// The same with the story prepared beforehand, as a cached prepared text gives it.
void runPrepared(benchmark::State& state, const match::Query& q)
{
    const docx::Story& s = longStory();
    match::Matcher m(q);
    const auto prepared = m.prepare(s);
    for (auto _ : state) {
        int64_t hits = 0;
        int32_t from = 0;
        while (auto h = m.findForward(*prepared, from, s.length())) {
            ++hits;
            from = h->end;
        }
        state.counters["hits"] = static_cast<double>(hits);
    }
}

match::Query makeQuery(const char16_t* text)
{
    match::Query q;
    q.text = QString::fromUtf16(text);
    return q;
}

void BM_Literal(benchmark::State& state) { runSearch(state, makeQuery(u"story")); }

void BM_LiteralPrepared(benchmark::State& state) { runPrepared(state, makeQuery(u"story")); }

void BM_FuzzyPrepared(benchmark::State& state)
{
    match::Query q = makeQuery(u"こんぴゅーた");
    q.matchFuzzy = true;
    runPrepared(state, q);
}

void BM_WildcardPrepared(benchmark::State& state)
{
    match::Query q = makeQuery(u"<[A-Z][a-z]@>");
    q.matchWildcards = true;
    runPrepared(state, q);
}

void BM_LiteralMatchCase(benchmark::State& state)
{
    match::Query q = makeQuery(u"story");
    q.matchCase = true;
    q.matchByte = true;
    runSearch(state, q);
}

void BM_Wildcard(benchmark::State& state)
{
    match::Query q = makeQuery(u"<[A-Z][a-z]@>");
    q.matchWildcards = true;
    runSearch(state, q);
}

void BM_Fuzzy(benchmark::State& state)
{
    match::Query q = makeQuery(u"こんぴゅーた");
    q.matchFuzzy = true;
    runSearch(state, q);
}

void BM_FormatOnly(benchmark::State& state)
{
    match::Query q;
    q.format.highlight = -1;
    runSearch(state, q);
}

} // namespace

BENCHMARK(BM_SubstringScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Literal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiteralPrepared)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FuzzyPrepared)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WildcardPrepared)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiteralMatchCase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Wildcard)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fuzzy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatOnly)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
