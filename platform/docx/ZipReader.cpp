#include "platform/docx/ZipReader.h"

#include "platform/docx/LoadError.h"
#include "platform/docx/PartName.h"

#include <QFile>

#include <libdeflate.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

namespace docx {

namespace {

constexpr unsigned char kOleSignature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

// Refuses what is not a zip before libzip sees it, so each case gets its own message.
void checkSignature(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw loadError(LoadFailure::NotFound, path);
    const QByteArray head = f.read(8);
    if (head.isEmpty())
        throw loadError(LoadFailure::Empty, path);
    if (head.size() == 8 && std::memcmp(head.constData(), kOleSignature, 8) == 0)
        throw loadError(LoadFailure::OleFile, path);
    if (!head.startsWith("PK"))
        throw loadError(LoadFailure::NotZip, path);
}

QString zipMessage(int code)
{
    zip_error_t e;
    zip_error_init_with_code(&e, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&e));
    zip_error_fini(&e);
    return text;
}

uint64_t le(std::string_view b, std::size_t at, int bytes)
{
    uint64_t v = 0;
    for (int i = bytes; i-- > 0;)
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

// The raw names of the central directory's entries, in its order; none when it cannot be walked.
// libzip applies an Info-ZIP Unicode Path field (0x7075) in place of the raw name and keeps no
// trace of that name, yet a consumer that ignores the field knows the entry by it: the directory
// is walked here for those names alone. readAt(offset, size) gives the archive's bytes, shorter
// past its end.
std::vector<std::string> rawEntryNames(const std::function<std::string(uint64_t, uint64_t)>& readAt, uint64_t archiveSize)
{
    constexpr uint64_t kEndRecord = 22, kMaxComment = 0xFFFF;
    const uint64_t tailAt = archiveSize > kEndRecord + kMaxComment ? archiveSize - kEndRecord - kMaxComment : 0;
    const std::string tail = readAt(tailAt, archiveSize - tailAt);
    const std::size_t end = tail.rfind("PK\x05\x06");
    if (end == std::string::npos || end + kEndRecord > tail.size())
        return {};
    uint64_t count = le(tail, end + 10, 2), size = le(tail, end + 12, 4), offset = le(tail, end + 16, 4);
    if (offset == 0xFFFFFFFF || size == 0xFFFFFFFF || count == 0xFFFF) {   // zip64: its own end record
        if (end < 20 || tail.compare(end - 20, 4, "PK\x06\x07") != 0)
            return {};
        const std::string end64 = readAt(le(tail, end - 20 + 8, 8), 56);
        if (end64.size() < 56 || end64.compare(0, 4, "PK\x06\x06") != 0)
            return {};
        count = le(end64, 32, 8);
        size = le(end64, 40, 8);
        offset = le(end64, 48, 8);
    }
    if (size > archiveSize || count > ZipReader::kMaxEntries)
        return {};
    const std::string dir = readAt(offset, size);
    std::vector<std::string> names;
    for (std::size_t at = 0; names.size() < count; ) {
        if (at + 46 > dir.size() || dir.compare(at, 4, "PK\x01\x02") != 0)
            return {};
        const std::size_t nameLen = le(dir, at + 28, 2), extraLen = le(dir, at + 30, 2), commentLen = le(dir, at + 32, 2);
        if (at + 46 + nameLen > dir.size())
            return {};
        names.push_back(dir.substr(at + 46, nameLen));
        at += 46 + nameLen + extraLen + commentLen;
    }
    return names;
}

} // namespace

ZipReader::ZipReader(const QString& path) : m_path(path)
{
    checkSignature(path);
    int code = 0;
    m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!m_zip)
        throw loadError(code == ZIP_ER_NOZIP ? LoadFailure::NotZip : LoadFailure::Corrupt, path,
                        zipMessage(code));
    QFile file(path);
    const bool readable = file.open(QIODevice::ReadOnly);
    indexParts(rawEntryNames(
        [&](uint64_t at, uint64_t n) {
            return readable && file.seek(static_cast<qint64>(at)) ? file.read(static_cast<qint64>(n)).toStdString() : std::string();
        },
        static_cast<uint64_t>(file.size())));
}

