#pragma once

#include <QString>

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct zip;
struct zip_file;

namespace docx {

// Read-only access to the parts of a zip package, with bounds: entry count, inflated size per
// entry and in total. Entries are found by part name (partNameKey). Every failure throws the load
// error naming the file.
class ZipReader {
public:
    static constexpr std::size_t kMaxEntries = 20000;
    static constexpr std::size_t kMaxPartSize = 512u << 20;   // one inflated part
    static constexpr std::size_t kMaxTotalSize = 1024u << 20; // everything read from one package

    // Opens path; throws NotFound, Empty, OleFile, NotZip, Corrupt, TooManyEntries, or
    // DuplicatePart when two entries name one part.
    explicit ZipReader(const QString& path);
    // Opens a package held in memory (a document imported into another), named path in errors;
    // what it inflates counts against parent's total. Throws as the other constructor does.
    ZipReader(std::string bytes, const QString& path, ZipReader& parent);
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    // Whether an entry names the part.
    bool contains(const std::string& name) const;
    // The inflated bytes of an entry; throws Corrupt or TooLarge.
    std::string read(const std::string& name);

private:
    friend class ZipEntry;
    // Indexes the entries by part name once the archive is open; rawNames: the central
    // directory's own names of its entries, none when unknown.
    void indexParts(const std::vector<std::string>& rawNames);
    // The entry naming the part, or -1.
    int64_t indexOf(const std::string& name) const;

    QString m_path;
    std::string m_bytes;                                  // the package, when held in memory
    struct zip* m_zip = nullptr;
    std::unordered_map<std::string, uint64_t> m_parts;    // entry index by partNameKey
    std::size_t m_ownRead = 0;
    std::size_t* m_totalRead = &m_ownRead;                // the outermost package's count
};

// One entry of a ZipReader read front to back in pieces, so a large part need not be held whole.
class ZipEntry {
public:
    // Opens name; throws Corrupt, or TooLarge when its stated size breaks the reader's bounds.
    ZipEntry(ZipReader& zip, const std::string& name);
    ~ZipEntry();
    ZipEntry(const ZipEntry&) = delete;
    ZipEntry& operator=(const ZipEntry&) = delete;

    std::size_t size() const { return m_size; }
    // Reads up to n (> 0) further bytes into out and returns how many; 0 once the entry is read
    // whole. Throws Corrupt when the data falls short of the stated size, goes beyond it or fails
    // its check.
    std::size_t readInto(char* out, std::size_t n);

private:
    struct Inflater;
    [[noreturn]] void fail();
    [[noreturn]] void fail(const QString& why);
    std::size_t inflateInto(char* out, std::size_t n);

    ZipReader& m_zip;
    QString m_part;
    struct zip_file* m_file = nullptr;
    std::size_t m_size = 0, m_read = 0;
    std::unique_ptr<Inflater> m_inflater;   // deflated entries: inflated here
};

} // namespace docx
