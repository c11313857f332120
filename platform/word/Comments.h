#pragma once

#include "platform/core/Object.h"
#include "platform/word/Forward.h"

#include <QString>

#include <vector>

namespace word {

// One comment of a document, by its index in the model's comment list.
class Comment : public core::Object {
public:
    Comment(DocumentPtr doc, int index) : m_doc(std::move(doc)), m_index(index) {}

    // The comment's text in the comments story.
    RangePtr Range() const;
    // The commented range in the story that holds the comment mark.
    RangePtr Scope() const;
    QString Author() const;
    QString Initial() const;
    // Opens the comment for editing: the comment pane shows and the selection moves into it.
    void Edit();

    int index() const { return m_index; }

private:
    DocumentPtr m_doc;
    int m_index;
};

class Comments : public core::Object {
public:
    Comments(DocumentPtr doc, std::vector<int> indexes) : m_doc(std::move(doc)), m_indexes(std::move(indexes)) {}

    int Count() const { return static_cast<int>(m_indexes.size()); }
    // 1-based; raises 5941 outside 1..Count.
    CommentPtr Item(int index) const;

private:
    DocumentPtr m_doc;
    std::vector<int> m_indexes;
};

} // namespace word
