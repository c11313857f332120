#include "platform/docx/XmlTokenizer.h"

#include "platform/docx/LoadError.h"
#include "platform/docx/ZipReader.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace docx {

namespace {

// Byte classes the tag scanner tests, one table lookup each.
enum : uint8_t { kSpace = 1, kEndsName = 2, kEndsAttrName = 4, kValueSpecial = 8 };
constexpr std::array<uint8_t, 256> kClasses = [] {
    std::array<uint8_t, 256> t{};
    for (unsigned char c : {' ', '\t', '\n', '\r'})
        t[c] |= kSpace | kEndsName | kEndsAttrName;
    for (unsigned char c : {'/', '>'})
        t[c] |= kEndsName | kEndsAttrName;
    t['='] |= kEndsAttrName;
    for (unsigned char c : {'<', '&', '\t', '\n', '\r'})
        t[c] |= kValueSpecial;
    return t;
}();
bool is(char c, uint8_t cls) { return kClasses[static_cast<unsigned char>(c)] & cls; }
bool isSpace(char c) { return is(c, kSpace); }
bool endsName(char c) { return is(c, kEndsName); }

// Where the element or attribute name starting at s ends (at a space, '/', '>' or '='), before
// end; readable is how far bytes may be loaded. Sixteen bytes are tested at once: names are
// short, and a byte loop mispredicts its exit at every one.
const char* nameEnd(const char* s, const char* end, const char* readable)
{
#if defined(__SSE2__)
    if (s + 16 <= readable) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        const __m128i controlOrSpace = _mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(' ')), v);
        const __m128i stop = _mm_or_si128(
            _mm_or_si128(controlOrSpace, _mm_cmpeq_epi8(v, _mm_set1_epi8('='))),
            _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('/')), _mm_cmpeq_epi8(v, _mm_set1_epi8('>'))));
        if (const auto mask = static_cast<unsigned>(_mm_movemask_epi8(stop)))
            return std::min(s + std::countr_zero(mask), end);
        s += 16;
    }
#endif
    while (s < end && !is(*s, kEndsAttrName))
        ++s;
    return s;
}

// Past the white space at s, before end. Producers put one space between attributes: that case
// takes no loop.
template <typename Char>
Char* skipSpace(Char* s, const char* end)
{
    if (s < end && isSpace(*s))
        ++s;
    while (s < end && isSpace(*s))
        ++s;
    return s;
}

// Where byte stop first occurs from s, before end (end when it does not); sets special when a
// byte before it is one reading it expands (or refuses), as specials picks them sixteen at a time
// and isSpecial one at a time.
template <typename Specials, typename IsSpecial>
const char* findStop(const char* s, const char* end, char stop, bool& special, Specials specials, IsSpecial isSpecial)
{
#if defined(__SSE2__)
    for (; s + 16 <= end; s += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        const auto at = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(stop))));
        const auto sp = static_cast<unsigned>(_mm_movemask_epi8(specials(v)));
        if (at) {
            const int n = std::countr_zero(at);
            special = special || (sp & ((1u << n) - 1)) != 0;
            return s + n;
        }
        special = special || sp != 0;
    }
#else
    (void)specials;
#endif
    for (; s < end && *s != stop; ++s)
        special = special || isSpecial(*s);
    return s;
}

// Where the text starting at s ends (at '<'); special: it holds '&' or a carriage return.
const char* textEnd(const char* s, const char* end, bool& special)
{
    return findStop(
        s, end, '<', special,
        [](auto v) { return _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('&')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\r'))); },
        [](char c) { return c == '&' || c == '\r'; });
}

// Where the attribute value starting at s ends (at quote); special: it holds '<' or anything
// reading it expands.
char* valueEnd(char* s, const char* end, char quote, bool& special)
{
    const char* close = findStop(
        s, end, quote, special,
        [](auto v) {
            const auto control = _mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8('\r')), v);
            return _mm_or_si128(control, _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('&')),
                                                      _mm_cmpeq_epi8(v, _mm_set1_epi8('<'))));
        },
        [](char c) { return is(c, kValueSpecial); });
    return s + (close - s);
}

