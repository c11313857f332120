#pragma once

#include "platform/docx/XmlEvents.h"
#include "platform/docx/XmlTokenizer.h"
#include "platform/docx/ZipReader.h"

#include <QString>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace docx {

// One part inflated and tokenized on a thread of its own, a few blocks of events ahead of the
// reader: reading the main document overlaps walking it. More work may follow on the same thread
// once the part is read. The zip is the thread's until the stream is joined or destroyed: nothing
// else may read it meanwhile.
class PartStream {
public:
    // Blocks waiting at most. Few: the walk reads them while they are still in cache.
    static constexpr std::size_t kAhead = 8;

    // Opens part (throws Corrupt or TooLarge) and starts reading it; then, when given, runs on
    // the thread once the part is read.
    PartStream(ZipReader& zip, const std::string& part, const QString& path, std::function<void()> then = {});
    ~PartStream();
    PartStream(const PartStream&) = delete;
    PartStream& operator=(const PartStream&) = delete;

    // Replaces block with the next one, waiting for it; the one handed back is filled again later.
    // Rethrows what reading the part threw once the blocks before the fault are handed out.
    void next(XmlEventBlock& block);
    // Waits for the thread's work to end; rethrows what then threw.
    void join();
    // The part's root bindings, once next() has handed out a block.
    const std::vector<XmlBinding>& rootBindings() const { return m_tokenizer->rootBindings(); }
    bool converted() const { return m_tokenizer->converted(); }

private:
    void produce();

    ZipEntry m_entry;
    std::string m_part;
    QString m_path;
    std::unique_ptr<XmlTokenizer> m_tokenizer;   // the thread's; its bytes outlive the events
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<XmlEventBlock> m_ready;
    // Handed back by the reader: reusing their memory keeps the pages the blocks live in mapped
    // and in cache, where fresh blocks would be faulted in anew at every load.
    std::vector<XmlEventBlock> m_spare;
    std::function<void()> m_then;
    std::exception_ptr m_error, m_thenError;
    bool m_done = false;                         // the thread has ended, normally or with m_error
    bool m_stop = false;                         // the reader is gone: stop
    bool m_readerWaits = false, m_producerWaits = false;
    std::thread m_thread;                        // last, so it starts once the members above exist
};

} // namespace docx
