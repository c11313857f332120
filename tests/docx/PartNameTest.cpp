#include "platform/docx/PartName.h"

#include <gtest/gtest.h>

TEST(PartName, EquivalentNamesShareTheirKey)
{
    const std::string key = docx::partNameKey("word/document.xml");
    for (const char* same : {"/word/document.xml", "WORD/Document.XML", "word//document.xml", "word/./document.xml",
                             "word/media/../document.xml", "../word/document.xml"})
        EXPECT_EQ(docx::partNameKey(same), key) << same;
    // Only ASCII letters fold; other characters and other names stay apart.
    EXPECT_NE(docx::partNameKey("word/\xC3\x84.xml"), docx::partNameKey("word/\xC3\xA4.xml"));
    EXPECT_NE(docx::partNameKey("word/document.xml.rels"), key);
    EXPECT_NE(docx::partNameKey("word/document"), key);
}
