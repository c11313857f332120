#include "platform/docx/PartStream.h"

namespace docx {

PartStream::PartStream(ZipReader& zip, const std::string& part, const QString& path, std::function<void()> then)
    : m_entry(zip, part), m_part(part), m_path(path), m_then(std::move(then)), m_thread([this] { produce(); })
{
}

PartStream::~PartStream()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void PartStream::join()
{
    m_thread.join();
    if (m_thenError)
        std::rethrow_exception(m_thenError);
}

void PartStream::produce()
{
    try {
        m_tokenizer = std::make_unique<XmlTokenizer>(m_entry, m_part, m_path);
        for (bool last = false; !last;) {
            XmlEventBlock block;
            {
                const std::lock_guard lock(m_mutex);
                if (!m_spare.empty()) {
                    block = std::move(m_spare.back());
                    m_spare.pop_back();
                }
            }
            m_tokenizer->fill(block);
            last = !block.events.empty() && block.events.back().kind == XmlEvent::EndOfPart;
            std::unique_lock lock(m_mutex);
            m_producerWaits = true;
            m_changed.wait(lock, [this] { return m_stop || m_ready.size() < kAhead; });
            m_producerWaits = false;
            if (m_stop)
                return;
            m_ready.push_back(std::move(block));
            m_done = last;
            const bool wake = m_readerWaits;
            lock.unlock();
            if (wake)
                m_changed.notify_all();
        }
    } catch (...) {
        {
            const std::lock_guard lock(m_mutex);
            m_error = std::current_exception();
            m_done = true;
        }
        m_changed.notify_all();
        return;
    }
    if (m_then) {
        try {
            m_then();
        } catch (...) {
            m_thenError = std::current_exception();
        }
    }
}

void PartStream::next(XmlEventBlock& block)
{
    std::unique_lock lock(m_mutex);
    m_readerWaits = true;
    m_changed.wait(lock, [this] { return !m_ready.empty() || m_done; });
    m_readerWaits = false;
    if (m_ready.empty()) {
        if (m_error)
            std::rethrow_exception(m_error);
        // The part ended and its last block was handed out: nothing more follows.
        block.events.assign(1, XmlEvent{});
        return;
    }
    m_spare.push_back(std::move(block));
    block = std::move(m_ready.front());
    m_ready.pop_front();
    const bool wake = m_producerWaits;
    lock.unlock();
    if (wake)
        m_changed.notify_all();
}

} // namespace docx
