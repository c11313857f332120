#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <vector>

namespace docx {

// Tasks that threads take one at a time until none is left, once someone opens the list.
template <typename... Args>
class SharedWork {
public:
    using Task = std::function<void(Args...)>;

    // Before open() only.
    void add(Task task) { m_tasks.push_back(std::move(task)); }
    // Lets work() begin, or, when failed, return without taking anything.
    void open(bool failed = false)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_open = true;
            m_failed = failed;
        }
        m_opened.notify_all();
    }
    // Waits for open(), then runs tasks with args until none is left.
    void work(Args... args)
    {
        {
            std::unique_lock lock(m_mutex);
            m_opened.wait(lock, [this] { return m_open; });
            if (m_failed)
                return;
        }
        for (;;) {
            std::size_t i;
            {
                const std::lock_guard lock(m_mutex);
                if (m_next >= m_tasks.size())
                    return;
                i = m_next++;
            }
            m_tasks[i](args...);
        }
    }

private:
    std::vector<Task> m_tasks;
    std::mutex m_mutex;
    std::condition_variable m_opened;
    std::size_t m_next = 0;
    bool m_open = false, m_failed = false;
};

} // namespace docx
