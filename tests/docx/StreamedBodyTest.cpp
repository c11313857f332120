// The main document is read while a second thread still inflates it; these tests load bodies large
// enough to arrive in many chunks and compare them with the same content read in one piece.
#include "tests/docx/Fixture.h"

#include "platform/core/Error.h"
#include "platform/docx/LoadError.h"
#include "platform/docx/PartStream.h"
#include "platform/docx/XmlReader.h"
#include "platform/docx/ZipReader.h"

#include <QDirIterator>
#include <QRegularExpression>

#include <optional>

#include <gtest/gtest.h>

namespace {

QString root(const char* name, const QString& inner)
{
    return QString("<w:%1 %2>%3</w:%1>").arg(name, DocxBuilder::kNamespaces, inner);
}

// One round of blocks with state that crosses block boundaries (a field over two paragraphs, a
// comment range, a section break) and markup a naive cut could trip on.
QString blocks(int i)
{
    const QString n = QString::number(i);
    return "<w:p><w:pPr><w:rPr><w:color w:val=\"00FF00\"/></w:rPr></w:pPr>"
           "<w:r><w:rPr><w:color w:val=\"FF0000\"/></w:rPr><w:t>赤い文字 " + n + "</w:t></w:r>"
           "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText> PAGE </w:instrText></w:r></w:p>"
           "<!-- </w:body></w:document> -->"
           "<w:p><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>" + n + "</w:t></w:r>"
           "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>"
           "<w:hyperlink w:anchor=\"a&gt;b\" w:tooltip='x > y'><w:r><w:t><![CDATA[<w:p> & ]]></w:t></w:r></w:hyperlink></w:p>"
           "<w:commentRangeStart w:id=\"" + QString::number(i % 3) + "\"/>"
           "<w:tbl><w:tr><w:tc><w:p><w:r><w:rPr><w:strike/></w:rPr><w:t>cell</w:t></w:r></w:p></w:tc>"
           "<w:tc><w:p><w:r><w:footnoteReference w:id=\"1\"/></w:r></w:p></w:tc></w:tr></w:tbl>"
           "<w:p><w:r><w:pict><v:shape style=\"position:absolute\"><v:textbox><w:txbxContent>"
           + paraXml("box " + n) + "</w:txbxContent></v:textbox></v:shape></w:pict></w:r>"
           "<w:r><w:commentReference w:id=\"" + QString::number(i % 3) + "\"/></w:r></w:p>"
           "<w:commentRangeEnd w:id=\"" + QString::number(i % 3) + "\"/>"
           + (i % 40 == 39 ? "<w:p><w:pPr><w:sectPr/></w:pPr></w:p>" : "");
}

DocxBuilder document(const QString& body)
{
    QString comments;
    for (int id = 0; id < 3; ++id)
        comments += QString("<w:comment w:id=\"%1\" w:author=\"A\"><w:p><w:r><w:t>c%1</w:t></w:r></w:p></w:comment>").arg(id);
    return DocxBuilder()
        .body(body)
        .part("word/footnotes.xml", root("footnotes", "<w:footnote w:id=\"1\">" + paraXml("note") + "</w:footnote>"))
        .part("word/comments.xml", root("comments", comments));
}

QString manyBlocks()
{
    QString body;
    for (int i = 0; body.size() < 16 * static_cast<qsizetype>(docx::XmlTokenizer::kChunkBytes); ++i)
        body += blocks(i);
    return body;
}

void expectSame(const docx::Document& a, const docx::Document& b)
{
    ASSERT_EQ(a.stories.size(), b.stories.size());
    for (std::size_t i = 0; i < a.stories.size(); ++i) {
        const docx::Story &s = a.stories[i], &t = b.stories[i];
        EXPECT_EQ(s.type, t.type) << i;
        ASSERT_EQ(s.text, t.text) << i;
        ASSERT_EQ(s.runs.size(), t.runs.size()) << i;
        for (std::size_t r = 0; r < s.runs.size(); ++r) {
            EXPECT_EQ(s.runs[r].start, t.runs[r].start) << i << ' ' << r;
            EXPECT_TRUE(s.runs[r].format == t.runs[r].format) << i << ' ' << r;
        }
    }
    ASSERT_EQ(a.notes.size(), b.notes.size());
    for (std::size_t i = 0; i < a.notes.size(); ++i)
        EXPECT_EQ(a.notes[i].refPos, b.notes[i].refPos) << i;
    ASSERT_EQ(a.comments.size(), b.comments.size());
    for (std::size_t i = 0; i < a.comments.size(); ++i) {
        EXPECT_EQ(a.comments[i].rangeStart, b.comments[i].rangeStart) << i;
        EXPECT_EQ(a.comments[i].rangeEnd, b.comments[i].rangeEnd) << i;
        EXPECT_EQ(a.comments[i].markPos, b.comments[i].markPos) << i;
    }
    ASSERT_EQ(a.textBoxes.size(), b.textBoxes.size());
    for (std::size_t i = 0; i < a.textBoxes.size(); ++i)
        EXPECT_EQ(a.textBoxes[i].anchorPos, b.textBoxes[i].anchorPos) << i;
    ASSERT_EQ(a.sections.size(), b.sections.size());
    for (std::size_t i = 0; i < a.sections.size(); ++i)
        EXPECT_EQ(a.sections[i].endPos, b.sections[i].endPos) << i;
}

TEST(StreamedBody, ReadsAsTheSameContentInOnePiece)
{
    const QString body = manyBlocks();
    // Wrapped in a content control, the same blocks are one child of the body.
    const docx::Document whole =
        loadBuilt(document("<w:sdt><w:sdtContent>" + body + "</w:sdtContent></w:sdt><w:sectPr/>"));
    const docx::Document sliced = loadBuilt(document(body + "<w:sectPr/>"));
    EXPECT_GT(sliced.sections.size(), 10u);
    EXPECT_GT(sliced.textBoxes.size(), 100u);
    EXPECT_TRUE(sliced.stories[0].text.contains(QStringLiteral("赤い文字 1\x13 PAGE \r\x14" "1\x15")));
    expectSame(whole, sliced);
}

// Read on the calling thread alone, a document comes out as read on two; a fault names the same
// place either way.
TEST(StreamedBody, OneThreadReadsTheSameDocument)
{
    docx::LoadOptions oneThread;
    oneThread.oneThread = true;
    const DocxBuilder built = document(manyBlocks() + "<w:sectPr/>");
    expectSame(loadBuilt(built), loadBuilt(built, oneThread));

    int compared = 0;
    QDirIterator it(QStringLiteral(TARVELIN_CORPUS_DIR), {"*.docx"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        SCOPED_TRACE(path.toStdString());
        QString twoError, oneError;
        std::optional<docx::Document> two, one;
        try {
            two = docx::load(path);
        } catch (const core::Error& e) {
            twoError = e.description();
        }
        try {
            one = docx::load(path, oneThread);
        } catch (const core::Error& e) {
            oneError = e.description();
        }
        EXPECT_EQ(oneError, twoError);
        ASSERT_EQ(one.has_value(), two.has_value());
        if (one) {
            expectSame(*two, *one);
            ++compared;
        }
    }
    EXPECT_GT(compared, 200);
}

// Everything the reader reports about the element it stands on and all inside it.
void dump(docx::XmlReader& x, std::string& out)
{
    out += '<';
    out += x.localName();
    out += ' ' + std::to_string(static_cast<int>(x.ns())) + ' ' + std::to_string(static_cast<int>(x.tok()));
    for (const char* a : {"id", "val", "fldCharType", "anchor", "tooltip"})
        if (const auto v = x.attr(docx::Ns::W, a))
            out.append(" ").append(a).append("=").append(*v);
    out += '>';
    if (x.tok() == docx::Tok::T) {
        x.text([&](std::string_view piece) { out.append(piece).append("|"); });
    } else {
        const int at = x.depth();
        while (x.child(at))
            dump(x, out);
    }
    out += "</>";
}

TEST(StreamedBody, ReaderSeesTheSameWhetherThePartArrivesInChunksOrWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("d.docx");
    document(manyBlocks()).save(path);
    docx::ZipReader zip(path);
    std::string whole, streamed;
    {
        docx::XmlReader x(zip.read("word/document.xml"), "word/document.xml", path);
        ASSERT_TRUE(x.child(0));
        dump(x, whole);
    }
    {
        docx::PartStream stream(zip, "word/document.xml", path);
        docx::XmlReader x(stream);
        ASSERT_TRUE(x.child(0));
        dump(x, streamed);
        x.finish();
    }
    std::string inflated;
    {
        docx::ZipEntry entry(zip, "word/document.xml");
        docx::XmlReader x(entry, "word/document.xml", path);
        ASSERT_TRUE(x.child(0));
        dump(x, inflated);
        x.finish();
    }
    EXPECT_GT(whole.size(), 4 * docx::XmlTokenizer::kChunkBytes);
    EXPECT_NE(whole.find("<t 1 15>赤い文字 7|</>"), std::string::npos) << whole.substr(0, 2000);
    EXPECT_NE(whole.find("anchor=a>b"), std::string::npos);
    EXPECT_NE(whole.find("<w:p> & |"), std::string::npos);
    EXPECT_EQ(whole, streamed);
    EXPECT_EQ(whole, inflated);
}

TEST(StreamedBody, Utf16PartReadsAsUtf8)
{
    const QString body = manyBlocks() + "<w:sectPr/>";
    const QString xml = QString("<?xml version=\"1.0\" encoding=\"UTF-16\"?><w:document %1><w:body>%2</w:body></w:document>")
                            .arg(DocxBuilder::kNamespaces, body);
    QByteArray utf16("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char*>(xml.utf16()), xml.size() * 2);
    const docx::Document wide = loadBuilt(document(body).raw("word/document.xml", utf16));
    expectSame(loadBuilt(document(body)), wide);
}

TEST(StreamedBody, FaultLateInThePartNamesItsOffset)
{
    const QString good = manyBlocks();
    const QString fault = "<w:p><w:r><w:t>x</w:t></w:p>";
    const QByteArray head = QString("<w:document %1><w:body>").arg(DocxBuilder::kNamespaces).toUtf8();
    const qsizetype faultAt = head.size() + good.toUtf8().size();
    QTemporaryDir dir;
    const QString path = dir.filePath("fault.docx");
    document({}).raw("word/document.xml", head + (good + fault + paraXml("after") + "</w:body></w:document>").toUtf8())
        .save(path);
    try {
        docx::load(path);
        FAIL() << "loaded";
    } catch (const core::Error& e) {
        const QRegularExpressionMatch m = QRegularExpression("document\\.xml, (\\d+) ").match(e.description());
        ASSERT_TRUE(m.hasMatch()) << e.what();
        const qsizetype offset = m.captured(1).toLongLong();
        EXPECT_GE(offset, faultAt) << e.what();
        EXPECT_LE(offset, faultAt + fault.size()) << e.what();
    }
}

// The walk fails early while the part is still being inflated: the walk's error comes out, and the
// inflating thread stops instead of working for a walk that is gone.
TEST(StreamedBody, WalkFailingEarlyStopsTheReader)
{
    QString open, close;
    for (int i = 0; i < 400; ++i) {
        open += "<w:sdt><w:sdtContent>";
        close += "</w:sdtContent></w:sdt>";
    }
    const docx::Document whole = loadBuilt(document(manyBlocks()));
    EXPECT_GT(whole.stories[0].length(), 0);
    try {
        loadBuilt(document(open + paraXml("deep") + close + manyBlocks()));
        FAIL() << "loaded";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), docx::kErrFileCorrupt);
        EXPECT_TRUE(e.description().contains(u"入れ子")) << e.what();
    }
}

} // namespace
