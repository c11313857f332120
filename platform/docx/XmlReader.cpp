#include "platform/docx/XmlReader.h"

#include "platform/docx/LoadError.h"
#include "platform/docx/PartStream.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cstring>

namespace docx {

namespace {

static_assert(std::endian::native == std::endian::little, "names are packed little-endian");

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

// Masks keeping the first n bytes of a name packed into four little-endian words.
constexpr std::array<std::array<uint64_t, 4>, 33> kNameMasks = [] {
    std::array<std::array<uint64_t, 4>, 33> m{};
    for (std::size_t n = 0; n <= 32; ++n)
        for (std::size_t w = 0; w < 4; ++w) {
            const std::size_t bytes = n > 8 * w ? std::min<std::size_t>(n - 8 * w, 8) : 0;
            m[n][w] = bytes == 8 ? ~0ull : (1ull << (8 * bytes)) - 1;
        }
    return m;
}();

bool sameName(const char* a, const char* b, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
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

// Appends raw to out as XML reads it: line ends as "\n", references expanded (not in CDATA) and,
// in attribute values, white space as spaces.
void appendExpanded(std::string& out, std::string_view raw, bool references, bool attribute)
{
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '\r') {
            if (i + 1 < raw.size() && raw[i + 1] == '\n')
                ++i;
            out += attribute ? ' ' : '\n';
        } else if (attribute && (c == '\t' || c == '\n')) {
            out += ' ';
        } else if (c == '&' && references) {
            const std::size_t semi = raw.find(';', i + 1);
            const auto ch = semi == std::string_view::npos ? std::nullopt : referenced(raw.substr(i + 1, semi - i - 1));
            if (!ch) {
                out += c;
                continue;
            }
            appendUtf8(out, *ch);
            i = semi;
        } else {
            out += c;
        }
    }
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

XmlReader::XmlReader(std::string bytes, std::string part, const QString& path)
    : m_part(std::move(part)), m_path(path), m_own(std::move(bytes))
{
    m_data = m_own.data();
    m_size = m_own.size();
    m_whole = true;
    begin();
}

XmlReader::XmlReader(PartStream& stream, std::string part, const QString& path)
    : m_part(std::move(part)), m_path(path), m_stream(&stream)
{
    m_data = stream.data();
    begin();
}

void XmlReader::fail(std::size_t at, const QString& what) const
{
    throw loadError(LoadFailure::BadXml, m_path,
                    QStringLiteral("%1, %2 バイト目: %3").arg(QString::fromStdString(m_part)).arg(at).arg(what));
}

bool XmlReader::have(std::size_t i)
{
    while (!m_whole && m_size <= i)
        m_size = m_stream->waitBeyond(m_size, m_whole);
    return i < m_size;
}

// Byte order mark and declared encoding: anything but UTF-8 is converted before reading.
void XmlReader::begin()
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

void XmlReader::toUtf8(const char* from)
{
    while (!m_whole)
        m_size = m_stream->waitBeyond(m_size, m_whole);
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
    m_stream = nullptr;
    m_data = m_own.data();
    m_size = m_own.size();
    m_pos = m_own.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
}

// Where what next occurs at or after from, waiting for bytes as needed; npos when it never does.
std::size_t XmlReader::find(std::string_view what, std::size_t from)
{
    for (;;) {
        const std::size_t at = std::string_view(m_data, m_size).find(what, from);
        if (at != std::string_view::npos || m_whole)
            return at;
        from = std::max(from, m_size >= what.size() ? m_size - what.size() + 1 : 0);
        m_size = m_stream->waitBeyond(m_size, m_whole);
    }
}

// Moves the limit past m_pos: to the last '<' of the bytes in, so that any markup starting before
// it is complete ('<' appears in no tag), or to the end once the part is whole.
bool XmlReader::refill()
{
    for (;;) {
        if (m_whole) {
            m_limit = m_size;
            return m_pos < m_size;
        }
        if (m_size > m_pos + 1)
            if (const void* lt = memrchr(m_data + m_pos + 1, '<', m_size - m_pos - 1)) {
                m_limit = static_cast<std::size_t>(static_cast<const char*>(lt) - m_data);
                return true;
            }
        m_size = m_stream->waitBeyond(m_size, m_whole);
    }
}

XmlReader::Event XmlReader::step()
{
    if (m_closePending) {
        m_closePending = false;
        close();
        return Event::End;
    }
    for (;;) {
        if (m_pos >= m_limit && !refill())
            return Event::Eof;
        const char* p = m_data + m_pos;
        if (*p != '<') {
            const char* end = m_data + m_limit;
            const auto* lt = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p)));
            if (!lt)
                lt = end;
            m_text = {p, static_cast<std::size_t>(lt - p)};
            m_textIsCdata = false;
            m_pos = static_cast<std::size_t>(lt - m_data);
            return Event::Text;
        }
        if (m_pos + 1 >= m_limit)
            fail(m_pos, QStringLiteral("タグが途中で終わっています"));
        Event e;
        switch (p[1]) {
        case '/': e = endTag(m_pos); break;
        case '?':
        case '!': e = special(m_pos); break;
        default: e = startTag(m_pos); break;
        }
        if (e != Event::Nothing)
            return e;
    }
}

