#include "src/search/clsQLFFindCondition.h"

#include "platform/word/Find.h"
#include "platform/word/Font.h"

void clsQLFFindCondition::setFindObject(const word::FindPtr& objFind) const
{
    objFind->ClearFormatting();
    objFind->setText(m_text);
    objFind->setMatchCase(m_matchCase);
    objFind->setMatchWholeWord(m_matchWholeWord);
    objFind->setMatchWildcards(m_matchWildcards);
    objFind->setMatchSoundsLike(m_matchSoundsLike);
    objFind->setMatchAllWordForms(m_matchAllWordForms);
    objFind->setMatchByte(m_matchByte);
    objFind->setMatchFuzzy(m_matchFuzzy);
    objFind->setHighlight(m_highlight);
    if (m_objFont) {
        objFind->Font()->setColor(m_objFont->Color());
        objFind->Font()->setStrikeThrough(m_objFont->StrikeThrough());
        objFind->Font()->setDoubleStrikeThrough(m_objFont->DoubleStrikeThrough());
        objFind->setFormat(true);
    }
    objFind->setForward(true);
    objFind->setWrap(word::wdFindContinue);
}
