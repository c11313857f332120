#pragma once

#include "platform/forms/CheckBox.h"
#include "platform/forms/Form.h"
#include "src/common/ctlCOMAttentionText.h"
#include "src/format/ctlQLFSetFormat.h"
#include "src/search/ctlQLFFindMatchConditions.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <memory>

class clsQLFFindCondition;

// The search dialog: the text, the match options, the highlight criterion and the note. It
// refuses a request that names nothing, runs the search and hands over to the result window.
// Its close box hides it, so everything entered stays until the next showing.
class frmQLFFind : public forms::Form {
    Q_OBJECT
public:
    frmQLFFind();

protected:
    void createControls() override;
    void Form_Load() override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void setCaptions();
    std::unique_ptr<clsQLFFindCondition> createFindCondition() const;
    void btnExecute_Click();
    void btnOption_Click();
    void btnAbout_Click();
    void btnCancel_Click();
    void chkHighlight_KeyPress(int keyAscii);
    void txtText_Change();
    void ctlFindMatchConditions_changeState();

    QPointer<QLabel> lblText;
    QPointer<QLineEdit> txtText;
    QPointer<ctlQLFFindMatchConditions> ctlFindMatchConditions;
    QPointer<QPushButton> btnOption;
    QPointer<forms::CheckBox> chkHighlight;
    QPointer<ctlQLFSetFormat> ctlSetFormat;
    QPointer<QPushButton> btnAbout;
    QPointer<QPushButton> btnExecute;
    QPointer<QPushButton> btnCancel;
    QPointer<ctlCOMAttentionText> txtAttentionText;
};
