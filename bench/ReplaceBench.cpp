// Replace All of a word with about 10,000 hits in every story of a ~2000-page document, then
// saving it exactly, against the floor of loading the document and writing its package again
// with only the main part inflated and re-deflated (by libzip), in the same run.
#include "bench/LargeDocument.h"
#include "platform/docx/Package.h"
#include "platform/word/Application.h"
#include "platform/word/Document.h"
#include "platform/word/Find.h"
#include "platform/word/Range.h"

#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>
#include <zip.h>

#include <stdexcept>
#include <vector>

namespace {

const QString& source()
{
    static const QString path = [] {
        const QString p = QDir::temp().filePath("tarvelin-bench-replace.docx");
        if (!QFile::exists(p)) {
            bench::LargeDocumentOptions o;
            o.markerEveryParagraphs = 2;
            bench::writeLargeDocument(p, o);
        }
        return p;
    }();
    return path;
}

const QString kTarget = QDir::temp().filePath("tarvelin-bench-replace-out.docx");

void rewriteMainPart(const QString& from, const QString& to)
{
    QFile::remove(to);
    QFile::copy(from, to);
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(to).constData(), 0, &error);
    if (!z)
        throw std::runtime_error("zip_open");
    const char* name = "word/document.xml";
    zip_stat_t st;
    zip_stat(z, name, 0, &st);
    std::vector<char> bytes(st.size);
    zip_file_t* f = zip_fopen(z, name, 0);
    zip_fread(f, bytes.data(), st.size);
    zip_fclose(f);
    zip_source_t* s = zip_source_buffer(z, bytes.data(), bytes.size(), 0);
    zip_file_replace(z, static_cast<zip_uint64_t>(zip_name_locate(z, name, 0)), s, 0);
    if (zip_close(z) != 0)
        throw std::runtime_error("zip_close");
}

void BM_LoadAndRewriteMainPart(benchmark::State& state)
{
    const QString& path = source();
    for (auto _ : state) {
        const docx::Document d = docx::load(path);
        benchmark::DoNotOptimize(d.stories.size());
        rewriteMainPart(path, kTarget);
    }
}

void BM_ReplaceAllAndSave(benchmark::State& state)
{
    const QString& path = source();
    word::ApplicationPtr app = word::Application::create();
    for (auto _ : state) {
        word::DocumentPtr doc = app->Documents()->Open(path);
        word::FindPtr settings = doc->StoryRanges()->Item(1)->Find();
        settings->setText(QStringLiteral("目印"));
        settings->Replacement()->setText(QStringLiteral("しるし"));
        int replaced = 0;
        for (int n : word::replaceInEveryStory(doc, *settings))
            replaced += n;
        doc->SaveAs2(kTarget);
        doc->Close();
        state.counters["replaced"] = replaced;
    }
}

} // namespace

BENCHMARK(BM_LoadAndRewriteMainPart)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_ReplaceAllAndSave)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK_MAIN();
