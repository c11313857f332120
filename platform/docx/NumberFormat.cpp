#include "platform/docx/NumberFormat.h"

#include <unicode/numfmt.h>
#include <unicode/unistr.h>

#include <map>
#include <memory>
#include <string>

namespace docx {
namespace {

// A letter repeated: a..z, then aa..zz, as Word writes letter numbers.
QString letters(int n, char16_t a)
{
    return QString(QChar(char16_t(a + (n - 1) % 26))).repeated((n - 1) / 26 + 1);
}

QString chicago(int n)
{
    static const char16_t symbols[] = {u'*', u'†', u'‡', u'§'};
    return QString(QChar(symbols[(n - 1) % 4])).repeated((n - 1) / 4 + 1);
}

QString fromTable(int n, QStringView table)
{
    return QString(table[(n - 1) % table.size()]);
}

// Formats ICU writes itself, through the algorithmic numbering systems of its locale data. Making
// a formatter parses its rules, which costs far more than formatting: one per locale and thread.
QString icuNumber(int n, const char* locale)
{
    thread_local std::map<std::string, std::unique_ptr<icu::NumberFormat>> formats;
    std::unique_ptr<icu::NumberFormat>& f = formats[locale];
    if (!f) {
        UErrorCode status = U_ZERO_ERROR;
        f.reset(icu::NumberFormat::createInstance(icu::Locale(locale), status));
        if (U_FAILURE(status))
            f.reset();
        if (!f)
            return QString::number(n);
        f->setGroupingUsed(false);
    }
    icu::UnicodeString out;
    f->format(static_cast<int32_t>(n), out);
    return QString(reinterpret_cast<const QChar*>(out.getBuffer()), out.length());
}

} // namespace

QString formatNumber(int n, const QString& format)
{
    static constexpr char16_t kAiueo[] = u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲン";
    static constexpr char16_t kIroha[] = u"イロハニホヘトチリヌルヲワカヨタレソツネナラムウヰノオクヤマケフコエテアサキユメミシヱヒモセス";
    static constexpr char16_t kCircled[] = u"①②③④⑤⑥⑦⑧⑨⑩⑪⑫⑬⑭⑮⑯⑰⑱⑲⑳";
    if (format == u"none")
        return {};
    if (n < 1)
        return QString::number(n);
    if (format == u"upperRoman")
        return icuNumber(n, "en@numbers=roman");
    if (format == u"lowerRoman")
        return icuNumber(n, "en@numbers=romanlow");
    if (format == u"decimalFullWidth" || format == u"decimalFullWidth2")
        return icuNumber(n, "en@numbers=fullwide");
    if (format == u"japaneseCounting")
        return icuNumber(n, "ja@numbers=jpan");
    if (format == u"decimalZero")
        return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
    if (format == u"upperLetter")
        return letters(n, u'A');
    if (format == u"lowerLetter")
        return letters(n, u'a');
    if (format == u"chicago")
        return chicago(n);
    if (format == u"aiueoFullWidth")
        return fromTable(n, kAiueo);
    if (format == u"irohaFullWidth")
        return fromTable(n, kIroha);
    if (format == u"decimalEnclosedCircle" && n <= 20)
        return QString(QChar(kCircled[n - 1]));
    return QString::number(n);
}

} // namespace docx
