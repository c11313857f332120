// codepage: code page 932 conversions. Bytes decode to text that encodes back to bytes decoding
// to the same text (a byte sequence the code page lacks comes back as "?"); text encodes to as
// many bytes as ansiByteLength says, one character of the code page for each of its own.
#include "fuzz/Targets.h"

#include "platform/forms/AnsiCodePage.h"

namespace fuzz {

void codepage(const uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = forms::fromAnsi(bytes);
    check(text.isEmpty() == bytes.isEmpty(), "codepage: bytes decoded to nothing");
    const QByteArray back = forms::toAnsi(text);
    check(back.isEmpty() == text.isEmpty(), "codepage: text encoded to nothing");
    check(forms::ansiByteLength(text) == back.size(), "codepage: ansiByteLength disagrees with toAnsi");
    QString expected = text;
    expected.replace(QChar(0xFFFD), u'?');
    check(forms::fromAnsi(back) == expected, "codepage: the round trip changed the text");
    // The same bytes as UTF-16 text, which may hold anything: each character becomes one
    // character of the code page or one "?", never more or fewer.
    const QString any = QString::fromUtf16(reinterpret_cast<const char16_t*>(data), static_cast<qsizetype>(size / 2));
    check(forms::fromAnsi(forms::toAnsi(any)).toUcs4().size() == any.toUcs4().size(), "codepage: characters lost or added");
}

} // namespace fuzz