bool sameName(const char* a, const char* b, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

// Writes c as UTF-8 at out; returns the bytes written.
std::size_t writeUtf8(char* out, char32_t c)
{
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (c >> 12));
        out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (c >> 18));
    out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (c & 0x3F));
    return 4;
}

// The character a reference (the text after '&' up to ';') stands for; none when it is not one
// the reader expands, and the reference is then kept as written.
std::optional<char32_t> referenced(std::string_view ref)
{
    if (ref == "lt") return U'<';
    if (ref == "gt") return U'>';
    if (ref == "amp") return U'&';
    if (ref == "quot") return U'"';
    if (ref == "apos") return U'\'';
    if (ref.size() < 2 || ref[0] != '#')
        return std::nullopt;
    const bool hex = ref[1] == 'x';
    const std::string_view digits = ref.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    char32_t c = 0;
    for (char d : digits) {
        const int v = d >= '0' && d <= '9' ? d - '0'
                      : hex && d >= 'a' && d <= 'f' ? d - 'a' + 10
                      : hex && d >= 'A' && d <= 'F' ? d - 'A' + 10 : -1;
        if (v < 0)
            return std::nullopt;
        c = c * (hex ? 16 : 10) + static_cast<char32_t>(v);
    }
    const bool legal = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF)
                       || (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
    return legal ? std::optional<char32_t>(c) : std::nullopt;
}

// Rewrites the n bytes at s as XML reads them: line ends as "\n", references expanded (not in
// CDATA) and, in attribute values, white space as spaces. Nothing grows (a reference is longer
// than the UTF-8 it stands for), so it is done in place; returns the new length.
std::size_t expandInPlace(char* s, std::size_t n, bool references, bool attribute)
{
    std::size_t out = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const char c = s[i];
        if (c == '\r') {
            if (i + 1 < n && s[i + 1] == '\n')
                ++i;
            s[out++] = attribute ? ' ' : '\n';
        } else if (attribute && (c == '\t' || c == '\n')) {
            s[out++] = ' ';
        } else if (c == '&' && references) {
            const std::string_view rest(s + i + 1, n - i - 1);
            const std::size_t semi = rest.find(';');
            const auto ch = semi == std::string_view::npos ? std::nullopt : referenced(rest.substr(0, semi));
            if (!ch) {
                s[out++] = c;
                continue;
            }
            out += writeUtf8(s + out, *ch);
            i += semi + 1;
        } else {
            s[out++] = c;
        }
    }
    return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The encoding="..." of an XML declaration; empty when it names none.
std::string declaredEncoding(std::string_view declaration)
{
    const std::size_t at = declaration.find("encoding");
    if (at == std::string_view::npos)
        return {};
    std::size_t i = declaration.find_first_of("\"'", at);
    if (i == std::string_view::npos)
        return {};
    const std::size_t end = declaration.find(declaration[i], i + 1);
    return end == std::string_view::npos ? std::string() : std::string(declaration.substr(i + 1, end - i - 1));
}

} // namespace

XmlTokenizer::XmlTokenizer(std::string bytes, std::string part, const QString& path)
    : m_part(std::move(part)), m_path(path), m_own(std::move(bytes))
{
    m_data = m_own.data();
    m_size = m_own.size();
    m_whole = true;
    begin();
}

XmlTokenizer::XmlTokenizer(ZipEntry& entry, std::string part, const QString& path)
    : m_part(std::move(part)), m_path(path),
      m_inflated(new char[entry.size() + 1]),   // uninitialised: bytes are read only once inflated
      m_entry(&entry)
{
    m_data = m_inflated.get();
    begin();
}

void XmlTokenizer::fail(std::size_t at, const QString& what) const
{
    throw loadError(LoadFailure::BadXml, m_path,
                    QStringLiteral("%1, %2 バイト目: %3").arg(QString::fromStdString(m_part)).arg(at).arg(what));
}

void XmlTokenizer::more()
{
    const std::size_t n = m_entry->readInto(m_data + m_size, kChunkBytes);
    m_size += n;
    m_whole = n == 0;
}

