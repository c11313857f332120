#pragma once

#include "platform/docx/Story.h"

#include <QStringList>

#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <variant>
#include <vector>

namespace host {

// Reads documents ahead of a search on worker threads and hands them over in the order of the
// files. At most `jobs` documents are read or waiting at once, so memory stays bounded however
// many files there are; the search itself stays on the caller's thread.
class DocumentPrefetch {
public:
    DocumentPrefetch(QStringList files, int jobs);
    // Stops the workers once the documents they are reading are read.
    ~DocumentPrefetch();

    // The index-th file's document, waiting until it is read; rethrows the reader's error. Each
    // index is taken once, in ascending order.
    docx::Document take(int index);

private:
    void work();

    const QStringList m_files;
    const int m_jobs;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::optional<std::variant<docx::Document, std::exception_ptr>>> m_read;
    int m_next = 0;      // the next file a worker starts on
    int m_taken = 0;     // files handed over
    bool m_stopping = false;
    std::vector<std::thread> m_workers;
};

} // namespace host