ZipReader::ZipReader(std::string bytes, const QString& path, ZipReader& parent)
    : m_path(path), m_bytes(std::move(bytes)), m_totalRead(parent.m_totalRead)
{
    if (!m_bytes.starts_with("PK"))
        throw loadError(LoadFailure::NotZip, path);
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(m_bytes.data(), m_bytes.size(), 0, &error);
    if (source) {
        m_zip = zip_open_from_source(source, ZIP_RDONLY, &error);
        if (!m_zip)
            zip_source_free(source);
    }
    const int code = zip_error_code_zip(&error);
    zip_error_fini(&error);
    if (!m_zip)
        throw loadError(code == ZIP_ER_NOZIP ? LoadFailure::NotZip : LoadFailure::Corrupt, path, zipMessage(code));
    indexParts(rawEntryNames(
        [this](uint64_t at, uint64_t n) { return at < m_bytes.size() ? m_bytes.substr(at, n) : std::string(); },
        m_bytes.size()));
}

void ZipReader::indexParts(const std::vector<std::string>& rawNames)
{
    const zip_int64_t n = zip_get_num_entries(m_zip, 0);
    if (n < 0 || static_cast<std::size_t>(n) > kMaxEntries) {
        zip_discard(m_zip);
        m_zip = nullptr;
        throw loadError(LoadFailure::TooManyEntries, m_path);
    }
    const auto duplicate = [this](std::string_view name) {
        const QString part = QStringLiteral("/") + QString::fromStdString(normalPartName(name));
        zip_discard(m_zip);
        m_zip = nullptr;
        throw loadError(LoadFailure::DuplicatePart, m_path, part);
    };
    // libzip's names are the Unicode Path's where one applies.
    for (zip_int64_t i = 0; i < n; ++i) {
        const char* name = zip_get_name(m_zip, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS);
        if (!name || std::string_view(name).ends_with('/'))
            continue;   // folders name no part
        std::string key = partNameKey(name);
        if (!key.empty() && !m_parts.emplace(std::move(key), static_cast<uint64_t>(i)).second)
            duplicate(name);
    }
    // An entry known by another's name through its raw name is a duplicate too.
    if (rawNames.size() != static_cast<std::size_t>(n))
        return;
    for (std::size_t i = 0; i < rawNames.size(); ++i) {
        if (rawNames[i].ends_with('/'))
            continue;
        if (const auto it = m_parts.find(partNameKey(rawNames[i])); it != m_parts.end() && it->second != i)
            duplicate(rawNames[i]);
    }
}

ZipReader::~ZipReader()
{
    if (m_zip)
        zip_discard(m_zip);
}

int64_t ZipReader::indexOf(const std::string& name) const
{
    const auto it = m_parts.find(partNameKey(name));
    return it == m_parts.end() ? -1 : static_cast<int64_t>(it->second);
}

bool ZipReader::contains(const std::string& name) const
{
    return indexOf(name) >= 0;
}

std::string ZipReader::read(const std::string& name)
{
    ZipEntry entry(*this, name);
    std::string data(entry.size(), '\0');
    std::size_t done = 0;
    while (std::size_t n = entry.readInto(data.data() + done, std::max<std::size_t>(data.size() - done, 1)))
        done += n;
    return data;
}

// A deflated entry's data inflated here rather than by libzip, for the check: zlib's CRC-32 took
// a fifth of the time of reading a large part, libdeflate's (carry-less multiplication) a tenth
// of that.
struct ZipEntry::Inflater {
    static constexpr std::size_t kCompressedChunk = 64u << 10;

    z_stream stream{};
    // As large as the compressed data up to a chunk, and not zeroed (each read fills it): zeroing
    // a chunk for each of a small document's parts was a tenth of reading it.
    const std::size_t inSize;
    const std::unique_ptr<unsigned char[]> in;
    uint32_t expectedCrc = 0, crc = 0;
    bool ended = false;

