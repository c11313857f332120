// A story's text with its gap: every way of reading it agrees with a plain QString edited alike,
// wherever the edits and the reads fall.
#include "platform/docx/StoryText.h"

#include <gtest/gtest.h>

#include <random>

namespace {

QString piece(std::mt19937& rng, int n)
{
    QString s;
    for (int i = 0; i < n; ++i)
        s += QChar(char16_t(u'a' + rng() % 26));
    return s;
}

} // namespace

TEST(StoryText, EditsAndReadsAgreeWithAPlainString)
{
    std::mt19937 rng(7);
    QString plain = piece(rng, 300);
    docx::StoryText text(plain);
    for (int step = 0; step < 2000; ++step) {
        const auto at = static_cast<qsizetype>(rng() % (plain.size() + 1));
        const auto n = std::min<qsizetype>(rng() % 4 == 0 ? rng() % 50 : rng() % 3, plain.size() - at);
        // Mostly short edits near the last one, as typing goes; now and then a long insertion
        // that outgrows the gap.
        const QString with = piece(rng, rng() % 10 == 0 ? 5000 : static_cast<int>(rng() % 4));
        const docx::StoryText before = text;
        const QString plainBefore = plain;
        text.replace(at, n, with);
        plain.replace(at, n, with);
        ASSERT_EQ(text.size(), plain.size());
        const auto p = static_cast<qsizetype>(rng() % plain.size());
        ASSERT_EQ(text[p], plain[p]) << step;
        ASSERT_EQ(text.mid(p, 40), plain.mid(p, 40)) << step;
        ASSERT_EQ(text.mid(at - 3, with.size() + 6), plain.mid(at - 3, with.size() + 6)) << step;
        if (step % 50 == 0) {
            ASSERT_EQ(text.str(), plain) << step;   // closes the gap; the edits after reopen it
            ASSERT_EQ(before, plainBefore) << step;   // a copy taken before the edit kept its text
        }
    }
    EXPECT_EQ(text, plain);
    EXPECT_EQ(text.back(), plain.back());
    EXPECT_EQ(text.indexOf(plain.right(5)), plain.indexOf(plain.right(5)));
}

TEST(StoryText, ACopyKeepsItsTextWhileTheOriginalIsEdited)
{
    docx::StoryText text(QStringLiteral("0123456789"));
    text.replace(5, 0, u"ab");          // the gap now lies inside
    const docx::StoryText copy = text;
    text.replace(1, 2, u"XYZ");
    text.replace(9, 1, u"");
    EXPECT_EQ(copy, QStringLiteral("01234ab56789"));
    EXPECT_EQ(copy.mid(4, 4), QStringLiteral("4ab5"));
    EXPECT_EQ(text, QStringLiteral("0XYZ34ab5789"));
}
