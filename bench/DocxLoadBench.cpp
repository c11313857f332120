// docx::load on a ~2000-page document against inflating and parsing the same parts alone (with
// pugixml), plus the reader's peak memory against the inflated XML size, and the tokenizer alone
// over the main part. CPU is the whole process's: the reader uses a second thread. Run with
// --benchmark_enable_random_interleaving=true on a shared machine: the ratio then holds better.
#include "bench/LargeDocument.h"
#include "platform/docx/Package.h"
#include "platform/docx/XmlTokenizer.h"

#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>
#include <pugixml.hpp>
#include <zip.h>

#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

QString documentPath() { return QDir::temp().filePath("tarvelin-bench-large.docx"); }

// Generated in a child process so the generator's memory never shows in this process's peak.
void ensureDocument()
{
    if (QFile::exists(documentPath()))
        return;
    const pid_t pid = fork();
    if (pid == 0) {
        bench::writeLargeDocument(documentPath());
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
}

long peakRssKiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// What the reader reads, done with the libraries alone: every XML part inflated and parsed.
std::size_t inflateAndParse()
{
    int err = 0;
    zip_t* za = zip_open(QFile::encodeName(documentPath()).constData(), ZIP_RDONLY, &err);
    std::size_t total = 0;
    const zip_int64_t n = zip_get_num_entries(za, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
        zip_stat_t st;
        zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st);
        std::string data(st.size, '\0');
        zip_file_t* f = zip_fopen_index(za, static_cast<zip_uint64_t>(i), 0);
        zip_fread(f, data.data(), data.size());
        zip_fclose(f);
        pugi::xml_document doc;
        doc.load_buffer_inplace(data.data(), data.size(), pugi::parse_default | pugi::parse_ws_pcdata_single);
        benchmark::DoNotOptimize(doc.document_element());
        total += st.size;
    }
    zip_close(za);
    return total;
}

void BM_InflateAndParseOnly(benchmark::State& state)
{
    ensureDocument();
    for (auto _ : state)
        benchmark::DoNotOptimize(inflateAndParse());
}

void BM_DocxLoad(benchmark::State& state)
{
    ensureDocument();
    std::size_t chars = 0;
    for (auto _ : state) {
        const docx::Document d = docx::load(documentPath());
        chars = 0;
        for (const auto& s : d.stories)
            chars += static_cast<std::size_t>(s.length());
        benchmark::DoNotOptimize(chars);
    }
    state.counters["positions"] = static_cast<double>(chars);
}

// The same load reading the looks too, as the host's windows do.
void BM_DocxLoadWithLooks(benchmark::State& state)
{
    ensureDocument();
    docx::LoadOptions options;
    options.looks = true;
    for (auto _ : state) {
        const docx::Document d = docx::load(documentPath(), options);
        benchmark::DoNotOptimize(d.stories[0].look.runs.size());
    }
}

// The main part's XML turned into events alone, without inflating it or walking the events.
void BM_TokenizeMainPart(benchmark::State& state)
{
    int err = 0;
    zip_t* za = zip_open(QFile::encodeName(documentPath()).constData(), ZIP_RDONLY, &err);
    zip_stat_t st;
    zip_stat(za, "word/document.xml", 0, &st);
    std::string xml(st.size, '\0');
    zip_file_t* f = zip_fopen(za, "word/document.xml", 0);
    zip_fread(f, xml.data(), xml.size());
    zip_fclose(f);
    zip_close(za);
    std::size_t events = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::string bytes = xml;
        state.ResumeTiming();
        docx::XmlTokenizer tokenizer(std::move(bytes), "word/document.xml", documentPath());
        docx::XmlEventBlock block;
        events = 0;
        do {
            tokenizer.fill(block);
            events += block.events.size();
        } while (block.events.back().kind != docx::XmlEvent::EndOfPart);
        benchmark::DoNotOptimize(events);
    }
    state.counters["events"] = static_cast<double>(events);
}

BENCHMARK(BM_InflateAndParseOnly)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_DocxLoad)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_DocxLoadWithLooks)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_TokenizeMainPart)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    ensureDocument();
    // Peak memory first, before the benchmarks' repetitions blur it.
    const long before = peakRssKiB();
    const docx::Document d = docx::load(documentPath());
    const long after = peakRssKiB();
    const double xmlMiB = static_cast<double>(inflateAndParse()) / (1 << 20);
    std::printf("stories %zu, main story %d positions, notes %zu, comments %zu, sections %zu\n", d.stories.size(),
                d.stories[0].length(), d.notes.size(), d.comments.size(), d.sections.size());
    std::printf("inflated XML %.1f MiB; peak RSS %.1f MiB before load, %.1f MiB after (%.2fx the XML)\n", xmlMiB,
                before / 1024.0, after / 1024.0, after / 1024.0 / xmlMiB);
    // Time both on a warm heap. Otherwise the floor's speed hangs on what ran before it: glibc
    // raises its mmap and trim thresholds only after freeing a large mapped block, and without
    // that every floor iteration page-faulted ~30 MB back in (2.5x slower).
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
