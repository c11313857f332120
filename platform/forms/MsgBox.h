#pragma once

#include <QList>
#include <QString>

namespace forms {

// MsgBox styles: buttons (low 4 bits) + icon + default button + modality, as VB adds them up
// (4144 = system-modal + exclamation, 4160 = system-modal + information).
enum MsgBoxStyle {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
    vbSystemModal = 4096,
};

// The button the user pressed.
enum MsgBoxResult { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

// Shows a message box and returns the pressed button's code.
class MessagePresenter {
public:
    virtual ~MessagePresenter();
    virtual int present(const QString& prompt, int style, const QString& title) = 0;
};

// Shows the message through the installed presenter (the application's QMessageBox presenter
// unless another is installed). An empty title shows the application's name.
int MsgBox(const QString& prompt, int style = vbOKOnly, const QString& title = {});

// Installs a presenter (nullptr: the application's) and returns the one it replaces.
MessagePresenter* setMessagePresenter(MessagePresenter* presenter);

// The application's presenter: a modal QMessageBox with the style's buttons, icon and default.
class QMessageBoxPresenter : public MessagePresenter {
public:
    int present(const QString& prompt, int style, const QString& title) override;
};

// Records every message instead of showing it and answers with a chosen button; installed for
// its lifetime, for callers that must run without a user (tests of the forms that use MsgBox).
class MessageRecorder : public MessagePresenter {
public:
    struct Message {
        QString prompt;
        int style;
        QString title;
        bool operator==(const Message&) const = default;
    };

    explicit MessageRecorder(int answer = vbOK);
    ~MessageRecorder() override;
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    int present(const QString& prompt, int style, const QString& title) override;
    void setAnswer(int answer) { m_answer = answer; }
    const QList<Message>& messages() const { return m_messages; }
    void clear() { m_messages.clear(); }

private:
    int m_answer;
    QList<Message> m_messages;
    MessagePresenter* m_previous;
};

} // namespace forms
