// make_large_document OUTPUT.docx [MARKER_EVERY_PARAGRAPHS [COMMENTS_PER_PARAGRAPH]]: writes the
// large benchmark document.
#include "bench/LargeDocument.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: make_large_document OUTPUT.docx [MARKER_EVERY_PARAGRAPHS [COMMENTS_PER_PARAGRAPH]]\n");
        return 2;
    }
    bench::LargeDocumentOptions options;
    if (argc >= 3)
        options.markerEveryParagraphs = std::atoi(argv[2]);
    if (argc == 4)
        options.commentsPerParagraph = std::atoi(argv[3]);
    const std::size_t xml = bench::writeLargeDocument(QString::fromLocal8Bit(argv[1]), options);
    std::printf("%s: %zu bytes of XML\n", argv[1], xml);
    return 0;
}
