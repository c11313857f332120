#include "platform/forms/MsgBox.h"

#include "platform/forms/Form.h"

#include <QApplication>
#include <QMessageBox>
#include <QWindow>

namespace forms {

namespace {

MessagePresenter*& installed()
{
    static MessagePresenter* presenter = nullptr;
    return presenter;
}

QList<QMessageBox::StandardButton> buttonsOf(int style)
{
    switch (style & 0xF) {
    case vbOKCancel: return {QMessageBox::Ok, QMessageBox::Cancel};
    case vbAbortRetryIgnore: return {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
    case vbYesNoCancel: return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    case vbYesNo: return {QMessageBox::Yes, QMessageBox::No};
    case vbRetryCancel: return {QMessageBox::Retry, QMessageBox::Cancel};
    default: return {QMessageBox::Ok};
    }
}

QMessageBox::Icon iconOf(int style)
{
    switch (style & 0x70) {
    case vbCritical: return QMessageBox::Critical;
    case vbQuestion: return QMessageBox::Question;
    case vbExclamation: return QMessageBox::Warning;
    case vbInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

int resultOf(int button)
{
    switch (button) {
    case QMessageBox::Cancel: return vbCancel;
    case QMessageBox::Abort: return vbAbort;
    case QMessageBox::Retry: return vbRetry;
    case QMessageBox::Ignore: return vbIgnore;
    case QMessageBox::Yes: return vbYes;
    case QMessageBox::No: return vbNo;
    default: return vbOK;
    }
}

} // namespace

MessagePresenter::~MessagePresenter() = default;

int MsgBox(const QString& prompt, int style, const QString& title)
{
    const QString shownTitle = title.isEmpty() ? QCoreApplication::applicationName() : title;
    if (MessagePresenter* p = installed())
        return p->present(prompt, style, shownTitle);
    QMessageBoxPresenter application;
    return application.present(prompt, style, shownTitle);
}

MessagePresenter* setMessagePresenter(MessagePresenter* presenter)
{
    MessagePresenter* previous = installed();
    installed() = presenter;
    return previous;
}

int QMessageBoxPresenter::present(const QString& prompt, int style, const QString& title)
{
    QMessageBox box(iconOf(style), title, prompt, QMessageBox::NoButton, QApplication::activeWindow());
    const QList<QMessageBox::StandardButton> buttons = buttonsOf(style);
    for (QMessageBox::StandardButton b : buttons)
        box.addButton(b);
    const int defaultIndex = qMin<int>((style >> 8) & 0x3, buttons.size() - 1);
    box.setDefaultButton(buttons.at(defaultIndex));
    // Without a Cancel button Esc and the close box answer OK only when OK is the sole button.
    if (buttons.size() == 1)
        box.setEscapeButton(buttons.first());
    box.setWindowModality(Qt::ApplicationModal);
    // Owned as the forms are, or the forms would stay above the message that blocks them.
    if (QWindow* owner = formOwner()) {
        box.winId();
        box.windowHandle()->setTransientParent(owner);
    }
    if (style & vbSystemModal)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
    return resultOf(box.standardButton(box.clickedButton()));
}

MessageRecorder::MessageRecorder(int answer)
    : m_answer(answer), m_previous(setMessagePresenter(this))
{
}

MessageRecorder::~MessageRecorder()
{
    setMessagePresenter(m_previous);
}

int MessageRecorder::present(const QString& prompt, int style, const QString& title)
{
    m_messages.append({prompt, style, title});
    return m_answer;
}

} // namespace forms
