#pragma once

#include "platform/forms/UserControl.h"

class QCheckBox;

// Word's seven Find match options as check boxes, kept consistent: at most one of the four
// exclusive options (wildcards, sounds like, all word forms, fuzzy) is on, and while one is on
// the plain options (case, whole word, width) are cleared and disabled.
class ctlQLFFindMatchConditions : public forms::UserControl {
    Q_OBJECT
public:
    explicit ctlQLFFindMatchConditions(QWidget* parent = nullptr);

    bool matchCase() const;
    void setMatchCase(bool value);
    bool matchWholeWord() const;
    void setMatchWholeWord(bool value);
    // Whether the search text allows whole-word matching; False clears and disables the box.
    bool matchWholeWordEnabled() const { return m_matchWholeWordEnabled; }
    void setMatchWholeWordEnabled(bool value);
    bool matchWildcards() const;
    void setMatchWildcards(bool value);
    bool matchSoundsLike() const;
    void setMatchSoundsLike(bool value);
    bool matchAllWordForms() const;
    void setMatchAllWordForms(bool value);
    bool matchByte() const;
    void setMatchByte(bool value);
    bool matchFuzzy() const;
    void setMatchFuzzy(bool value);

signals:
    // Raised at the end of every reaction of an exclusive box.
    void changeState();

protected:
    void UserControl_Initialize() override;
    void UserControl_ReadProperties(const forms::PropertyBag& bag) override;
    void UserControl_WriteProperties(forms::PropertyBag& bag) override;

private:
    void createControls();
    void setCaptions();
    void chkMatchWildcards_Click();
    void chkMatchSoundsLike_Click();
    void chkMatchAllWordForms_Click();
    void chkMatchFuzzy_Click();
    // The one rule behind the four reactions: others are unchecked in the given order.
    void exclusiveClick(QCheckBox* changed, std::initializer_list<QCheckBox*> others);

    QCheckBox* chkMatchCase = nullptr;
    QCheckBox* chkMatchWholeWord = nullptr;
    QCheckBox* chkMatchWildcards = nullptr;
    QCheckBox* chkMatchSoundsLike = nullptr;
    QCheckBox* chkMatchAllWordForms = nullptr;
    QCheckBox* chkMatchByte = nullptr;
    QCheckBox* chkMatchFuzzy = nullptr;
    bool m_matchWholeWordEnabled = false;
};
