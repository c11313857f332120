#include "tests/docx/Fixture.h"

#include <gtest/gtest.h>

namespace {

QString hdr(const char* root, const QString& inner)
{
    return QString("<w:%1 %2>%3</w:%1>").arg(root, DocxBuilder::kNamespaces, inner);
}

QString sectPr(const QString& refs) { return "<w:sectPr>" + refs + "</w:sectPr>"; }
QString ref(const char* kind, const char* type, const char* id)
{
    return QString("<w:%1Reference w:type=\"%2\" r:id=\"%3\"/>").arg(kind, type, id);
}

std::vector<int> types(const docx::Document& d)
{
    std::vector<int> t;
    for (const auto& s : d.stories)
        t.push_back(s.type);
    return t;
}

// Three sections: the second inherits everything, the third has its own primary header and a
// first-page footer, switched on by titlePg.
DocxBuilder threeSections()
{
    return DocxBuilder()
        .body(paraXml("s1") + "<w:p><w:pPr>" + sectPr(ref("header", "default", "rH1") + ref("footer", "default", "rF1")
                                                     + ref("header", "even", "rE1")) + "</w:pPr></w:p>"
              + "<w:p><w:pPr>" + sectPr("") + "</w:pPr><w:r><w:t>s2</w:t></w:r></w:p>" + paraXml("s3")
              + sectPr(ref("header", "default", "rH3") + ref("footer", "first", "rFF3") + "<w:titlePg/>"))
        .relationship("rH1", "header", "header1.xml").part("word/header1.xml", hdr("hdr", paraXml("H1")))
        .relationship("rF1", "footer", "footer1.xml").part("word/footer1.xml", hdr("ftr", paraXml("F1")))
        .relationship("rE1", "header", "header2.xml").part("word/header2.xml", hdr("hdr", paraXml("E1")))
        .relationship("rH3", "header", "header3.xml").part("word/header3.xml", hdr("hdr", paraXml("H3")))
        .relationship("rFF3", "footer", "footer3.xml").part("word/footer3.xml", hdr("ftr", paraXml("FF3")))
        .part("word/settings.xml", hdr("settings", "<w:evenAndOddHeaders/>"));
}

TEST(HeaderFooterChains, LinkToPreviousAcrossThreeSections)
{
    const docx::Document d = loadBuilt(threeSections());
    EXPECT_EQ(types(d), (std::vector<int>{1, 6, 7, 7, 9, 11}));
    EXPECT_EQ(visible(d.stories[0].text), QStringLiteral("s1¶§s2§s3¶"));
    EXPECT_EQ(d.stories[2].text, QStringLiteral("H1\r"));
    EXPECT_EQ(d.stories[3].text, QStringLiteral("H3\r"));
    EXPECT_EQ(d.stories[3].section, 2);
    EXPECT_EQ(d.stories[3].part, QStringLiteral("/word/header3.xml"));
    EXPECT_TRUE(d.evenAndOddHeaders);
    ASSERT_EQ(d.sections.size(), 3u);
    const int primaryHeader[] = {2, 2, 3}, evenHeader[] = {1, 1, 1}, primaryFooter[] = {4, 4, 4},
              firstFooter[] = {-1, -1, 5};
    const int32_t ends[] = {3, 6, 9};
    for (int s = 0; s < 3; ++s) {
        EXPECT_EQ(d.sections[s].headers[0], primaryHeader[s]) << s;
        EXPECT_EQ(d.sections[s].headers[2], evenHeader[s]) << s;
        EXPECT_EQ(d.sections[s].headers[1], -1) << s;
        EXPECT_EQ(d.sections[s].footers[0], primaryFooter[s]) << s;
        EXPECT_EQ(d.sections[s].footers[1], firstFooter[s]) << s;
        EXPECT_EQ(d.sections[s].endPos, ends[s]) << s;
    }
    EXPECT_FALSE(d.sections[1].titlePage);
    EXPECT_TRUE(d.sections[2].titlePage);
}

TEST(Notes, OneStoryPerKindInReferenceOrderWithSeparators)
{
    const QString notes =
        "<w:footnote w:type=\"separator\" w:id=\"-1\"><w:p><w:r><w:separator/></w:r></w:p></w:footnote>"
        "<w:footnote w:type=\"continuationSeparator\" w:id=\"0\"><w:p><w:r><w:continuationSeparator/></w:r></w:p></w:footnote>"
        "<w:footnote w:id=\"1\"><w:p><w:r><w:footnoteRef/></w:r><w:r><w:t>one</w:t></w:r></w:p></w:footnote>"
        "<w:footnote w:id=\"2\"><w:p><w:r><w:footnoteRef/></w:r><w:r><w:t>two</w:t></w:r></w:p><w:p/></w:footnote>"
        "<w:footnote w:id=\"3\"><w:p><w:r><w:t>never referenced</w:t></w:r></w:p></w:footnote>";
    const docx::Document d = loadBuilt(
        DocxBuilder()
            .body("<w:p><w:r><w:t>a</w:t></w:r><w:r><w:footnoteReference w:id=\"2\"/></w:r><w:r><w:t>b</w:t></w:r>"
                  "<w:r><w:footnoteReference w:id=\"1\"/></w:r><w:r><w:endnoteReference w:id=\"5\"/></w:r></w:p>")
            .part("word/footnotes.xml", hdr("footnotes", notes))
            .part("word/endnotes.xml", hdr("endnotes", "<w:endnote w:id=\"5\"><w:p><w:r><w:endnoteRef/></w:r>"
                                                        "<w:r><w:t>end</w:t></w:r></w:p></w:endnote>")));
    EXPECT_EQ(types(d), (std::vector<int>{1, 2, 3, 12, 13}));
    EXPECT_EQ(visible(d.stories[0].text), QStringLiteral("a²b²²¶"));
    EXPECT_EQ(visible(d.stories[1].text), QStringLiteral("²two¶¶²one¶"));
    EXPECT_EQ(visible(d.stories[2].text), QStringLiteral("²end¶"));
    EXPECT_EQ(visible(d.stories[3].text), QStringLiteral("―¶"));
    ASSERT_EQ(d.notes.size(), 3u);
    EXPECT_EQ(d.notes[0].refPos, 1);
    EXPECT_EQ(d.notes[0].start, 0);
    EXPECT_EQ(d.notes[0].end, 6);
    EXPECT_EQ(d.notes[1].refPos, 3);
    EXPECT_EQ(d.notes[1].start, 6);
    EXPECT_EQ(d.notes[1].end, 11);
    EXPECT_EQ(d.notes[2].type, docx::wdEndnotesStory);
    EXPECT_EQ(d.notes[2].refStory, 0);
}

TEST(Comments, InMarkOrderWithRangesAndAuthors)
{
    const QString comments =
        "<w:comment w:id=\"7\" w:author=\"山田\" w:initials=\"Y\"><w:p><w:r><w:annotationRef/></w:r><w:r><w:t>first</w:t></w:r></w:p></w:comment>"
        "<w:comment w:id=\"3\" w:author=\"Ann\" w:initials=\"A\"><w:p><w:r><w:annotationRef/></w:r><w:r><w:t>second</w:t></w:r></w:p></w:comment>";
    const docx::Document d = loadBuilt(
        DocxBuilder()
            .body("<w:p><w:r><w:t>x</w:t></w:r><w:commentRangeStart w:id=\"3\"/><w:r><w:t>yy</w:t></w:r><w:commentRangeEnd w:id=\"3\"/>"
                  "<w:r><w:commentReference w:id=\"3\"/></w:r><w:r><w:commentReference w:id=\"7\"/></w:r></w:p>")
            .part("word/comments.xml", hdr("comments", comments)));
    EXPECT_EQ(types(d), (std::vector<int>{1, 4}));
    EXPECT_EQ(visible(d.stories[1].text), QStringLiteral("⁵second¶⁵first¶"));
    ASSERT_EQ(d.comments.size(), 2u);
    const docx::Comment& c = d.comments[0];
    EXPECT_EQ(c.author, QStringLiteral("Ann"));
    EXPECT_EQ(c.rangeStart, 1);
    EXPECT_EQ(c.rangeEnd, 3);
    EXPECT_EQ(c.markPos, 3);
    EXPECT_EQ(c.start, 0);
    EXPECT_EQ(c.end, 8);
    EXPECT_EQ(d.comments[1].author, QStringLiteral("山田"));
    EXPECT_EQ(d.comments[1].rangeStart, 4);
    EXPECT_EQ(d.comments[1].start, 8);
}

TEST(TextBoxes, DrawingMlVmlLinkedAndHeaderBoxesChainInOrder)
{
    const QString drawingBox =
        "<w:r><mc:AlternateContent><mc:Choice Requires=\"wps\"><w:drawing><wp:anchor><a:graphic><a:graphicData>"
        "<wps:wsp><wps:txbx><w:txbxContent>" + paraXml("dml") + "</w:txbxContent></wps:txbx></wps:wsp>"
        "</a:graphicData></a:graphic></wp:anchor></w:drawing></mc:Choice><mc:Fallback><w:pict><v:shape>"
        "<v:textbox><w:txbxContent>" + paraXml("dml") + "</w:txbxContent></v:textbox></v:shape></w:pict>"
        "</mc:Fallback></mc:AlternateContent></w:r>";
    const QString vmlBox = "<w:r><w:pict><v:shape><v:textbox><w:txbxContent>" + paraXml("vml")
                           + "</w:txbxContent></v:textbox></v:shape></w:pict></w:r>";
    const QString linked = "<w:r><w:drawing><wp:anchor><a:graphic><a:graphicData><wps:wsp>"
                           "<wps:linkedTxbx id=\"1\" seq=\"1\"/></wps:wsp></a:graphicData></a:graphic></wp:anchor></w:drawing></w:r>";
    const QString headerBox = "<w:p><w:r><w:t>h</w:t></w:r><w:r><w:pict><v:shape><v:textbox><w:txbxContent>"
                              + paraXml("inHeader") + "</w:txbxContent></v:textbox></v:shape></w:pict></w:r></w:p>";
    const docx::Document d = loadBuilt(
        DocxBuilder()
            .body("<w:p><w:r><w:t>a</w:t></w:r>" + drawingBox + vmlBox + linked + "</w:p>"
                  + sectPr(ref("header", "default", "rH")))
            .relationship("rH", "header", "header1.xml").part("word/header1.xml", hdr("hdr", headerBox)));
    EXPECT_EQ(types(d), (std::vector<int>{1, 5, 5, 5, 7}));
    EXPECT_EQ(visible(d.stories[0].text), QStringLiteral("a⚓⚓⚓¶"));
    EXPECT_EQ(d.stories[1].text, QStringLiteral("dml\r"));
    EXPECT_EQ(d.stories[2].text, QStringLiteral("vml\r"));
    EXPECT_EQ(d.stories[3].text, QStringLiteral("inHeader\r"));
    EXPECT_EQ(visible(d.stories[4].text), QStringLiteral("h⚓¶"));
    ASSERT_EQ(d.textBoxes.size(), 3u);
    EXPECT_EQ(d.textBoxes[0].story, 1);
    EXPECT_EQ(d.textBoxes[0].anchorStory, 0);
    EXPECT_EQ(d.textBoxes[0].anchorPos, 1);
    EXPECT_EQ(d.textBoxes[1].anchorPos, 2);
    EXPECT_EQ(d.textBoxes[2].anchorStory, 4);
    EXPECT_EQ(d.textBoxes[2].anchorPos, 1);
    EXPECT_EQ(d.stories[3].part, QStringLiteral("/word/header1.xml"));
}

TEST(Package, StrictNamespaceAndPrefixOtherThanW)
{
    DocxBuilder b;
    b.raw("word/document.xml",
          "<x:document xmlns:x=\"http://purl.oclc.org/ooxml/wordprocessingml/main\"><x:body>"
          "<x:p><x:r><x:t>strict</x:t><x:tab/></x:r></x:p></x:body></x:document>");
    b.raw("_rels/.rels",
          "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
          "<Relationship Id=\"r1\" Type=\"http://purl.oclc.org/ooxml/officeDocument/relationships/officeDocument\" "
          "Target=\"/word/document.xml\"/></Relationships>");
    const docx::Document d = loadBuilt(b);
    EXPECT_EQ(visible(d.stories[0].text), QStringLiteral("strict→¶"));
}

} // namespace
