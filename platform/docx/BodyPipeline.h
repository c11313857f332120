#pragma once

#include "platform/docx/BodySlices.h"
#include "platform/docx/Xml.h"

#include <QString>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace docx {

class ZipReader;

// The main document's slices inflated and parsed on a thread of their own, a few ahead of the
// walk, so reading the part overlaps walking it. The zip is the reader thread's until the
// pipeline is destroyed: nothing else may read it meanwhile.
class BodyPipeline {
public:
    static constexpr std::size_t kAhead = 2;   // parsed slices waiting at most

    // Opens part (throws Corrupt or TooLarge) and starts reading it.
    BodyPipeline(ZipReader& zip, const std::string& part, const QString& path);
    ~BodyPipeline();
    BodyPipeline(const BodyPipeline&) = delete;
    BodyPipeline& operator=(const BodyPipeline&) = delete;

    // The next slice; null once the part is done. Rethrows what reading the part threw.
    std::unique_ptr<XmlPart> next();

private:
    void read();

    BodySlices m_slices;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::unique_ptr<XmlPart>> m_ready;
    std::exception_ptr m_error;
    bool m_done = false;   // the reader has ended, normally or with m_error
    bool m_stop = false;   // the walk has ended: the reader stops
    std::thread m_reader;  // last, so it starts once the members above exist
};

} // namespace docx
