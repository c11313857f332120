// Filling the result grid: 32,767 hit rows appended one by one with window messages let
// through after each, as the search does, against the same loop without a grid.
#include "platform/forms/FlexGrid.h"
#include "platform/forms/Form.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

constexpr int kHits = 32767;

void appendHit(forms::FlexGrid& grid, int r)
{
    grid.setRows(r + 1);
    grid.setTextMatrix(r, 0, QString::number(r));
    grid.setTextMatrix(r, 2, QStringLiteral("メイン文書"));
    grid.setTextMatrix(r, 3, QString::number(r * 10));
    grid.setTextMatrix(r, 4, QString::number(r * 10 + 5));
    grid.setTextMatrix(r, 5, QStringLiteral("1"));
    grid.setTextMatrix(r, 1, QStringLiteral("検索語"));
}

void setUp(forms::FlexGrid& grid)
{
    grid.setCols(6);
    grid.setRows(1);
    grid.setColWidth(5, 0);
    grid.resize(500, 160);
}

// The loop without a grid: the same cell texts built, messages let through per hit.
void BM_BareLoop(benchmark::State& state)
{
    for (auto _ : state) {
        for (int r = 1; r <= kHits; ++r) {
            QString cells[] = {QString::number(r), QStringLiteral("メイン文書"), QString::number(r * 10),
                               QString::number(r * 10 + 5), QStringLiteral("1"), QStringLiteral("検索語")};
            benchmark::DoNotOptimize(cells);
            if (state.range(0))
                forms::DoEvents();
        }
    }
    state.SetItemsProcessed(state.iterations() * kHits);
}
BENCHMARK(BM_BareLoop)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Arg 0: window hidden (the search hides it); 1: window shown. Messages let through per hit.
void BM_FillGrid(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto grid = std::make_unique<forms::FlexGrid>();
        setUp(*grid);
        if (state.range(0))
            grid->show();
        forms::DoEvents();
        state.ResumeTiming();
        for (int r = 1; r <= kHits; ++r) {
            appendHit(*grid, r);
            forms::DoEvents();
        }
        state.PauseTiming();
        grid.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kHits);
}
BENCHMARK(BM_FillGrid)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
