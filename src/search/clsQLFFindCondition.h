#pragma once

#include "platform/word/Forward.h"

#include <QString>

#include <cstdint>

// One search request: the document, the text, Word's seven match options, the highlight
// criterion and an optional font. It applies itself to any number of Find objects alike.
class clsQLFFindCondition {
public:
    word::DocumentPtr objDoc() const { return m_objDoc; }
    void setObjDoc(word::DocumentPtr doc) { m_objDoc = std::move(doc); }
    QString text() const { return m_text; }
    void setText(QString text) { m_text = std::move(text); }
    bool matchCase() const { return m_matchCase; }
    void setMatchCase(bool on) { m_matchCase = on; }
    bool matchWholeWord() const { return m_matchWholeWord; }
    void setMatchWholeWord(bool on) { m_matchWholeWord = on; }
    bool matchWildcards() const { return m_matchWildcards; }
    void setMatchWildcards(bool on) { m_matchWildcards = on; }
    bool matchSoundsLike() const { return m_matchSoundsLike; }
    void setMatchSoundsLike(bool on) { m_matchSoundsLike = on; }
    bool matchAllWordForms() const { return m_matchAllWordForms; }
    void setMatchAllWordForms(bool on) { m_matchAllWordForms = on; }
    bool matchByte() const { return m_matchByte; }
    void setMatchByte(bool on) { m_matchByte = on; }
    bool matchFuzzy() const { return m_matchFuzzy; }
    void setMatchFuzzy(bool on) { m_matchFuzzy = on; }
    // 0 not highlighted, -1 highlighted, 9999999 no criterion.
    int32_t highlight() const { return m_highlight; }
    void setHighlight(int32_t value) { m_highlight = value; }
    word::FontPtr objFont() const { return m_objFont; }
    void setObjFont(word::FontPtr font) { m_objFont = std::move(font); }

    // The refusal of a request that names nothing to look for (the search dialog's and the
    // headless search's).
    static QString noCriterionMessage() { return QStringLiteral("検索条件を設定してください"); }

    // Writes the request into objFind, overwriting what an earlier request left there.
    void setFindObject(const word::FindPtr& objFind) const;

private:
    word::DocumentPtr m_objDoc;
    QString m_text;
    bool m_matchCase = false;
    bool m_matchWholeWord = false;
    bool m_matchWildcards = false;
    bool m_matchSoundsLike = false;
    bool m_matchAllWordForms = false;
    bool m_matchByte = false;
    bool m_matchFuzzy = false;
    int32_t m_highlight = 0;
    word::FontPtr m_objFont;
};