bool XmlTokenizer::have(std::size_t i)
{
    while (!m_whole && m_size <= i)
        more();
    return i < m_size;
}

// Byte order mark and declared encoding: anything but UTF-8 is converted before reading.
void XmlTokenizer::begin()
{
    have(3);
    const auto byte = [this](std::size_t i) { return i < m_size ? static_cast<unsigned char>(m_data[i]) : 0u; };
    if (byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF)
        m_pos = 3;
    else if ((byte(0) == 0xFE && byte(1) == 0xFF) || (byte(0) == 0xFF && byte(1) == 0xFE))
        toUtf8("UTF-16");
    else if (byte(0) == 0 && byte(1) == '<')
        toUtf8("UTF-16BE");
    else if (byte(0) == '<' && byte(1) == 0)
        toUtf8("UTF-16LE");
    else if (have(4) && std::string_view(m_data, 5) == "<?xml") {
        const std::size_t end = find("?>", 0);
        const std::string encoding = end == std::string::npos ? std::string() : declaredEncoding({m_data, end});
        if (!encoding.empty() && !equalsIgnoringCase(encoding, "UTF-8") && !equalsIgnoringCase(encoding, "UTF8"))
            toUtf8(encoding.c_str());
    }
    m_limit = m_pos;
}

void XmlTokenizer::toUtf8(const char* from)
{
    while (!m_whole)
        more();
    const auto srcLength = static_cast<int32_t>(m_size);   // parts are bounded well below 2 GiB
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = ucnv_convert("UTF-8", from, nullptr, 0, m_data, srcLength, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status))
        fail(0, QStringLiteral("文字コード %1 には対応していません").arg(QString::fromUtf8(from)));
    std::string utf8(static_cast<std::size_t>(length), '\0');
    status = U_ZERO_ERROR;
    ucnv_convert("UTF-8", from, utf8.data(), length, m_data, srcLength, &status);
    if (U_FAILURE(status))
        fail(0, QStringLiteral("文字コード %1 には対応していません").arg(QString::fromUtf8(from)));
    m_own = std::move(utf8);
    m_converted = true;
    m_inflated.reset();
    m_data = m_own.data();
    m_size = m_own.size();
    m_pos = m_own.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
}

// Where what next occurs at or after from, inflating as needed; npos when it never does.
std::size_t XmlTokenizer::find(std::string_view what, std::size_t from)
{
    for (;;) {
        const std::size_t at = std::string_view(m_data, m_size).find(what, from);
        if (at != std::string_view::npos || m_whole)
            return at;
        from = std::max(from, m_size >= what.size() ? m_size - what.size() + 1 : 0);
        more();
    }
}

// Moves the limit past m_pos: to the last '<' of the bytes in, so that any markup starting before
// it is complete ('<' appears in no tag), or to the end once the part is whole.
bool XmlTokenizer::refill()
{
    for (;;) {
        if (m_whole) {
            m_limit = m_size;
            return m_pos < m_size;
        }
        // Only bytes not searched before: a long text or value arrives in many chunks, and
        // searching it whole after each one made reading it cost the square of its length.
        const std::size_t from = std::max(m_pos + 1, m_searched);
        if (m_size > from)
            if (const void* lt = memrchr(m_data + from, '<', m_size - from)) {
                m_limit = static_cast<std::size_t>(static_cast<const char*>(lt) - m_data);
                return true;
            }
        m_searched = m_size;
        more();
    }
}

void XmlTokenizer::fill(XmlEventBlock& block)
{
    block.events.clear();
    block.events.reserve(XmlEventBlock::kEvents + 64);
    block.data = m_data;
    m_out = &block.events;
    while (!m_ended && block.events.size() < XmlEventBlock::kEvents) {
        if (next())
            continue;
        if (!m_open.empty())
            fail(m_size, QStringLiteral("要素 <%1> が閉じないまま終わっています")
                             .arg(QString::fromUtf8(m_open.back().name, m_open.back().nameLen)));
        if (!m_rootSeen)
            fail(m_size, QStringLiteral("要素がありません"));
        block.events.emplace_back().ends = std::exchange(m_ends, 0);
        m_ended = true;
    }
    block.readable = m_pos;
    m_out = nullptr;
}

