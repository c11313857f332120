#pragma once

#include "platform/forms/Form.h"

#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QString>

// A small progress window: a caption, one line of text, a cancel button and a bar (two hidden
// labels) showing a rate from 0.0 to 1.0. Its owner sets the four properties and listens to
// RequestedCancel; the close box does nothing.
class frmCOMProgress : public forms::Form {
    Q_OBJECT
public:
    frmCOMProgress();

    // フォームのCaptionに表示する文字列
    QString title() const { return m_strTitle; }
    void setTitle(const QString& strTitle);
    // プログレスバーの上に表示するテキスト（1行のみ）
    QString text() const { return m_strText; }
    void setText(const QString& strText);
    // プログレスバーに表示するテキスト（1行のみ）
    QString progressText() const { return m_strProgressText; }
    void setProgressText(const QString& strProgressText);
    // 進捗率（0.0～1.0の値）. Raises error 5 outside 0.0 to 1.0 and then changes nothing.
    double progressRate() const { return m_dblRate; }
    void setProgressRate(double dblRate);

    QLabel* lblText() const { return m_lblText; }
    QLabel* lblMax() const { return m_lblMax; }
    QLabel* lblProgress() const { return m_lblProgress; }
    QPushButton* cmdCancel() const { return m_cmdCancel; }

signals:
    // The user clicked the cancel button.
    void RequestedCancel();

protected:
    void createControls() override;
    void Form_Load() override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;

private:
    void setCaptions();
    void cmdCancel_Click();

    QString m_strTitle;
    QString m_strText;
    QString m_strProgressText;
    double m_dblRate = 0.0;

    QPointer<QLabel> m_lblText;
    QPointer<QFrame> m_fraProgress;
    QPointer<QLabel> m_lblMax;
    QPointer<QLabel> m_lblProgress;
    QPointer<QPushButton> m_cmdCancel;
};
