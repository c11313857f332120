#include "tests/docx/Fixture.h"

#include "platform/core/Error.h"
#include "platform/docx/LoadError.h"
#include "platform/docx/ZipReader.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

QByteArray goodPackage() { return DocxBuilder().body(paraXml("hello")).bytes(); }

// Sets a four-byte field of one entry's central directory header: what the directory states.
constexpr int kStatedCrc = 16, kStatedSize = 24;
QByteArray withStated(int field, QByteArray zip, const QByteArray& entry, quint32 value)
{
    for (qsizetype at = zip.indexOf("PK\x01\x02"); at >= 0; at = zip.indexOf("PK\x01\x02", at + 4)) {
        const auto nameLen = static_cast<quint8>(zip[at + 28]) | (static_cast<quint8>(zip[at + 29]) << 8);
        if (zip.mid(at + 46, nameLen) != entry)
            continue;
        for (int i = 0; i < 4; ++i)
            zip[at + field + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return zip;
}

QByteArray manyEntries()
{
    DocxBuilder b;
    b.body(paraXml("x"));
    for (std::size_t i = 0; i <= docx::ZipReader::kMaxEntries; ++i)
        b.raw(QString("f/%1").arg(i), "x");
    return b.bytes();
}

struct BadCase {
    const char* name;
    std::function<QByteArray()> bytes;   // nothing written when null: the file is missing
    int number;
    const char16_t* phrase;              // part of the description that names the failure
};

const BadCase kCases[] = {
    {"Missing", nullptr, docx::kErrFileNotFound, u"見つかりません"},
    {"ZeroLength", [] { return QByteArray(); }, docx::kErrFileCorrupt, u"空"},
    {"OleCompoundFile", [] { return QByteArray::fromHex("D0CF11E0A1B11AE1") + QByteArray(504, '\0'); },
     docx::kErrFileCorrupt, u"暗号化"},
    {"PlainText", [] { return QByteArray("just some text, not a package"); }, docx::kErrFileCorrupt, u"形式ではない"},
    {"TruncatedZip", [] { return goodPackage().left(goodPackage().size() / 2); }, docx::kErrFileCorrupt, u"開けません"},
    {"NoMainDocument", [] { return DocxBuilder().raw("word/other.xml", "<a/>").bytes(); }, docx::kErrFileCorrupt, u"本文"},
    {"MainPartNotWordprocessing",
     [] { return DocxBuilder().part("word/document.xml", "<html><body/></html>").bytes(); }, docx::kErrFileCorrupt, u"本文"},
    {"MalformedXml",
     [] { return DocxBuilder().part("word/document.xml", QString("<w:document %1><w:body><w:p></w:body>").arg(DocxBuilder::kNamespaces)).bytes(); },
     docx::kErrFileCorrupt, u"XML"},
    {"StatedSizeBeyondBound", [] { return withStated(kStatedSize, goodPackage(), "word/document.xml", 0xFFFFFF00u); },
     docx::kErrFileCorrupt, u"大きすぎる"},
    {"StatedSizeSmallerThanData", [] { return withStated(kStatedSize, goodPackage(), "word/document.xml", 10); },
     docx::kErrFileCorrupt, u"破損"},
    {"StatedSizeLargerThanData", [] { return withStated(kStatedSize, goodPackage(), "word/document.xml", 100000); },
     docx::kErrFileCorrupt, u"足りません"},
    {"CrcMismatch", [] { return withStated(kStatedCrc, goodPackage(), "word/document.xml", 0x12345678u); },
     docx::kErrFileCorrupt, u"CRC"},
    {"CrcMismatchInAPartReadWhole", [] { return withStated(kStatedCrc, goodPackage(), "_rels/.rels", 0x12345678u); },
     docx::kErrFileCorrupt, u"CRC"},
    {"TooManyEntries", manyEntries, docx::kErrFileCorrupt, u"多すぎる"},
    {"NestingBeyondBound",
     [] {
         QString open, close;
         for (int i = 0; i < 400; ++i) {
             open += "<w:sdt><w:sdtContent>";
             close += "</w:sdtContent></w:sdt>";
         }
         return DocxBuilder().body(open + paraXml("deep") + close).bytes();
     },
     docx::kErrFileCorrupt, u"入れ子"},
    // Two entries naming one part: part names compare without regard to ASCII case, with "." and
    // ".." segments resolved.
    {"PartNamedTwiceInAnotherCase", [] { return DocxBuilder().body(paraXml("a")).raw("Word/Document.XML", "<x/>").bytes(); },
     docx::kErrFileCorrupt, u"部品 /word/document.xml が重複しています"},
    {"PartNamedTwiceThroughDotSegments",
     [] { return DocxBuilder().body(paraXml("a")).raw("word/media/.././styles.xml", "<x/>").raw("word/styles.xml", "<y/>").bytes(); },
     docx::kErrFileCorrupt, u"部品 /word/styles.xml が重複しています"},
};

class BadInput : public testing::TestWithParam<BadCase> {};

TEST_P(BadInput, ClearErrorNamingTheFile)
{
    const BadCase& c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("壊れた文書.docx"));
    if (c.bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.bytes());
    }
    try {
        docx::load(path);
        FAIL() << "loaded";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), c.number);
        EXPECT_EQ(e.source(), QStringLiteral("Tarvelin"));
        EXPECT_TRUE(e.description().contains(QStringLiteral("壊れた文書.docx"))) << e.what();
        EXPECT_TRUE(e.description().contains(QString::fromUtf16(c.phrase))) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Docx, BadInput, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A DTD in any part read refuses the package, naming the part; no entity is resolved.
TEST(SafeInput, DtdInAnyPartIsRefused)
{
    const QByteArray dtd = "<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>";
    const QString styles = "<w:styles " + QString(DocxBuilder::kNamespaces) + "/>";
    const std::pair<QString, DocxBuilder> cases[] = {
        {"/word/document.xml", DocxBuilder().raw("word/document.xml", dtd + QString("<w:document %1><w:body>%2</w:body></w:document>")
                                                                          .arg(DocxBuilder::kNamespaces, paraXml("a&e;b")).toUtf8())},
        {"/word/styles.xml", DocxBuilder().body(paraXml("a")).raw("word/styles.xml", dtd + styles.toUtf8())
                                 .relationship("rIdS", "styles", "styles.xml")},
        {"/word/_rels/document.xml.rels",
         DocxBuilder().body(paraXml("a")).raw("word/_rels/document.xml.rels", dtd + "<Relationships/>")},
    };
    for (const auto& [part, builder] : cases) {
        try {
            loadBuilt(builder);
            ADD_FAILURE() << "loaded " << part.toStdString();
        } catch (const core::Error& e) {
            EXPECT_EQ(e.number(), docx::kErrFileCorrupt);
            EXPECT_TRUE(e.description().contains(part + QStringLiteral(" に DTD が含まれています"))) << e.what();
        }
    }
}

} // namespace