bool XmlTokenizer::next()
{
    if (m_pos >= m_limit && !refill())
        return false;
    const char* p = m_data + m_pos;
    if (*p != '<') {
        bool special = false;
        m_pos = static_cast<std::size_t>(textEnd(p, m_data + m_limit, special) - m_data);
        text(offset(p), m_pos, false, special);
        return true;
    }
    if (m_pos + 1 >= m_limit)
        fail(m_pos, QStringLiteral("タグが途中で終わっています"));
    switch (p[1]) {
    case '/': endTag(m_pos); break;
    case '?':
    case '!': special(m_pos); break;
    default: startTag(m_pos); break;
    }
    return true;
}

// Character data from at to end. White space alone counts only as an element's whole content
// (<w:t> </w:t>), not between elements.
void XmlTokenizer::text(std::size_t at, std::size_t end, bool cdata, bool special)
{
    char* s = m_data + at;
    std::size_t n = end - at;
    if (!cdata && isSpace(*s)) {
        const bool blank = std::all_of(s, s + n, isSpace);
        if (blank && !(m_afterStart && have(end + 1) && m_data[end] == '<' && m_data[end + 1] == '/'))
            return;
    }
    if (special)
        n = expandInPlace(s, n, !cdata, false);
    if (m_open.empty())
        return;   // outside the root: nothing reads it
    XmlEvent& e = m_out->emplace_back();
    e.kind = XmlEvent::Text;
    e.at = static_cast<uint32_t>(at);
    e.len = static_cast<uint32_t>(n);
    e.ends = std::exchange(m_ends, 0);
    m_afterStart = false;
}

void XmlTokenizer::special(std::size_t lt)
{
    const auto skipTo = [&](std::string_view terminator, std::size_t from, const QString& what) {
        const std::size_t end = find(terminator, from);
        if (end == std::string_view::npos)
            fail(lt, what);
        m_pos = end + terminator.size();
        return end;
    };
    const auto startsWith = [&](std::string_view s) {
        return have(lt + s.size() - 1) && std::string_view(m_data + lt, s.size()) == s;
    };
    if (m_data[lt + 1] == '?') {
        skipTo("?>", lt + 2, QStringLiteral("処理命令が閉じていません"));
        return;
    }
    if (startsWith("<!--")) {
        skipTo("-->", lt + 4, QStringLiteral("コメントが閉じていません"));
        return;
    }
    if (startsWith("<![CDATA[")) {
        const std::size_t end = skipTo("]]>", lt + 9, QStringLiteral("CDATA セクションが閉じていません"));
        text(lt + 9, end, true, std::memchr(m_data + lt + 9, '\r', end - lt - 9) != nullptr);
        return;
    }
    if (startsWith("<!DOCTYPE"))   // refused at its start: nothing of it is read
        throw loadError(LoadFailure::Dtd, m_path, QString::fromStdString("/" + m_part));
    fail(lt, QStringLiteral("'<!' の後が正しくありません"));
}

