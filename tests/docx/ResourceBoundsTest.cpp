// Inputs built to exhaust the reader: each ends in the reader's own error or in the right
// document, and the larger ones are what the resource table in the benchmarks measures.
#include "tests/docx/Fixture.h"

#include "platform/core/Error.h"
#include "platform/docx/LoadError.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <zlib.h>

#include <optional>
#include <variant>
#include <vector>

namespace {

// A zip written field by field, for what a zip library will not write: stated sizes that lie,
// entries that share one stream, ZIP64 records.
struct RawEntry {
    QByteArray name;
    QByteArray stored;         // the entry's data as written (deflated when deflated is set)
    quint64 size = 0;          // the inflated size the headers state
    quint32 crc = 0;
    bool deflated = false;
    bool zip64 = false;        // sizes in a ZIP64 extra field
    int sharesDataOf = -1;     // an earlier entry whose local header and data this one points at
};

void put(QByteArray& out, quint64 v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

QByteArray rawZip(const std::vector<RawEntry>& entries)
{
    QByteArray out, central;
    std::vector<quint64> offsets;
    for (const RawEntry& e : entries) {
        const QByteArray extra = e.zip64 ? [&] {
            QByteArray x;
            put(x, 1, 2), put(x, 16, 2), put(x, e.size, 8), put(x, e.stored.size(), 8);
            return x;
        }() : QByteArray();
        const quint64 size32 = e.zip64 ? 0xFFFFFFFFu : e.size, stored32 = e.zip64 ? 0xFFFFFFFFu : e.stored.size();
        auto header = [&](QByteArray& h, bool local) {
            put(h, local ? 0x04034b50 : 0x02014b50, 4);
            if (!local)
                put(h, 45, 2);
            put(h, 45, 2), put(h, 0, 2), put(h, e.deflated ? 8 : 0, 2), put(h, 0, 2), put(h, 0x21, 2);
            put(h, e.crc, 4), put(h, stored32, 4), put(h, size32, 4), put(h, e.name.size(), 2), put(h, extra.size(), 2);
        };
        if (e.sharesDataOf >= 0) {
            offsets.push_back(offsets[static_cast<std::size_t>(e.sharesDataOf)]);
        } else {
            offsets.push_back(static_cast<quint64>(out.size()));
            header(out, true);
            out += e.name + extra + e.stored;
        }
        header(central, false);
        put(central, 0, 2), put(central, 0, 2), put(central, 0, 2), put(central, 0, 4), put(central, offsets.back(), 4);
        central += e.name + extra;
    }
    const quint64 at = static_cast<quint64>(out.size());
    out += central;
    // Past 65,535 entries only a ZIP64 end record can count them.
    const bool zip64 = entries.size() > 0xFFFF;
    if (zip64) {
        const quint64 record = static_cast<quint64>(out.size());
        put(out, 0x06064b50, 4), put(out, 44, 8), put(out, 45, 2), put(out, 45, 2), put(out, 0, 4), put(out, 0, 4);
        put(out, entries.size(), 8), put(out, entries.size(), 8), put(out, central.size(), 8), put(out, at, 8);
        put(out, 0x07064b50, 4), put(out, 0, 4), put(out, record, 8), put(out, 1, 4);
    }
    const quint64 count = zip64 ? 0xFFFF : entries.size();
    put(out, 0x06054b50, 4), put(out, 0, 4), put(out, count, 2), put(out, count, 2);
    put(out, central.size(), 4), put(out, at, 4), put(out, 0, 2);
    return out;
}

RawEntry stored(const QByteArray& name, const QByteArray& data, bool zip64 = false)
{
    return {name, data, static_cast<quint64>(data.size()),
            static_cast<quint32>(crc32(0, reinterpret_cast<const Bytef*>(data.constData()), static_cast<uInt>(data.size()))),
            false, zip64};
}

// head, n bytes of c, then tail, deflated as one stream in pieces: the inflated whole is never held.
RawEntry deflatedRun(const QByteArray& name, const QByteArray& head, char c, quint64 n, const QByteArray& tail = {})
{
    z_stream z{};
    deflateInit2(&z, 1, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    const QByteArray run(1 << 20, c);
    QByteArray out(1 << 16, '\0');
    RawEntry e{name, {}, head.size() + n + tail.size(), 0, true};
    const auto feed = [&](const char* data, quint64 size, int flush) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        z.avail_in = static_cast<uInt>(size);
        e.crc = static_cast<quint32>(crc32(e.crc, z.next_in, z.avail_in));
        do {
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = static_cast<uInt>(out.size());
            deflate(&z, flush);
            e.stored.append(out.constData(), out.size() - z.avail_out);
        } while (z.avail_out == 0);
    };
    feed(head.constData(), head.size(), Z_NO_FLUSH);
    for (quint64 left = n; left > 0;) {
        const quint64 take = std::min<quint64>(left, static_cast<quint64>(run.size()));
        feed(run.constData(), take, Z_NO_FLUSH);
        left -= take;
    }
    feed(tail.constData(), tail.size(), Z_FINISH);
    deflateEnd(&z);
    return e;
}

const QByteArray kRels = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                         "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                         "relationships/officeDocument\" Target=\"word/document.xml\"/></Relationships>";

QByteArray documentXml(const QByteArray& body)
{
    return "<w:document " + QByteArray(DocxBuilder::kNamespaces) + "><w:body>" + body + "</w:body></w:document>";
}

// Loads the bytes as a package: the document, or the error it raised.
std::variant<docx::Document, core::Error> loadBytes(const QByteArray& bytes)
{
    QTemporaryDir dir;
    QFile f(dir.filePath("bounds.docx"));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write the package");
    f.close();
    try {
        return docx::load(f.fileName());
    } catch (const core::Error& e) {
        return e;
    }
}

void expectRefused(const QByteArray& bytes, const char16_t* phrase)
{
    const auto result = loadBytes(bytes);
    ASSERT_TRUE(std::holds_alternative<core::Error>(result)) << "loaded";
    const core::Error& e = std::get<core::Error>(result);
    EXPECT_EQ(e.number(), docx::kErrFileCorrupt);
    EXPECT_TRUE(e.description().contains(QString::fromUtf16(phrase))) << e.what();
}

QString mainText(const QByteArray& bytes)
{
    const auto result = loadBytes(bytes);
    if (const auto* e = std::get_if<core::Error>(&result))
        ADD_FAILURE() << e->what();
    return std::holds_alternative<docx::Document>(result) ? std::get<docx::Document>(result).stories[0].text : QString();
}

constexpr quint64 kMiB = 1 << 20;

TEST(ZipBounds, ABombIsStoppedAtTheStatedSizeOrTheBound)
{
    // Stated honestly, past the per-part bound: refused before anything is inflated.
    RawEntry bomb = deflatedRun("word/document.xml", {}, ' ', 600 * kMiB);
    expectRefused(rawZip({stored("_rels/.rels", kRels), bomb}), u"大きすぎる");
    // Stated as a kilobyte: inflating stops just past it.
    bomb.size = 1024;
    expectRefused(rawZip({stored("_rels/.rels", kRels), bomb}), u"超えています");
}

TEST(ZipBounds, EntriesSharingOneStreamCountAgainstTheTotal)
{
    // Every part the document names points at the same 400 MiB stream: the second one read
    // breaks the bound on everything read from one package.
    QByteArray docRels = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    std::vector<RawEntry> entries{stored("_rels/.rels", kRels), deflatedRun("word/styles.xml", "<w:styles " + QByteArray(DocxBuilder::kNamespaces) + ">", ' ', 400 * kMiB, "</w:styles>")};
    for (const char* type : {"footnotes", "endnotes", "comments"}) {
        const QByteArray part = QByteArray("word/") + type + ".xml";
        docRels += QByteArray("<Relationship Id=\"") + type + "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                   + type + "\" Target=\"" + type + ".xml\"/>";
        RawEntry shared = entries[1];
        shared.name = part;
        shared.sharesDataOf = 1;
        entries.push_back(shared);
    }
    docRels += "<Relationship Id=\"s\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" Target=\"styles.xml\"/></Relationships>";
    entries.push_back(stored("word/_rels/document.xml.rels", docRels));
    entries.push_back(stored("word/document.xml", documentXml("<w:p/>")));
    expectRefused(rawZip(entries), u"大きすぎる");
}

TEST(ZipBounds, Zip64RecordsAreRead)
{
    EXPECT_EQ(mainText(rawZip({stored("_rels/.rels", kRels, true),
                               stored("word/document.xml", documentXml("<w:p><w:r><w:t>z64</w:t></w:r></w:p>"), true)})),
              QStringLiteral("z64\r"));
}

TEST(ZipBounds, AHundredThousandEntriesAreRefused)
{
    std::vector<RawEntry> entries{stored("_rels/.rels", kRels), stored("word/document.xml", documentXml("<w:p/>"))};
    for (int i = 0; i < 100000; ++i)
        entries.push_back(stored("f/" + QByteArray::number(i), "x"));
    expectRefused(rawZip(entries), u"多すぎる");
}

TEST(ZipBounds, DotDotNamesStayInsideThePackage)
{
    // A header target climbing out of the package resolves inside it; an entry named with ".."
    // is only a name.
    const QByteArray docRels = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                               "<Relationship Id=\"h\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                               "relationships/header\" Target=\"../../../../word/header1.xml\"/></Relationships>";
    const QByteArray header = "<w:hdr " + QByteArray(DocxBuilder::kNamespaces) + "><w:p><w:r><w:t>in</w:t></w:r></w:p></w:hdr>";
    const QByteArray outside = "<w:hdr " + QByteArray(DocxBuilder::kNamespaces) + "><w:p><w:r><w:t>out</w:t></w:r></w:p></w:hdr>";
    const auto result = loadBytes(rawZip({stored("_rels/.rels", kRels), stored("word/_rels/document.xml.rels", docRels),
                                          stored("../../outside.xml", outside), stored("word/header1.xml", header),
                                          stored("word/document.xml", documentXml(
                                              "<w:p/><w:sectPr><w:headerReference w:type=\"default\" r:id=\"h\"/></w:sectPr>"))}));
    ASSERT_TRUE(std::holds_alternative<docx::Document>(result));
    QStringList texts;
    for (const docx::Story& s : std::get<docx::Document>(result).stories)
        texts << s.text;
    EXPECT_TRUE(texts.contains(QStringLiteral("in\r"))) << texts.join('|').toStdString();
    EXPECT_FALSE(texts.contains(QStringLiteral("out\r")));
}

TEST(XmlBounds, LongTextAndValuesAreReadWhole)
{
    const QByteArray letters = QByteArray("abcdefghijklmnopqrstuvwxyz").repeated(2 * 1024 * 1024);   // 52 MiB
    const QString text = mainText(rawZip({stored("_rels/.rels", kRels),
                                          stored("word/document.xml", documentXml("<w:p><w:r><w:t>" + letters + "</w:t></w:r></w:p>"))}));
    EXPECT_EQ(text.size(), letters.size() + 1);
    EXPECT_TRUE(text.startsWith(u"abcdef") && text.endsWith(u"xyz\r"));
    const QByteArray value(100 * kMiB, 'v');
    EXPECT_EQ(mainText(rawZip({stored("_rels/.rels", kRels),
                               stored("word/document.xml", documentXml("<w:p w:rsidR=\"" + value + "\"><w:r><w:t>x</w:t></w:r></w:p>"))})),
              QStringLiteral("x\r"));
}

TEST(XmlBounds, TenMillionElementsAndTwoHundredThousandComments)
{
    const QByteArray many = "<w:p><w:r>" + QByteArray("<w:t/>").repeated(10'000'000) + "<w:t>end</w:t></w:r></w:p>";
    EXPECT_EQ(mainText(rawZip({stored("_rels/.rels", kRels), stored("word/document.xml", documentXml(many))})), QStringLiteral("end\r"));
    const QByteArray comments = "<w:p><w:r><w:t>a" + QByteArray("<!-- a comment -->").repeated(200'000) + "b</w:t></w:r></w:p>";
    EXPECT_EQ(mainText(rawZip({stored("_rels/.rels", kRels), stored("word/document.xml", documentXml(comments))})), QStringLiteral("ab\r"));
}

TEST(XmlBounds, EntitiesOfADtdAreNeverExpanded)
{
    QByteArray dtd = "<!DOCTYPE w:document [<!ENTITY lol \"lol\">";
    for (int i = 1; i <= 9; ++i)
        dtd += "<!ENTITY lol" + QByteArray::number(i) + " \""
               + ("&lol" + (i > 1 ? QByteArray::number(i - 1) : QByteArray()) + ";").repeated(10) + "\">";
    dtd += "]>";
    const auto result = loadBytes(rawZip({stored("_rels/.rels", kRels),
                                          stored("word/document.xml", dtd + documentXml("<w:p><w:r><w:t>&lol9;</w:t></w:r></w:p>"))}));
    // Refused as a DTD, or read with the reference kept as written: never expanded.
    if (const auto* e = std::get_if<core::Error>(&result))
        EXPECT_EQ(e->number(), docx::kErrFileCorrupt);
    else
        EXPECT_EQ(std::get<docx::Document>(result).stories[0].text, QStringLiteral("&lol9;\r"));
}

} // namespace