XmlReader::Event XmlReader::special(std::size_t lt)
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
        return Event::Nothing;
    }
    if (startsWith("<!--")) {
        skipTo("-->", lt + 4, QStringLiteral("コメントが閉じていません"));
        return Event::Nothing;
    }
    if (startsWith("<![CDATA[")) {
        const std::size_t end = skipTo("]]>", lt + 9, QStringLiteral("CDATA セクションが閉じていません"));
        m_text = {m_data + lt + 9, end - lt - 9};
        m_textIsCdata = true;
        return Event::Text;
    }
    if (startsWith("<!DOCTYPE")) {
        // Skipped unread, internal subset and all: its declarations never apply.
        int brackets = 0;
        char quote = 0;
        for (std::size_t i = lt + 9; have(i); ++i) {
            const char c = m_data[i];
            if (quote)
                quote = c == quote ? 0 : quote;
            else if (c == '"' || c == '\'')
                quote = c;
            else if (c == '[')
                ++brackets;
            else if (c == ']')
                --brackets;
            else if (c == '>' && brackets <= 0) {
                m_pos = i + 1;
                return Event::Nothing;
            }
        }
        fail(lt, QStringLiteral("DOCTYPE 宣言が閉じていません"));
    }
    fail(lt, QStringLiteral("'<!' の後が正しくありません"));
}

XmlReader::Event XmlReader::startTag(std::size_t lt)
{
    const char* end = m_data + m_limit;
    const char* s = m_data + lt + 1;
    while (s < end && !endsName(*s))
        ++s;
    if (s == m_data + lt + 1 || s >= end)
        fail(lt, QStringLiteral("開始タグが正しくありません"));
    m_name = {m_data + lt + 1, static_cast<std::size_t>(s - m_data - lt - 1)};
    m_attrs.clear();
    m_values.clear();
    bool empty = false;
    for (;;) {
        while (s < end && isSpace(*s))
            ++s;
        if (s >= end)
            fail(lt, QStringLiteral("開始タグが閉じていません"));
        if (*s == '>') {
            ++s;
            break;
        }
        if (*s == '/') {
            if (s + 1 >= end || s[1] != '>')
                fail(static_cast<std::size_t>(s - m_data), QStringLiteral("'/' の後に '>' がありません"));
            s += 2;
            empty = true;
            break;
        }
        const char* name = s;
        while (s < end && !is(*s, kEndsAttrName))
            ++s;
        const char* nameEnd = s;
        while (s < end && isSpace(*s))
            ++s;
        if (nameEnd == name || s >= end || *s != '=')
            fail(static_cast<std::size_t>(name - m_data), QStringLiteral("属性の書き方が正しくありません"));
        ++s;
        while (s < end && isSpace(*s))
            ++s;
        if (s >= end || (*s != '"' && *s != '\''))
            fail(static_cast<std::size_t>(name - m_data), QStringLiteral("属性の値が引用符で囲まれていません"));
        const char quote = *s++;
        // Values are short: one pass finds the closing quote and anything to expand.
        const char* close = s;
        bool plain = true;
        for (; close < end && *close != quote; ++close)
            if (is(*close, kValueSpecial)) {
                if (*close == '<')
                    fail(static_cast<std::size_t>(close - m_data), QStringLiteral("属性の値に '<' があります"));
                plain = false;
            }
        if (close >= end)
            fail(static_cast<std::size_t>(name - m_data), QStringLiteral("属性の値が閉じていません"));
        Attr a{name, static_cast<uint32_t>(nameEnd - name), 0, s, 0, static_cast<uint32_t>(close - s)};
        if (const void* colon = std::memchr(name, ':', a.nameLen))
            a.prefixLen = static_cast<uint32_t>(static_cast<const char*>(colon) - name);
        if (!plain) {
            a.valueAt = static_cast<uint32_t>(m_values.size());
            appendExpanded(m_values, {s, a.valueLen}, true, true);
            a.valueLen = static_cast<uint32_t>(m_values.size() - a.valueAt);
            a.value = nullptr;
        }
        m_attrs.push_back(a);
        s = close + 1;
    }
    if (m_open.size() >= kMaxDepth)
        throw loadError(LoadFailure::TooDeep, m_path, QString::number(kMaxDepth));
    m_open.push_back({m_name.data(), static_cast<uint32_t>(m_name.size()), 0});
    for (const Attr& a : m_attrs)
        if (a.nameLen >= 5 && std::memcmp(a.name, "xmlns", 5) == 0 && (a.nameLen == 5 || a.prefixLen == 5))
            declare(a);
    classify();
    m_pos = static_cast<std::size_t>(s - m_data);
    m_closePending = empty;
    m_rootSeen = true;
    return Event::Start;
}