void XmlTokenizer::startTag(std::size_t lt)
{
    const char* end = m_data + m_limit;
    char* s = m_data + lt + 1;
    s += nameEnd(s, end, m_data + m_size) - s;
    if (s == m_data + lt + 1 || s >= end)
        fail(lt, QStringLiteral("開始タグが正しくありません"));
    const std::string_view name(m_data + lt + 1, static_cast<std::size_t>(s - m_data - lt - 1));
    // The element's event goes first; its attributes follow once read.
    const std::size_t first = m_out->size();
    m_out->emplace_back();
    bool empty = false, declares = false;
    for (;;) {
        s = skipSpace(s, end);
        if (s >= end)
            fail(lt, QStringLiteral("開始タグが閉じていません"));
        if (*s == '>') {
            ++s;
            break;
        }
        if (*s == '/') {
            if (s + 1 >= end || s[1] != '>')
                fail(offset(s), QStringLiteral("'/' の後に '>' がありません"));
            s += 2;
            empty = true;
            break;
        }
        char* attrName = s;
        s += nameEnd(s, end, m_data + m_size) - s;
        const char* attrNameEnd = s;
        s = skipSpace(s, end);
        if (attrNameEnd == attrName || s >= end || *s != '=')
            fail(offset(attrName), QStringLiteral("属性の書き方が正しくありません"));
        s = skipSpace(s + 1, end);
        if (s >= end || (*s != '"' && *s != '\''))
            fail(offset(attrName), QStringLiteral("属性の値が引用符で囲まれていません"));
        const char quote = *s++;
        bool special = false;
        char* close = valueEnd(s, end, quote, special);
        if (close >= end)
            fail(offset(attrName), QStringLiteral("属性の値が閉じていません"));
        if (special)
            if (const void* lt = std::memchr(s, '<', static_cast<std::size_t>(close - s)))
                fail(offset(static_cast<const char*>(lt)), QStringLiteral("属性の値に '<' があります"));
        // Attributes of the xml namespace (xml:space on nearly every w:t) are read by nothing:
        // they make no events.
        if (attrNameEnd - attrName > 4 && std::memcmp(attrName, "xml:", 4) == 0) {
            s = close + 1;
            continue;
        }
        // Written in place: an event built aside and copied in stalls on store forwarding.
        XmlEvent& a = m_out->emplace_back();
        a.kind = XmlEvent::Attr;
        a.at = offset(attrName);
        a.len = static_cast<uint32_t>(attrNameEnd - attrName);
        a.valueAt = offset(s);
        a.valueLen = static_cast<uint32_t>(special ? expandInPlace(s, close - s, true, true) : close - s);
        for (const char* c = attrName; c < attrNameEnd && c - attrName < 255; ++c)
            if (*c == ':') {
                a.localAt = static_cast<uint8_t>(c - attrName + 1);
                break;
            }
        declares = declares || *attrName == 'x';
        s = close + 1;
    }
    if (m_open.size() >= kMaxDepth)
        throw loadError(LoadFailure::TooDeep, m_path, QString::number(kMaxDepth));
    m_open.push_back({name.data(), static_cast<uint32_t>(name.size()), 0});
    const std::size_t attrs = m_out->size() - first - 1;
    for (std::size_t i = first + 1; declares && i < m_out->size(); ++i) {
        const XmlEvent& a = (*m_out)[i];
        const std::string_view attrName(m_data + a.at, a.len);
        if (attrName == "xmlns" || attrName.substr(0, 6) == "xmlns:")
            declare(attrName.substr(std::min<std::size_t>(6, attrName.size())), {m_data + a.valueAt, a.valueLen});
    }
    XmlEvent& e = (*m_out)[first];
    e.kind = empty ? XmlEvent::Empty : XmlEvent::Start;
    e.ends = std::exchange(m_ends, 0);
    e.at = static_cast<uint32_t>(lt + 1);
    e.len = static_cast<uint32_t>(name.size());
    e.valueLen = static_cast<uint32_t>(attrs);
    if (m_open.size() == 1)
        for (const Binding& b : m_bindings)
            m_rootBindings.push_back({b.prefix, b.ns});
    // The reader classifies names by the root's bindings; one bound here otherwise is classified
    // with the bindings in force.
    if (name.size() > XmlNameCache::kLongest || (m_changedBindings > 0 && rebound(name))) {
        const XmlNameCache::Class c = XmlNameCache::classifyUncached(name, [this](std::string_view p) { return nsOfPrefix(p); });
        e.tok = c.tok;
        e.ns = c.ns;
        e.localAt = c.localAt;
        e.classified = true;
    } else {
        e.valueAt = XmlNameCache::slotOf(name, m_data + m_size);
    }
    for (std::size_t i = first + 1; i < m_out->size(); ++i) {
        XmlEvent& a = (*m_out)[i];
        a.ns = attrNs({m_data + a.at, a.localAt ? a.localAt - 1u : 0u});
        if (a.localAt == 0 && std::string_view(m_data + a.at, a.len) == "Requires")
            e.requiresUnknown = !understood({m_data + a.valueAt, a.valueLen});
    }
    m_pos = static_cast<std::size_t>(s - m_data);
    m_rootSeen = true;
    m_afterStart = !empty;
    if (empty)
        close();
}

