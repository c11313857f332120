#pragma once

#include "platform/word/Forward.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace host {

// 編集 → 置換…: Word's Find and Replace dialog over the active document, in Japanese. 次を検索
// selects the next hit after the selection (going on through the following stories in Word's
// order), 置換 replaces the selected hit and finds the next, すべて置換 replaces in every story
// as one undo step and reports the count.
class ReplaceDialog : public QDialog {
    Q_OBJECT
public:
    ReplaceDialog(word::ApplicationPtr app, QWidget* parent = nullptr);

    QLineEdit* findText() const { return m_find; }
    QLineEdit* replaceText() const { return m_replace; }
    QCheckBox* option(int i) const { return m_options[i]; }
    QPushButton* findNextButton() const { return m_findNext; }
    QPushButton* replaceButton() const { return m_replaceOne; }
    QPushButton* replaceAllButton() const { return m_replaceAll; }

    // The messages it shows (the count after すべて置換, "not found", errors) go through this.
    void setMessenger(std::function<void(const QString&)> show) { m_message = std::move(show); }

    static constexpr int kOptionCount = 7;

private:
    void settings(word::Find& find) const;
    bool findNext();
    void replaceOne();
    void replaceAll();

    word::ApplicationPtr m_app;
    QLineEdit* m_find;
    QLineEdit* m_replace;
    QCheckBox* m_options[kOptionCount];
    QPushButton* m_findNext;
    QPushButton* m_replaceOne;
    QPushButton* m_replaceAll;
    std::function<void(const QString&)> m_message;
};

} // namespace host
