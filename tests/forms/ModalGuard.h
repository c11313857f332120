#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs `action` on the first modal window that appears (polling, started before the modal call)
// and, should the action leave it open, closes every modal window after a deadline so that a
// forgotten dialog fails the test instead of hanging it.
class ModalGuard {
public:
    explicit ModalGuard(std::function<void(QWidget*)> action, int deadlineMs = 2000)
        : m_action(std::move(action))
    {
        m_poll.setInterval(10);
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            if (QWidget* modal = QApplication::activeModalWidget(); modal && !m_acted) {
                m_acted = true;
                m_action(modal);
            }
        });
        m_poll.start();
        m_deadline.setSingleShot(true);
        QObject::connect(&m_deadline, &QTimer::timeout, [this] {
            while (QWidget* modal = QApplication::activeModalWidget()) {
                m_expired = true;
                modal->close();
                modal->hide();
            }
        });
        m_deadline.start(deadlineMs);
    }

    bool acted() const { return m_acted; }
    bool expired() const { return m_expired; }

private:
    std::function<void(QWidget*)> m_action;
    QTimer m_poll;
    QTimer m_deadline;
    bool m_acted = false;
    bool m_expired = false;
};
