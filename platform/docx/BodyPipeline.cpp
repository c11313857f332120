#include "platform/docx/BodyPipeline.h"

namespace docx {

BodyPipeline::BodyPipeline(ZipReader& zip, const std::string& part, const QString& path)
    : m_slices(zip, part, path), m_reader([this] { read(); })
{
}

BodyPipeline::~BodyPipeline()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_reader.join();
}

void BodyPipeline::read()
{
    try {
        for (;;) {
            auto slice = std::make_unique<XmlPart>();
            const bool more = m_slices.next(*slice);
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stop || m_ready.size() < kAhead; });
            if (m_stop)
                return;
            if (more)
                m_ready.push_back(std::move(slice));
            else
                m_done = true;
            lock.unlock();
            m_changed.notify_all();
            if (!more)
                return;
        }
    } catch (...) {
        {
            const std::lock_guard lock(m_mutex);
            m_error = std::current_exception();
            m_done = true;
        }
        m_changed.notify_all();
    }
}

std::unique_ptr<XmlPart> BodyPipeline::next()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_ready.empty() || m_done; });
    if (m_ready.empty()) {
        if (m_error)
            std::rethrow_exception(m_error);
        return nullptr;
    }
    std::unique_ptr<XmlPart> slice = std::move(m_ready.front());
    m_ready.pop_front();
    lock.unlock();
    m_changed.notify_all();
    return slice;
}

} // namespace docx
