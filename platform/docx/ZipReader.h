#pragma once

#include <QString>

#include <cstddef>
#include <string>

struct zip;

namespace docx {

// Read-only access to the entries of a zip package, with bounds: entry count, inflated size
// per entry and in total. Every failure throws the load error naming the file.
class ZipReader {
public:
    static constexpr std::size_t kMaxEntries = 20000;
    static constexpr std::size_t kMaxPartSize = 512u << 20;   // one inflated part
    static constexpr std::size_t kMaxTotalSize = 1024u << 20; // everything read from one package

    // Opens path; throws NotFound, Empty, OleFile, NotZip, Corrupt or TooManyEntries.
    explicit ZipReader(const QString& path);
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    // Whether an entry exists (part names are matched without regard to case).
    bool contains(const std::string& name) const;
    // The inflated bytes of an entry; throws Corrupt or TooLarge.
    std::string read(const std::string& name);

private:
    QString m_path;
    struct zip* m_zip = nullptr;
    std::size_t m_totalRead = 0;
};

} // namespace docx
