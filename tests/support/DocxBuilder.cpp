#include "tests/support/DocxBuilder.h"

#include <QFile>

#include <zip.h>

#include <stdexcept>

const char* const DocxBuilder::kNamespaces =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
    "xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\" "
    "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
    "xmlns:wps=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\" "
    "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" "
    "xmlns:v=\"urn:schemas-microsoft-com:vml\"";

namespace {

const char* const kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
const char* const kWmlCt = "application/vnd.openxmlformats-officedocument.wordprocessingml.";

struct KnownPart { const char* file; const char* relType; const char* contentType; };
const KnownPart kKnown[] = {
    {"footnotes.xml", "footnotes", "footnotes+xml"},
    {"endnotes.xml", "endnotes", "endnotes+xml"},
    {"comments.xml", "comments", "comments+xml"},
    {"styles.xml", "styles", "styles+xml"},
    {"settings.xml", "settings", "settings+xml"},
};

QString contentTypeFor(const QString& name)
{
    const QString file = name.section('/', -1);
    if (name == "word/document.xml")
        return QString(kWmlCt) + "document.main+xml";
    for (const auto& k : kKnown)
        if (file == k.file)
            return QString(kWmlCt) + k.contentType;
    if (file.startsWith("header"))
        return QString(kWmlCt) + "header+xml";
    if (file.startsWith("footer"))
        return QString(kWmlCt) + "footer+xml";
    if (file.startsWith("theme"))
        return "application/vnd.openxmlformats-officedocument.theme+xml";
    // Parts a document imports (w:altChunk), by their usual extensions.
    const std::pair<const char*, const char*> imported[] = {
        {".htm", "text/html"}, {".txt", "text/plain"}, {".rtf", "application/rtf"}, {".mht", "message/rfc822"},
        {".docx", "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"}};
    for (const auto& [extension, type] : imported)
        if (file.endsWith(extension))
            return type;
    return {};
}

} // namespace

DocxBuilder& DocxBuilder::body(const QString& bodyXml)
{
    return part("word/document.xml",
                QString("<w:document %1><w:body>%2</w:body></w:document>").arg(kNamespaces, bodyXml));
}

DocxBuilder& DocxBuilder::part(const QString& name, const QString& xml)
{
    m_files[name] = QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n")
                    + xml.toUtf8();
    const QString file = name.section('/', -1);
    for (const auto& k : kKnown)
        if (file == k.file)
            m_rels["rIdAuto" + QString(k.relType)] = {QString(kRelNs) + k.relType, file};
    return *this;
}

DocxBuilder& DocxBuilder::relationship(const QString& id, const QString& type, const QString& target)
{
    m_rels[id] = {QString(kRelNs) + type, target};
    return *this;
}

DocxBuilder& DocxBuilder::externalRelationship(const QString& id, const QString& type, const QString& target)
{
    m_rels[id] = {QString(kRelNs) + type, target, true};
    return *this;
}

DocxBuilder& DocxBuilder::raw(const QString& name, const QByteArray& bytes)
{
    m_files[name] = bytes;
    return *this;
}

QByteArray DocxBuilder::bytes() const
{
    std::map<QString, QByteArray> files = m_files;
    if (!files.count("[Content_Types].xml")) {
        QString ct = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                     "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                     "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                     "<Default Extension=\"xml\" ContentType=\"application/xml\"/>";
        for (const auto& [name, data] : m_files) {
            const QString type = contentTypeFor(name);
            if (!type.isEmpty())
                ct += QString("<Override PartName=\"/%1\" ContentType=\"%2\"/>").arg(name, type);
        }
        files["[Content_Types].xml"] = (ct + "</Types>").toUtf8();
    }
    if (!files.count("_rels/.rels") && files.count("word/document.xml")) {
        files["_rels/.rels"] =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
            "relationships/officeDocument\" Target=\"word/document.xml\"/></Relationships>";
    }
    if (!files.count("word/_rels/document.xml.rels") && !m_rels.empty()) {
        QString rels = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                       "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
        for (const auto& [id, rel] : m_rels)
            rels += QString("<Relationship Id=\"%1\" Type=\"%2\" Target=\"%3\"%4/>")
                        .arg(id, rel.type, rel.target, rel.external ? " TargetMode=\"External\"" : "");
        files["word/_rels/document.xml.rels"] = (rels + "</Relationships>").toUtf8();
    }

    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* src = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* za = src ? zip_open_from_source(src, ZIP_TRUNCATE, &error) : nullptr;
    if (!za)
        throw std::runtime_error("DocxBuilder: cannot create an in-memory zip");
    zip_source_keep(src);
    for (const auto& [name, data] : files) {
        // libzip reads the buffers at close time; the map outlives the close below.
        zip_source_t* s = zip_source_buffer(za, data.constData(), data.size(), 0);
        if (!s || zip_file_add(za, name.toUtf8().constData(), s, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) < 0)
            throw std::runtime_error("DocxBuilder: cannot add " + name.toStdString());
    }
    if (zip_close(za) < 0)
        throw std::runtime_error("DocxBuilder: cannot write the zip");

    QByteArray out;
    zip_source_open(src);
    zip_source_seek(src, 0, SEEK_END);
    out.resize(static_cast<qsizetype>(zip_source_tell(src)));
    zip_source_seek(src, 0, SEEK_SET);
    zip_source_read(src, out.data(), static_cast<zip_uint64_t>(out.size()));
    zip_source_close(src);
    zip_source_free(src);
    return out;
}

void DocxBuilder::save(const QString& path) const
{
    QFile f(path);
    const QByteArray data = bytes();
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
        throw std::runtime_error("DocxBuilder: cannot write " + path.toStdString());
}
