#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <utility>
#include <vector>

// Plays a user's steps on modal windows, nested ones included: each step waits until the active
// modal window is of its class ("QWidget" for any window), then acts on it. Clicks that open or close windows should be
// queued (see click()) so that a step never runs inside another. Windows still open after the
// deadline are closed, so a missed step fails the test instead of hanging it.
class ModalSteps {
public:
    using Action = std::function<void(QWidget*)>;

    explicit ModalSteps(std::vector<std::pair<const char*, Action>> steps, int deadlineMs = 5000)
        : m_steps(std::move(steps))
    {
        m_poll.setInterval(10);
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (m_next < m_steps.size() && modal && modal->inherits(m_steps[m_next].first))
                m_steps[m_next++].second(modal);
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

    // Every step ran and no window had to be closed by the deadline.
    bool done() const { return m_next == m_steps.size() && !m_expired; }
    // At least one step ran; a window had to be closed by the deadline.
    bool acted() const { return m_next > 0; }
    bool expired() const { return m_expired; }

    // Clicks the named child button of a window once the current step has returned.
    static void click(QWidget* window, const char* name)
    {
        QWidget* target = window->findChild<QWidget*>(QLatin1String(name));
        QTimer::singleShot(0, target, [target] { QMetaObject::invokeMethod(target, "click"); });
    }

private:
    std::vector<std::pair<const char*, Action>> m_steps;
    size_t m_next = 0;
    QTimer m_poll;
    QTimer m_deadline;
    bool m_expired = false;
};
