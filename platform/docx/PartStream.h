#pragma once

#include "platform/docx/ZipReader.h"

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace docx {

// One part inflated front to back on a thread of its own, into a buffer the XML reader reads
// behind it: reading the main document overlaps walking it. The zip is the thread's until the
// stream is destroyed: nothing else may read it meanwhile.
class PartStream {
public:
    static constexpr std::size_t kChunkBytes = 64u << 10;   // handed over at a time

    // Opens part (throws Corrupt or TooLarge) and starts inflating it.
    PartStream(ZipReader& zip, const std::string& part);
    ~PartStream();
    PartStream(const PartStream&) = delete;
    PartStream& operator=(const PartStream&) = delete;

    // The buffer: its first ready() bytes may be read.
    const char* data() const { return m_bytes.get(); }
    // Waits until more than have bytes are ready or the part is read whole; returns how many are
    // ready, with done set once that is all. Rethrows what inflating threw, once the bytes before
    // the fault have been handed out.
    std::size_t waitBeyond(std::size_t have, bool& done);

private:
    void inflate();

    ZipEntry m_entry;
    std::unique_ptr<char[]> m_bytes;   // the stated size; written only by the thread, below ready
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_ready = 0;
    bool m_done = false;
    bool m_waiting = false;            // the reader sleeps: wake it with the next chunk
    bool m_stop = false;               // the reader is gone: stop inflating
    std::exception_ptr m_error;
    std::thread m_thread;              // last, so it starts once the members above exist
};

} // namespace docx
