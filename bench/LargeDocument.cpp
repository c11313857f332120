#include "bench/LargeDocument.h"

#include <QFile>

#include <zip.h>

#include <map>
#include <stdexcept>
#include <string>

namespace bench {

namespace {

const char* const kNs =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
const char* const kDecl = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

const char* const kSentences[] = {
    "検索語は本文だけでなく脚注やコメントにも現れることがあります。",
    "The quick brown fox jumps over the lazy dog near the riverbank. ",
    "全角のＡＢＣと半角のABC、ひらがなとカタカナを比べます。",
    "Word counts every paragraph mark, tab and field character as a position. ",
    "東京都千代田区の会議室で、第三四半期の報告書を確認しました。",
    "Footnotes, endnotes and headers are searched story by story. ",
};

std::string run(const std::string& text, const char* rPr = "")
{
    return std::string("<w:r>") + (*rPr ? std::string("<w:rPr>") + rPr + "</w:rPr>" : std::string())
           + "<w:t xml:space=\"preserve\">" + text + "</w:t></w:r>";
}

std::size_t utf16Length(const std::string& utf8)
{
    return static_cast<std::size_t>(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).size());
}

const char* const kRelsNs = "http://schemas.openxmlformats.org/package/2006/relationships";

std::string packageRels()
{
    return std::string(kDecl) + "<Relationships xmlns=\"" + kRelsNs + "\"><Relationship Id=\"rId1\" Type=\""
           + "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" Target=\"word/document.xml\"/></Relationships>";
}

std::string contentTypes()
{
    return std::string(kDecl)
           + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
             "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
             "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
             "<Override PartName=\"/word/document.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>";
}

// Zips the parts to path; returns the total size of the parts.
std::size_t writePackage(const QString& path, const std::map<std::string, std::string>& parts)
{
    int err = 0;
    zip_t* za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!za)
        throw std::runtime_error("cannot create " + path.toStdString());
    std::size_t xmlSize = 0;
    for (const auto& [name, data] : parts) {
        xmlSize += data.size();
        zip_source_t* s = zip_source_buffer(za, data.data(), data.size(), 0);
        if (!s || zip_file_add(za, name.c_str(), s, ZIP_FL_OVERWRITE) < 0)
            throw std::runtime_error("cannot add " + name);
    }
    if (zip_close(za) < 0)
        throw std::runtime_error("cannot write " + path.toStdString());
    return xmlSize;
}

} // namespace

