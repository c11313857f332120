#include "host/DocumentPrefetch.h"

#include "platform/docx/Package.h"

namespace host {

DocumentPrefetch::DocumentPrefetch(QStringList files, int jobs)
    : m_files(std::move(files)), m_jobs(std::max(1, jobs)), m_read(static_cast<std::size_t>(m_files.size()))
{
    for (int i = 0; i < std::min<int>(m_jobs, static_cast<int>(m_files.size())); ++i)
        m_workers.emplace_back([this] { work(); });
}

DocumentPrefetch::~DocumentPrefetch()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    for (std::thread& t : m_workers)
        t.join();
}

void DocumentPrefetch::work()
{
    for (;;) {
        int index;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_stopping || m_next >= m_files.size() || m_next < m_taken + m_jobs; });
            if (m_stopping || m_next >= m_files.size())
                return;
            index = m_next++;
        }
        std::variant<docx::Document, std::exception_ptr> read;
        try {
            read = docx::load(m_files[index]);
        } catch (...) {
            read = std::current_exception();
        }
        {
            std::lock_guard lock(m_mutex);
            m_read[static_cast<std::size_t>(index)] = std::move(read);
        }
        m_changed.notify_all();
    }
}

docx::Document DocumentPrefetch::take(int index)
{
    std::variant<docx::Document, std::exception_ptr> read;
    {
        std::unique_lock lock(m_mutex);
        auto& slot = m_read.at(static_cast<std::size_t>(index));
        m_changed.wait(lock, [&] { return slot.has_value(); });
        read = std::move(*slot);
        slot.reset();
        m_taken = index + 1;
    }
    m_changed.notify_all();
    if (auto* error = std::get_if<std::exception_ptr>(&read))
        std::rethrow_exception(*error);
    return std::move(std::get<docx::Document>(read));
}

} // namespace host
