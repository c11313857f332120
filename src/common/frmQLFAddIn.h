#pragma once

#include "platform/forms/Form.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

// The About box: the add-in's name and version and its creator's name, home page and e-mail
// address, each selectable but not editable. A click on the home page opens it.
class frmQLFAddIn : public forms::Form {
    Q_OBJECT
public:
    frmQLFAddIn();

protected:
    void createControls() override;
    void Form_Load() override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;

private:
    void setCaptions();
    void cmdClose_Click();
    void txtCreatorHP_Click();

    QPointer<QLabel> lblAddinName;
    QPointer<QLineEdit> txtAddinName;
    QPointer<QLabel> lblAddinVersion;
    QPointer<QLineEdit> txtAddinVersion;
    QPointer<QLabel> lblCreatorName;
    QPointer<QLineEdit> txtCreatorName;
    QPointer<QLabel> lblCreatorHP;
    QPointer<QLineEdit> txtCreatorHP;
    QPointer<QLabel> lblCreatorEmailAddress;
    QPointer<QLineEdit> txtCreatorEmailAddress;
    QPointer<QPushButton> cmdClose;
};
