#pragma once

#include "platform/forms/UserControl.h"

class QLabel;
class QPlainTextEdit;

// A note for the user: the label "注意:" over a read-only text box holding a text file from the
// add-in's folder. The hosting dialog names the file in its stored design ("textFilePath").
class ctlCOMAttentionText : public forms::UserControl {
    Q_OBJECT
public:
    explicit ctlCOMAttentionText(QWidget* parent = nullptr);

    QString textFilePath() const { return m_strTextFilePath; }
    // Stores the name and reads the file at once, also when the name is unchanged.
    void setTextFilePath(QString value);
    // Reloads the text box from the file; a relative name is taken from the add-in's folder.
    // Never fails: a file that cannot be read is logged and leaves the box with what was read.
    void readAttentionFile();
    // The text box's content.
    QString attentionText() const;

protected:
    void UserControl_Initialize() override;
    void UserControl_ReadProperties(const forms::PropertyBag& bag) override;
    void UserControl_WriteProperties(forms::PropertyBag& bag) override;
    void UserControl_Resize() override;

private:
    void createControls();
    void setCaptions();

    QLabel* lblAttention = nullptr;
    QPlainTextEdit* txtAttention = nullptr;
    QString m_strTextFilePath;
};

// The folder that holds the add-in's own module file (libQLF.so, or the program it is linked into).
QString addinModuleFolder();
