#pragma once

#include "platform/docx/Story.h"

#include <QString>

#include <string>

namespace docx {

// What a load collects beyond what searching needs.
struct LoadOptions {
    bool textSources = false;   // Story::sources, so that edits can be saved exactly
    // How the stories look (Story::look, Section::page, Document::media), for showing them.
    bool looks = false;
    // Reads every part on the calling thread: for callers that already read several documents at
    // once, where a thread of each document's own would only contend for the same cores.
    bool oneThread = false;
};

// Reads the .docx package at path into the document model: every story Word has, in Word's
// order, with character positions, format runs, notes, comments, text boxes and sections.
// Throws core::Error (Word's number, a Japanese description naming the file) when the file is
// missing, is not a readable .docx, or exceeds the reader's size bounds.
Document load(const QString& path, const LoadOptions& options = {});

class ZipReader;
// Reads a package held in memory that the package in parent imports, nesting deep (1 for one
// imported by the file itself); errors name the file at path.
Document loadImported(std::string bytes, ZipReader& parent, const QString& path, int nesting);

} // namespace docx
