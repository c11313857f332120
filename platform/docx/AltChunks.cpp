#include "platform/docx/AltChunks.h"

#include "platform/core/Error.h"
#include "platform/docx/HtmlChunk.h"
#include "platform/docx/Package.h"
#include "platform/docx/PartName.h"
#include "platform/docx/Relationships.h"
#include "platform/docx/XmlReader.h"
#include "platform/docx/ZipReader.h"

#include <QStringDecoder>

namespace docx {

namespace {

const std::string kContentTypesPart = "[Content_Types].xml";

// A media type without its parameters, in lower case.
std::string mediaType(std::string_view type)
{
    type = type.substr(0, type.find(';'));
    while (!type.empty() && type.back() == ' ')
        type.remove_suffix(1);
    return asciiLower(type);
}

bool oneOf(const std::string& type, std::initializer_list<std::string_view> types)
{
    for (const std::string_view t : types)
        if (type == t)
            return true;
    return false;
}

// Plain text: each line a paragraph. Read as its byte order mark says, UTF-8 without one.
Story importPlainText(const std::string& bytes)
{
    const QByteArrayView data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QStringDecoder decode(QStringConverter::encodingForData(data).value_or(QStringConverter::Utf8));
    const QString text = decode(data);
    Story story;
    StoryWriter w(story);
    qsizetype i = text.startsWith(QChar(0xFEFF)) ? 1 : 0;
    while (i < text.size()) {
        qsizetype end = i;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        w.putText(QStringView(text).mid(i, end - i), CharFormat{});
        w.put(cp::ParagraphMark, CharFormat{});
        i = end + (QStringView(text).mid(end, 2) == u"\r\n" ? 2 : 1);
    }
    return story;
}

} // namespace

ChunkImporter::ChunkImporter(ZipReader& zip, const QString& path, int nesting)
    : m_zip(zip), m_path(path), m_nesting(nesting)
{
}

Chunks ChunkImporter::read(const Relationships& rels)
{
    Chunks chunks;
    for (const Relationships::Rel& r : rels.all()) {
        if (r.external || r.type != "aFChunk" || !m_zip.contains(r.target))
            continue;
        auto it = m_parts.find(r.target);
        if (it == m_parts.end())
            it = m_parts.emplace(r.target, convert(r.target)).first;
        chunks.emplace(r.id, it->second);
    }
    return chunks;
}

std::string ChunkImporter::contentType(const std::string& part)
{
    if (!m_types) {
        m_types.emplace();
        if (m_zip.contains(kContentTypesPart)) {
            XmlReader x(m_zip.read(kContentTypesPart), kContentTypesPart, m_path);
            if (x.child(0))
                while (x.child(1)) {
                    const std::string type = mediaType(x.attr("ContentType").value_or(std::string_view()));
                    if (x.localName() == "Default")
                        m_types->defaults[asciiLower(x.attr("Extension").value_or(std::string_view()))] = type;
                    else if (x.localName() == "Override")
                        m_types->overrides[partNameKey(x.attr("PartName").value_or(std::string_view()))] = type;
                }
            x.finish();
        }
    }
    if (const auto it = m_types->overrides.find(partNameKey(part)); it != m_types->overrides.end())
        return it->second;
    const std::size_t dot = part.rfind('.');
    const std::size_t slash = part.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    const auto it = m_types->defaults.find(asciiLower(part.substr(dot + 1)));
    return it == m_types->defaults.end() ? std::string() : it->second;
}

void ChunkImporter::notice(const std::string& part, const QString& why)
{
    notices.push_back(QStringLiteral("取り込まれた部分 /%1 は%2ため検索されません。").arg(QString::fromStdString(part), why));
}

Story ChunkImporter::convert(const std::string& part)
{
    const std::string type = contentType(part);
    if (oneOf(type, {"text/html", "application/xhtml+xml"}))
        return importHtml(m_zip.read(part), m_path);
    if (type == "text/plain")
        return importPlainText(m_zip.read(part));
    if (oneOf(type, {"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml",
                     "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml",
                     "application/vnd.ms-word.document.macroenabled.main+xml",
                     "application/vnd.ms-word.template.macroenabledtemplate.main+xml"})) {
        if (m_nesting >= kMaxNesting) {
            notice(part, QStringLiteral("取り込みの入れ子が深すぎる"));
            return {};
        }
        std::string bytes = m_zip.read(part);   // a fault here is this package's own
        try {
            Document doc = loadImported(std::move(bytes), m_zip, m_path, m_nesting + 1);
            notices.insert(notices.end(), doc.notices.begin(), doc.notices.end());
            return std::move(doc.stories.front());
        } catch (const core::Error& e) {
            notice(part, QStringLiteral("読み込めない (%1) ").arg(e.description()));
            return {};
        }
    }
    QString format = QString::fromStdString(type);
    if (oneOf(type, {"application/rtf", "text/rtf"}))
        format = QStringLiteral("RTF");
    else if (oneOf(type, {"message/rfc822", "multipart/related"}))
        format = QStringLiteral("MHT");
    notice(part, format.isEmpty() ? QStringLiteral("形式が不明な") : QStringLiteral(" %1 形式の").arg(format));
    return {};
}

} // namespace docx
