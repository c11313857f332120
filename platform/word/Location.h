#pragma once

#include "platform/docx/Story.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace word {

// Where a position of a story lies, in the terms a reader of the document uses. Numbers are
// 0-based where they index the model, 1-based where the document shows them.
struct Location {
    int storyType = 0;
    int section = 0;               // 0-based; notes, comments and text boxes take their anchor's
    int headerFooterKind = -1;     // headers and footers: 0 primary, 1 first page, 2 even pages
    int note = -1;                 // notes: index into the model's notes
    QString noteNumber;            // notes: the number (or custom mark) the document shows
    int comment = -1;              // comments: index into the model's comments, in order of marks
    int textBox = -1;              // text boxes: index in the text-box chain
    int anchorStory = -1;          // text boxes: the story holding its anchor
    int table = 0, row = 0, column = 0;   // table cells, from 1 within the story; 0 outside tables
};

// The paragraph around a hit as Find sees it: field codes, deleted and hidden text left out, and
// the marks of notes, comments and pictures too.
struct Context {
    QString before, after;
};

// A header or footer story type's kind as docx::Section indexes them (0 primary, 1 first page,
// 2 even pages); -1 for any other story type.
int headerFooterKind(int storyType);

// A header's or footer's kind (0 primary, 1 first page, 2 even pages) in words: 先頭ページ,
// 偶数ページ, and 奇数ページ for the primary one only when odd and even pages differ; otherwise the
// primary one shows on every page and has no word (empty).
QString headerFooterKindText(int kind, bool evenAndOdd);

// A location in one line of the words people use: "セクション 2、先頭ページのヘッダー",
// "セクション 1、脚注 ii", "セクション 1、表 1 の 2 行 3 列" ... storyTypeName names the story type
// a text box is anchored in.
QString locationText(const Location& at, const docx::Document& model, const std::function<QString(int)>& storyTypeName);

// The 0-based section a story position belongs to: a header's or footer's own, the main text's
// by position, and for notes, comments and text boxes the section of their anchor.
int sectionAt(const docx::Document& model, int story, int32_t pos);

// Locates positions of one document model. Notes are counted once, on construction, and a
// note's number is written out only when asked for; the model must outlive the locator and stay
// unchanged meanwhile.
class Locator {
public:
    explicit Locator(const docx::Document& model);

    Location locate(int story, int32_t pos) const;
    // Up to chars characters of [start, end)'s paragraph on each side of it.
    Context context(int story, int32_t start, int32_t end, int chars) const;
    // The number (or custom mark) the document shows for the model's note-th note.
    QString noteNumber(int note) const;

private:
    // A note's place in its numbering and the numbering's format (in the model).
    struct NoteCount {
        int number;
        const QString* format;
    };

    const docx::Document& m_model;
    std::vector<NoteCount> m_noteCounts;   // parallel to the model's notes
};

} // namespace word
