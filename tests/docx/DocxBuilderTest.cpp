#include "tests/support/DocxBuilder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zip.h>

// The fixture builder must produce a real zip that libzip reads back part by part.
TEST(DocxBuilder, WritesAZipWithDerivedPackageParts)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.docx");
    DocxBuilder().body("<w:p><w:r><w:t>x</w:t></w:r></w:p>")
        .part("word/footnotes.xml", "<w:footnotes/>")
        .save(path);
    int err = 0;
    zip_t* za = zip_open(path.toUtf8().constData(), ZIP_RDONLY, &err);
    ASSERT_NE(za, nullptr);
    for (const char* name : {"[Content_Types].xml", "_rels/.rels", "word/document.xml",
                             "word/_rels/document.xml.rels", "word/footnotes.xml"})
        EXPECT_GE(zip_name_locate(za, name, 0), 0) << name;
    zip_close(za);
}