void XmlTokenizer::endTag(std::size_t lt)
{
    const char* end = m_data + m_limit;
    const char* name = m_data + lt + 2;
    // The name must be the open element's: compare it in place before scanning anything.
    const char* s = name;
    if (!m_open.empty() && name + m_open.back().nameLen < end && sameName(name, m_open.back().name, m_open.back().nameLen))
        s += m_open.back().nameLen;
    if (s == name || !(*s == '>' || isSpace(*s))) {
        while (s < end && !endsName(*s))
            ++s;
        const QString closing = QString::fromUtf8(name, s - name);
        if (m_open.empty())
            fail(lt, QStringLiteral("終了タグ </%1> に対応する開始タグがありません").arg(closing));
        fail(lt, QStringLiteral("終了タグ </%1> が開始タグ <%2> と合いません")
                     .arg(closing, QString::fromUtf8(m_open.back().name, m_open.back().nameLen)));
    }
    while (s < end && isSpace(*s))
        ++s;
    if (s >= end || *s != '>')
        fail(lt, QStringLiteral("終了タグが閉じていません"));
    m_pos = static_cast<std::size_t>(s + 1 - m_data);
    close();
    ++m_ends;
    m_afterStart = false;
}

void XmlTokenizer::close()
{
    for (uint32_t i = 0; i < m_open.back().bindings; ++i) {
        if (m_bindings.back().changes)
            --m_changedBindings;
        m_bindings.pop_back();
    }
    m_open.pop_back();
}

void XmlTokenizer::declare(std::string_view prefix, std::string_view uri)
{
    const Ns ns = nsOfUri(uri);
    const bool atRoot = m_open.size() == 1;
    const bool changes = !atRoot && nsOfPrefix(prefix) != ns;
    if (atRoot && ns == Ns::W && !m_wPrefix)
        m_wPrefix = std::string(prefix);
    m_bindings.push_back({std::string(prefix), ns, changes});
    ++m_open.back().bindings;
    m_changedBindings += changes;
}

Ns XmlTokenizer::nsOfPrefix(std::string_view prefix) const
{
    for (std::size_t i = m_bindings.size(); i-- > 0;)
        if (m_bindings[i].prefix == prefix)
            return m_bindings[i].ns;
    return Ns::Other;
}

Ns XmlTokenizer::attrNs(std::string_view prefix) const
{
    if (m_changedBindings == 0 && m_wPrefix && prefix == *m_wPrefix)
        return Ns::W;
    const Ns ns = nsOfPrefix(prefix);
    // A part that never declares the namespaces still means them by their usual prefixes; one
    // that binds them to something else means that.
    const auto bound = [&] {
        return std::any_of(m_bindings.begin(), m_bindings.end(), [&](const Binding& b) { return b.prefix == prefix; });
    };
    if (ns == Ns::Other && (prefix == "w" || prefix == "r") && !bound())
        return prefix == "w" ? Ns::W : Ns::R;
    return ns;
}

// Whether name's prefix is bound below the root otherwise than at the root, where names are
// classified once for the whole part.
bool XmlTokenizer::rebound(std::string_view name) const
{
    const std::size_t colon = name.find(':');
    const std::string_view prefix = colon == std::string_view::npos ? std::string_view() : name.substr(0, colon);
    for (const Binding& b : m_bindings)
        if (b.changes && b.prefix == prefix)
            return true;
    return false;
}

bool XmlTokenizer::understood(std::string_view list) const
{
    std::size_t i = 0;
    while (i < list.size()) {
        const std::size_t end = std::min(list.find(' ', i), list.size());
        if (end > i && nsOfPrefix(list.substr(i, end - i)) == Ns::Other)
            return false;
        i = end + 1;
    }
    return true;
}

} // namespace docx