XmlReader::Event XmlReader::endTag(std::size_t lt)
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
    return Event::End;
}

void XmlReader::close()
{
    for (uint32_t i = 0; i < m_open.back().bindings; ++i) {
        if (m_bindings.back().changes)
            --m_changedBindings;
        m_bindings.pop_back();
    }
    m_open.pop_back();
}

void XmlReader::declare(const Attr& a)
{
    std::string prefix = a.nameLen == 5 ? std::string() : std::string(a.name + 6, a.nameLen - 6);
    const Ns ns = nsOfUri(value(a));
    const bool atRoot = m_open.size() == 1;
    const bool changes = !atRoot && nsOfPrefix(prefix) != ns;
    if (atRoot && ns == Ns::W && !m_wPrefix)
        m_wPrefix = prefix;
    m_bindings.push_back({std::move(prefix), ns, changes});
    ++m_open.back().bindings;
    m_changedBindings += changes;
}

Ns XmlReader::nsOfPrefix(std::string_view prefix) const
{
    for (std::size_t i = m_bindings.size(); i-- > 0;)
        if (m_bindings[i].prefix == prefix)
            return m_bindings[i].ns;
    return Ns::Other;
}

// Whether name's prefix is bound below the root otherwise than at the root, where names are
// classified once for the whole part.
bool XmlReader::rebound(std::string_view name) const
{
    const std::size_t colon = name.find(':');
    const std::string_view prefix = colon == std::string_view::npos ? std::string_view() : name.substr(0, colon);
    for (const Binding& b : m_bindings)
        if (b.changes && b.prefix == prefix)
            return true;
    return false;
}

void XmlReader::classify()
{
    const std::size_t len = m_name.size();
    if (len > sizeof(NameSlot::name) || (m_changedBindings > 0 && rebound(m_name))) {
        classifyUncached(m_name);
        return;
    }
    uint64_t key[4] = {0, 0, 0, 0};
    if (m_name.data() + sizeof(key) <= m_data + m_size)
        std::memcpy(key, m_name.data(), sizeof(key));
    else
        std::memcpy(key, m_name.data(), len);
    for (std::size_t i = 0; i < 4; ++i)
        key[i] &= kNameMasks[len][i];
    // Names differ early or in length: the first word and the length spread them well enough.
    const uint64_t h = (key[0] ^ len) * 0x9E3779B97F4A7C15ull;
    for (std::size_t probe = 0; probe < kNameProbes; ++probe) {
        NameSlot& slot = m_names[((h >> 55) + probe) % kNameSlots];
        if (((slot.name[0] ^ key[0]) | (slot.name[1] ^ key[1]) | (slot.name[2] ^ key[2]) | (slot.name[3] ^ key[3])) == 0) {
            m_tok = slot.tok;
            m_ns = slot.ns;
            m_local = m_name.substr(slot.prefixLen);
            return;
        }
        if ((slot.name[0] | slot.name[1] | slot.name[2] | slot.name[3]) == 0) {
            classifyUncached(m_name);
            std::memcpy(slot.name, key, sizeof(key));
            slot.tok = m_tok;
            slot.ns = m_ns;
            slot.prefixLen = static_cast<uint8_t>(len - m_local.size());
            return;
        }
    }
    classifyUncached(m_name);
}

