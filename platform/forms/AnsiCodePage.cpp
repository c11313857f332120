#include "platform/forms/AnsiCodePage.h"

#include "platform/forms/FormsError.h"

#include <QFile>

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <memory>

namespace forms {

namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// ICU's own substitution drops a default-ignorable character (a variation selector, a zero-width
// space) silently; the VB runtime writes "?" for it as for any other it cannot hold.
void substituteEvery(const void*, UConverterFromUnicodeArgs* args, const UChar*, int32_t, UChar32,
                     UConverterCallbackReason reason, UErrorCode* status)
{
    if (reason > UCNV_IRREGULAR)
        return;
    *status = U_ZERO_ERROR;
    ucnv_cbFromUWriteSub(args, 0, status);
}

// One converter per thread: opening is costly and a converter keeps state between calls.
UConverter* cp932()
{
    thread_local Converter converter = [] {
        UErrorCode status = U_ZERO_ERROR;
        Converter c(ucnv_open("windows-31j", &status));
        if (U_FAILURE(status))
            qFatal("ICU has no windows-31j converter: %s", u_errorName(status));
        // The default substitution is the 2-byte FC FC; the VB runtime writes one "?".
        ucnv_setSubstChars(c.get(), "?", 1, &status);
        ucnv_setFromUCallBack(c.get(), substituteEvery, nullptr, nullptr, nullptr, &status);
        return c;
    }();
    ucnv_reset(converter.get());
    return converter.get();
}

// Notes each character the converter cannot map, then substitutes it as the converter would.
void noteUnmappable(const void* context, UConverterFromUnicodeArgs* args, const UChar* units, int32_t length,
                    UChar32 codePoint, UConverterCallbackReason reason, UErrorCode* status)
{
    if (reason == UCNV_UNASSIGNED || reason == UCNV_ILLEGAL || reason == UCNV_IRREGULAR) {
        auto* out = static_cast<QString*>(const_cast<void*>(context));
        const QString c = QString::fromUcs4(reinterpret_cast<const char32_t*>(&codePoint), 1);
        if (!out->contains(c))
            *out += c;
    }
    UCNV_FROM_U_CALLBACK_SUBSTITUTE(nullptr, args, units, length, codePoint, reason, status);
}

} // namespace

QByteArray toAnsi(const QString& text, QString& unmappable)
{
    UConverter* c = cp932();
    UConverterFromUCallback previous = nullptr;
    const void* previousContext = nullptr;
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setFromUCallBack(c, noteUnmappable, &unmappable, &previous, &previousContext, &status);
    const QByteArray out = toAnsi(text);
    ucnv_setFromUCallBack(c, previous, previousContext, nullptr, nullptr, &status);
    return out;
}

QByteArray toAnsi(const QString& text)
{
    if (text.isEmpty())
        return {};
    UConverter* c = cp932();
    QByteArray out(text.size() * ucnv_getMaxCharSize(c), Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_fromUChars(c, out.data(), out.size(),
                                      reinterpret_cast<const UChar*>(text.utf16()), text.size(), &status);
    out.truncate(U_SUCCESS(status) ? n : 0);
    return out;
}

QString characterCodes(const QString& chars)
{
    QStringList codes;
    for (const char32_t c : chars.toUcs4())
        codes << QStringLiteral("%1 (U+%2)").arg(QString::fromUcs4(&c, 1), QString::number(c, 16).toUpper().rightJustified(4, u'0'));
    return codes.join(QLatin1String(", "));
}

QString fromAnsi(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return {};
    UConverter* c = cp932();
    QString out(bytes.size(), Qt::Uninitialized);   // never more UTF-16 units than bytes
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_toUChars(c, reinterpret_cast<UChar*>(out.data()), out.size(),
                                    bytes.constData(), bytes.size(), &status);
    out.truncate(U_SUCCESS(status) || status == U_STRING_NOT_TERMINATED_WARNING ? n : 0);
    return out;
}

int ansiByteLength(const QString& text)
{
    return toAnsi(text).size();
}

QString decodeTextFile(const QByteArray& content)
{
    static const QByteArray bom("\xEF\xBB\xBF");
    if (content.startsWith(bom))
        return QString::fromUtf8(content.constData() + bom.size(), content.size() - bom.size());
    return fromAnsi(content);
}

QStringList readTextLines(const QString& path)
{
    static const QString source = QStringLiteral("readTextLines");
    QFile file(path);
    if (!file.exists())
        throw formsError(FileNotFound, source);
    if (!file.open(QIODevice::ReadOnly))
        throw formsError(PathFileAccess, source);
    const QString text = decodeTextFile(file.readAll());
    if (file.error() != QFileDevice::NoError)
        throw formsError(PathFileAccess, source);

    QStringList lines;
    qsizetype begin = 0;
    while (begin < text.size()) {
        qsizetype cr = text.indexOf(u'\r', begin);
        if (cr < 0) {
            lines.append(text.mid(begin));
            break;
        }
        lines.append(text.mid(begin, cr - begin));
        begin = cr + 1;
        if (begin < text.size() && text.at(begin) == u'\n')
            ++begin;
    }
    return lines;
}

} // namespace forms
