#include "platform/docx/ZipReader.h"

#include "platform/docx/LoadError.h"

#include <QFile>

#include <zip.h>

#include <cstring>

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

} // namespace

ZipReader::ZipReader(const QString& path) : m_path(path)
{
    checkSignature(path);
    int code = 0;
    m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!m_zip)
        throw loadError(code == ZIP_ER_NOZIP ? LoadFailure::NotZip : LoadFailure::Corrupt, path,
                        zipMessage(code));
    const zip_int64_t n = zip_get_num_entries(m_zip, 0);
    if (n < 0 || static_cast<std::size_t>(n) > kMaxEntries) {
        zip_close(m_zip);
        m_zip = nullptr;
        throw loadError(LoadFailure::TooManyEntries, path);
    }
}

ZipReader::~ZipReader()
{
    if (m_zip)
        zip_discard(m_zip);
}

bool ZipReader::contains(const std::string& name) const
{
    return zip_name_locate(m_zip, name.c_str(), ZIP_FL_NOCASE) >= 0;
}

std::string ZipReader::read(const std::string& name)
{
    const QString part = QString::fromStdString(name);
    const zip_int64_t index = zip_name_locate(m_zip, name.c_str(), ZIP_FL_NOCASE);
    zip_stat_t st;
    if (index < 0 || zip_stat_index(m_zip, static_cast<zip_uint64_t>(index), 0, &st) != 0
        || !(st.valid & ZIP_STAT_SIZE))
        throw loadError(LoadFailure::Corrupt, m_path, part);
    if (st.size > kMaxPartSize || m_totalRead + st.size > kMaxTotalSize)
        throw loadError(LoadFailure::TooLarge, m_path, part);

    zip_file_t* zf = zip_fopen_index(m_zip, static_cast<zip_uint64_t>(index), 0);
    if (!zf)
        throw loadError(LoadFailure::Corrupt, m_path, part + ": " + QString::fromUtf8(zip_strerror(m_zip)));
    std::string data(static_cast<std::size_t>(st.size), '\0');
    // The stated size bounds the read; a short read or bytes beyond it mean a damaged entry.
    const zip_int64_t got = data.empty() ? 0 : zip_fread(zf, data.data(), data.size());
    char extra;
    const bool ok = got == static_cast<zip_int64_t>(data.size()) && zip_fread(zf, &extra, 1) == 0;
    const QString why = ok ? QString() : QString::fromUtf8(zip_file_strerror(zf));
    zip_fclose(zf);
    if (!ok)
        throw loadError(LoadFailure::Corrupt, m_path, part + ": " + why);
    m_totalRead += data.size();
    return data;
}

} // namespace docx