std::size_t writeLargeDocument(const QString& path, const LargeDocumentOptions& o)
{
    std::map<std::string, std::string> parts;
    std::string body, footnotes, endnotes, comments, docRels;
    body.reserve(static_cast<std::size_t>(o.pages) * o.charsPerPage * 4);
    int footnoteId = 1, endnoteId = 1, commentId = 0, sentence = 0, section = 0, paragraphs = 0;
    const char* const formats[] = {"", "<w:highlight w:val=\"yellow\"/>", "<w:color w:val=\"FF0000\"/>", "<w:strike/>"};
    const std::string separators =
        "<w:%1 w:type=\"separator\" w:id=\"-1\"><w:p><w:r><w:separator/></w:r></w:p></w:%1>"
        "<w:%1 w:type=\"continuationSeparator\" w:id=\"0\"><w:p><w:r><w:continuationSeparator/></w:r></w:p></w:%1>";
    auto special = [&](const char* kind) {
        return QString::fromStdString(separators).arg(kind).toStdString();
    };
    footnotes = special("footnote");
    endnotes = special("endnote");

    for (int page = 0; page < o.pages; ++page) {
        std::size_t chars = 0;
        int para = 0;
        while (chars < static_cast<std::size_t>(o.charsPerPage)) {
            std::string p = "<w:p>";
            for (int r = 0; r < 4; ++r) {
                const std::string text = kSentences[sentence++ % 6];
                chars += utf16Length(text);
                p += run(text, formats[(sentence + para) % 4]);
            }
            if (para == 0 && page % o.footnoteEveryPages == 0) {
                p += "<w:r><w:footnoteReference w:id=\"" + std::to_string(footnoteId) + "\"/></w:r>";
                footnotes += "<w:footnote w:id=\"" + std::to_string(footnoteId++) + "\"><w:p><w:r><w:footnoteRef/></w:r>"
                             + run(" 脚注 note text for page " + std::to_string(page + 1)) + "</w:p></w:footnote>";
            }
            if (para == 1 && page % o.endnoteEveryPages == 0) {
                p += "<w:r><w:endnoteReference w:id=\"" + std::to_string(endnoteId) + "\"/></w:r>";
                endnotes += "<w:endnote w:id=\"" + std::to_string(endnoteId++) + "\"><w:p><w:r><w:endnoteRef/></w:r>"
                            + run(" 文末脚注 endnote " + std::to_string(page + 1)) + "</w:p></w:endnote>";
            }
            if (para == 2 && page % o.commentEveryPages == 0) {
                const std::string id = std::to_string(commentId++);
                p += "<w:commentRangeStart w:id=\"" + id + "\"/>" + run("注記") + "<w:commentRangeEnd w:id=\"" + id
                     + "\"/><w:r><w:commentReference w:id=\"" + id + "\"/></w:r>";
                comments += "<w:comment w:id=\"" + id + "\" w:author=\"山田 太郎\" w:initials=\"YT\"><w:p><w:r><w:annotationRef/></w:r>"
                            + run("コメント comment " + id) + "</w:p></w:comment>";
            }
            for (int c = 0; c < o.commentsPerParagraph; ++c) {
                const std::string id = std::to_string(commentId++);
                p += "<w:r><w:commentReference w:id=\"" + id + "\"/></w:r>";
                comments += "<w:comment w:id=\"" + id + "\" w:author=\"山田 太郎\" w:initials=\"YT\"><w:p><w:r><w:annotationRef/></w:r>"
                            + run("コメント comment " + id) + "</w:p></w:comment>";
            }
            if (o.markerEveryParagraphs > 0 && ++paragraphs % o.markerEveryParagraphs == 0)
                p += run("目印");
            body += p + "</w:p>";
            ++para;
        }
        const bool sectionEnds = (page + 1) % o.pagesPerSection == 0;
        if (sectionEnds || page + 1 == o.pages) {
            // Odd sections link their footer to the previous one.
            const std::string s = std::to_string(section);
            std::string refs = "<w:headerReference w:type=\"default\" r:id=\"rIdH" + s + "\"/>";
            parts["word/header" + s + ".xml"] = std::string(kDecl) + "<w:hdr " + kNs + "><w:p>"
                                                + run("ヘッダー Header of section " + s) + "</w:p></w:hdr>";
            docRels += "<Relationship Id=\"rIdH" + s + "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/header\" Target=\"header" + s + ".xml\"/>";
            if (section % 2 == 0) {
                refs += "<w:footerReference w:type=\"default\" r:id=\"rIdF" + s + "\"/>";
                parts["word/footer" + s + ".xml"] = std::string(kDecl) + "<w:ftr " + kNs + "><w:p>"
                                                    + run("フッター Footer " + s) + "</w:p></w:ftr>";
                docRels += "<Relationship Id=\"rIdF" + s + "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/footer\" Target=\"footer" + s + ".xml\"/>";
            }
            if (o.mixedPageSizes) {
                static const char* const kPages[] = {
                    "<w:pgSz w:w=\"11906\" w:h=\"16838\"/><w:pgMar w:top=\"1985\" w:right=\"1701\" w:bottom=\"1701\" "
                    "w:left=\"1701\" w:header=\"851\" w:footer=\"992\"/>",
                    "<w:pgSz w:w=\"16838\" w:h=\"11906\" w:orient=\"landscape\"/><w:pgMar w:top=\"1134\" w:right=\"1418\" "
                    "w:bottom=\"1134\" w:left=\"1418\" w:header=\"567\" w:footer=\"567\"/>",
                    "<w:pgSz w:w=\"10319\" w:h=\"14571\"/><w:pgMar w:top=\"1440\" w:right=\"1080\" w:bottom=\"1440\" "
                    "w:left=\"1080\" w:header=\"720\" w:footer=\"720\"/>",
                };
                refs += kPages[section % 3];
            }
            const std::string sectPr = "<w:sectPr>" + refs + "</w:sectPr>";
            body += page + 1 == o.pages ? sectPr : "<w:p><w:pPr>" + sectPr + "</w:pPr></w:p>";
            ++section;
        } else {
            body += "<w:p><w:r><w:br w:type=\"page\"/></w:r></w:p>";
        }
    }

    parts["word/document.xml"] = std::string(kDecl) + "<w:document " + kNs + "><w:body>" + body + "</w:body></w:document>";
    body.clear();
    body.shrink_to_fit();
    parts["word/footnotes.xml"] = std::string(kDecl) + "<w:footnotes " + kNs + ">" + footnotes + "</w:footnotes>";
    parts["word/endnotes.xml"] = std::string(kDecl) + "<w:endnotes " + kNs + ">" + endnotes + "</w:endnotes>";
    parts["word/comments.xml"] = std::string(kDecl) + "<w:comments " + kNs + ">" + comments + "</w:comments>";
    parts["word/styles.xml"] = std::string(kDecl) + "<w:styles " + kNs + "><w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"/></w:styles>";
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    for (const char* p : {"footnotes", "endnotes", "comments", "styles"})
        docRels += "<Relationship Id=\"rId" + std::string(p) + "\" Type=\"" + rel + p + "\" Target=\"" + p + ".xml\"/>";
    parts["word/_rels/document.xml.rels"] = std::string(kDecl)
        + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" + docRels + "</Relationships>";
    parts["_rels/.rels"] = packageRels();
    parts["[Content_Types].xml"] = contentTypes();
    return writePackage(path, parts);
}

std::size_t writeLongParagraphDocument(const QString& path, int mib)
{
    std::string body = std::string(kDecl) + "<w:document " + kNs + "><w:body><w:p><w:r><w:t>";
    const std::string letters = "abcdefghijklmnopqrstuvwxyz";
    body.reserve(body.size() + (static_cast<std::size_t>(mib) << 20) + 100);
    for (std::size_t i = 0; i < (static_cast<std::size_t>(mib) << 20); ++i)
        body += letters[i % letters.size()];
    body += "</w:t></w:r></w:p><w:sectPr/></w:body></w:document>";
    return writePackage(path, {{"word/document.xml", body}, {"_rels/.rels", packageRels()}, {"[Content_Types].xml", contentTypes()}});
}

} // namespace bench