    explicit Inflater(std::size_t compressed)
        : inSize(std::clamp<std::size_t>(compressed, 1, kCompressedChunk)), in(new unsigned char[inSize])
    {
        inflateInit2(&stream, -MAX_WBITS);   // raw deflate: a zip entry has no zlib header
    }
    ~Inflater() { inflateEnd(&stream); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
};

ZipEntry::ZipEntry(ZipReader& zip, const std::string& name)
    : m_zip(zip), m_part(QString::fromStdString(name))
{
    const int64_t index = zip.indexOf(name);
    zip_stat_t st;
    if (index < 0 || zip_stat_index(zip.m_zip, static_cast<zip_uint64_t>(index), 0, &st) != 0
        || !(st.valid & ZIP_STAT_SIZE))
        throw loadError(LoadFailure::Corrupt, zip.m_path, m_part);
    if (st.size > ZipReader::kMaxPartSize || *zip.m_totalRead + st.size > ZipReader::kMaxTotalSize)
        throw loadError(LoadFailure::TooLarge, zip.m_path, m_part);
    const bool deflated = (st.valid & ZIP_STAT_COMP_METHOD) && st.comp_method == ZIP_CM_DEFLATE
                          && (st.valid & ZIP_STAT_CRC) && (!(st.valid & ZIP_STAT_ENCRYPTION_METHOD) || st.encryption_method == ZIP_EM_NONE);
    m_file = zip_fopen_index(zip.m_zip, static_cast<zip_uint64_t>(index), deflated ? ZIP_FL_COMPRESSED : 0);
    if (m_file && deflated) {
        m_inflater = std::make_unique<Inflater>((st.valid & ZIP_STAT_COMP_SIZE) ? st.comp_size : Inflater::kCompressedChunk);
        m_inflater->expectedCrc = st.crc;
    }
    if (!m_file)
        throw loadError(LoadFailure::Corrupt, zip.m_path, m_part + ": " + QString::fromUtf8(zip_strerror(zip.m_zip)));
    m_size = static_cast<std::size_t>(st.size);
    *zip.m_totalRead += m_size;
}

ZipEntry::~ZipEntry()
{
    if (m_file)
        zip_fclose(m_file);
}

void ZipEntry::fail()
{
    fail(QString::fromUtf8(zip_file_strerror(m_file)));
}

void ZipEntry::fail(const QString& why)
{
    throw loadError(LoadFailure::Corrupt, m_zip.m_path, m_part + ": " + why);
}

// Inflates into out until it is full or the data ends; returns the bytes written.
std::size_t ZipEntry::inflateInto(char* out, std::size_t n)
{
    Inflater& inf = *m_inflater;
    inf.stream.next_out = reinterpret_cast<Bytef*>(out);
    inf.stream.avail_out = static_cast<uInt>(n);   // n is at most a chunk
    while (inf.stream.avail_out > 0 && !inf.ended) {
        if (inf.stream.avail_in == 0) {
            const zip_int64_t got = zip_fread(m_file, inf.in.get(), inf.inSize);
            if (got < 0)
                fail();
            if (got == 0)
                fail(QStringLiteral("圧縮データが途中で終わっています"));
            inf.stream.next_in = inf.in.get();
            inf.stream.avail_in = static_cast<uInt>(got);
        }
        const int r = inflate(&inf.stream, Z_NO_FLUSH);
        if (r == Z_STREAM_END)
            inf.ended = true;
        else if (r != Z_OK)
            fail(QStringLiteral("圧縮データが壊れています"));
    }
    const std::size_t written = n - inf.stream.avail_out;
    inf.crc = static_cast<uint32_t>(libdeflate_crc32(inf.crc, out, written));
    return written;
}

std::size_t ZipEntry::readInto(char* out, std::size_t n)
{
    if (m_inflater) {
        const std::size_t want = std::min(n, m_size - m_read);
        if (want == 0) {
            // At the stated size the data must end, and match its check.
            char extra;
            if (inflateInto(&extra, 1) != 0)
                fail(QStringLiteral("展開したデータが記録された大きさを超えています"));
            if (m_inflater->crc != m_inflater->expectedCrc)
                fail(QStringLiteral("CRC が一致しません"));
            return 0;
        }
        const std::size_t got = inflateInto(out, want);
        if (got < want)
            fail(QStringLiteral("展開したデータが記録された大きさに足りません"));
        m_read += got;
        return got;
    }
    // The stated size bounds the read; a short read or bytes beyond it mean a damaged entry, and
    // reading on to the end is what makes libzip check the entry's CRC.
    const std::size_t want = std::min(n, m_size - m_read);
    if (want == 0) {
        char extra;
        if (zip_fread(m_file, &extra, 1) != 0)
            fail();
        return 0;
    }
    if (zip_fread(m_file, out, want) != static_cast<zip_int64_t>(want))
        fail();
    m_read += want;
    return want;
}

} // namespace docx
