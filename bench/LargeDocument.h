#pragma once

#include <QString>

#include <cstddef>

namespace bench {

struct LargeDocumentOptions {
    int pages = 2000;
    int charsPerPage = 1800;       // roughly, Japanese and English mixed
    int pagesPerSection = 200;     // each section brings its own headers and footers, some linked
    int footnoteEveryPages = 1;
    int endnoteEveryPages = 10;
    int commentEveryPages = 5;
    int markerEveryParagraphs = 0; // >0: the word "目印" ends every so many paragraphs of the main text
    int commentsPerParagraph = 0;  // >0: so many more comments anchored in every paragraph of the main text
    bool mixedPageSizes = false;   // sections in turn on A4 upright, A4 lying and B5 pages, with their own margins
};

// Writes a .docx with the given shape to path; returns the total size of its XML parts.
// Throws std::runtime_error when the file cannot be written.
std::size_t writeLargeDocument(const QString& path, const LargeDocumentOptions& options = {});

// Writes a .docx whose main text is one paragraph of one w:t of mib MiB of letters, no space or
// break in it; returns the size of its main part.
std::size_t writeLongParagraphDocument(const QString& path, int mib);

} // namespace bench