void XmlReader::classifyUncached(std::string_view name)
{
    const std::size_t colon = name.find(':');
    const std::string_view prefix = colon == std::string_view::npos ? std::string_view() : name.substr(0, colon);
    m_local = colon == std::string_view::npos ? name : name.substr(colon + 1);
    m_ns = nsOfPrefix(prefix);
    m_tok = tokOf(m_ns, m_local);
}

bool XmlReader::child(int d)
{
    if (depth() < d)
        return false;
    for (;;) {
        switch (step()) {
        case Event::Start:
            if (depth() == d + 1)
                return true;
            break;
        case Event::End:
            if (depth() < d)
                return false;
            break;
        case Event::Eof:
            if (!m_open.empty())
                fail(m_size, QStringLiteral("要素 <%1> が閉じないまま終わっています")
                                 .arg(QString::fromUtf8(m_open.back().name, m_open.back().nameLen)));
            if (!m_rootSeen)
                fail(m_size, QStringLiteral("要素がありません"));
            return false;
        default: break;
        }
    }
}

bool XmlReader::nextText(int d, std::string_view& piece)
{
    if (depth() < d)
        return false;
    for (;;) {
        switch (step()) {
        case Event::Text:
            if (depth() != d)
                break;
            if (std::memchr(m_text.data(), '\r', m_text.size())
                || (!m_textIsCdata && std::memchr(m_text.data(), '&', m_text.size()))) {
                m_expanded.clear();
                appendExpanded(m_expanded, m_text, !m_textIsCdata, false);
                piece = m_expanded;
            } else {
                piece = m_text;
            }
            return true;
        case Event::End:
            if (depth() < d)
                return false;
            break;
        case Event::Eof:
            fail(m_size, QStringLiteral("要素 <%1> が閉じないまま終わっています")
                             .arg(QString::fromUtf8(m_open.back().name, m_open.back().nameLen)));
        default: break;
        }
    }
}

std::string_view XmlReader::value(const Attr& a) const
{
    return a.value ? std::string_view(a.value, a.valueLen) : std::string_view(m_values.data() + a.valueAt, a.valueLen);
}

Ns XmlReader::attrNs(std::string_view prefix) const
{
    if (m_changedBindings == 0 && m_wPrefix && prefix == *m_wPrefix)
        return Ns::W;
    const Ns ns = nsOfPrefix(prefix);
    // A part that never declares the namespaces still means them by their usual prefixes.
    if (ns == Ns::Other && prefix == "w")
        return Ns::W;
    if (ns == Ns::Other && prefix == "r")
        return Ns::R;
    return ns;
}

std::optional<std::string_view> XmlReader::attr(Ns ns, std::string_view local) const
{
    for (const Attr& a : m_attrs) {
        const std::size_t at = a.prefixLen ? a.prefixLen + 1 : 0;
        if (a.nameLen - at == local.size() && std::memcmp(a.name + at, local.data(), local.size()) == 0
            && attrNs({a.name, a.prefixLen}) == ns)
            return value(a);
    }
    return std::nullopt;
}

std::optional<std::string_view> XmlReader::attr(std::string_view name) const
{
    for (const Attr& a : m_attrs)
        if (a.prefixLen == 0 && a.nameLen == name.size() && std::memcmp(a.name, name.data(), name.size()) == 0)
            return value(a);
    return std::nullopt;
}

bool XmlReader::understood(std::optional<std::string_view> requires_) const
{
    const std::string_view list = requires_.value_or(std::string_view());
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
