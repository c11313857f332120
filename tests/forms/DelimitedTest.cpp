#include "platform/forms/AnsiCodePage.h"
#include "platform/forms/Delimited.h"

#include <gtest/gtest.h>

using namespace forms;

TEST(Delimited, CsvQuotesOnlyTheFieldsThatNeedItAndEndsInCrLf)
{
    const struct {
        QStringList fields;
        QString record;
    } cases[] = {
        {{"1", "語", ""}, "1,語,\r\n"},
        {{"a,b"}, "\"a,b\"\r\n"},
        {{"say \"hi\""}, "\"say \"\"hi\"\"\"\r\n"},
        {{"two\nlines", "cr\r"}, "\"two\nlines\",\"cr\r\"\r\n"},
        {{"tab\tstays", " spaced "}, "tab\tstays, spaced \r\n"},
        {{}, "\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(csvRecord(c.fields), c.record) << c.fields.join('|').toStdString();
}

TEST(Delimited, ControlCharactersBecomeVisibleSoAFieldKeepsToItsLine)
{
    EXPECT_EQ(visibleControls(QStringLiteral("段落\r表\x07\t改\n\x7F")), QStringLiteral("段落¶表␇␉改␊␡"));
    EXPECT_EQ(visibleControls(QStringLiteral("普通の文")), QStringLiteral("普通の文"));
}

TEST(AnsiCodePage, CharacterCodesNameEachCharacterWithItsCodePoint)
{
    EXPECT_EQ(characterCodes(QString::fromUtf8("𠮷€")), QStringLiteral("𠮷 (U+20BB7), € (U+20AC)"));
    EXPECT_EQ(characterCodes(QStringLiteral("\x01")), QStringLiteral("\x01 (U+0001)"));
    EXPECT_EQ(characterCodes({}), QString());
}
