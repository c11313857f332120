#include "platform/docx/StoryWriter.h"

#include <unicode/ustring.h>

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace docx {

StoryWriter::StoryWriter(Story& story) : m_story(story) {}

void StoryWriter::grow(qsizetype extra)
{
    const qsizetype need = buffer().size() + extra;
    if (need > buffer().capacity())
        buffer().reserve(std::max(need, buffer().capacity() * 2));
}

void StoryWriter::use(const CharFormat& f)
{
    if (m_story.runs.empty() || m_story.runs.back().format != f)
        m_story.runs.push_back({pos(), f});
}

void StoryWriter::put(char16_t c, const CharFormat& f)
{
    use(f);
    grow(1);
    buffer().append(QChar(c));
}

namespace {

bool continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Decodes well-formed UTF-8 from in (n bytes) into out, stopping at the first byte that does not
// start a well-formed sequence; returns the bytes read and sets units to the units written. Story
// text is mostly ASCII and three-byte Japanese, which this handles several times faster than a
// general decoder; what it stops at goes to ICU, whose substitution rules then apply.
std::size_t decodeWellFormed(const unsigned char* in, std::size_t n, char16_t* out, std::size_t& units)
{
    std::size_t i = 0, o = 0;
    while (i < n) {
        const unsigned char c = in[i];
        if (c < 0x80) {
#if defined(__SSE2__)
            // Sixteen ASCII bytes widened at once.
            for (__m128i v; i + 16 <= n && (v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i)),
                                            _mm_movemask_epi8(v) == 0);
                 i += 16, o += 16) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + o), _mm_unpacklo_epi8(v, _mm_setzero_si128()));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + o + 8), _mm_unpackhi_epi8(v, _mm_setzero_si128()));
            }
#endif
            uint64_t block;
            while (i + 8 <= n && (std::memcpy(&block, in + i, 8), (block & 0x8080808080808080ull) == 0)) {
                for (int k = 0; k < 8; ++k)
                    out[o + k] = in[i + k];
                i += 8;
                o += 8;
            }
            if (i < n && in[i] < 0x80)
                out[o++] = in[i++];
        } else if ((c & 0xF0) == 0xE0 && i + 4 <= n) {
            // Three-byte characters come in runs (Japanese text): one word load and one test each.
            uint32_t w;
            while (i + 4 <= n && (std::memcpy(&w, in + i, 4), (w & 0x00C0C0F0u) == 0x008080E0u)) {
                const uint32_t cp = ((w & 0x0F) << 12) | ((w >> 2) & 0x0FC0) | ((w >> 16) & 0x3F);
                if (cp < 0x800 || (cp & 0xF800) == 0xD800)
                    break;
                out[o++] = static_cast<char16_t>(cp);
                i += 3;
            }
            if (i + 4 <= n && (in[i] & 0xF0) == 0xE0)
                break;   // malformed, overlong or a surrogate: the general decoder takes it from here
            continue;
        } else if (c >= 0xE0 && c < 0xF0 && i + 2 < n && continuation(in[i + 1]) && continuation(in[i + 2])) {
            const char32_t cp = (char32_t(c & 0x0F) << 12) | (char32_t(in[i + 1] & 0x3F) << 6) | (in[i + 2] & 0x3F);
            if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))
                break;
            out[o++] = static_cast<char16_t>(cp);
            i += 3;
        } else if (c >= 0xC2 && c < 0xE0 && i + 1 < n && continuation(in[i + 1])) {
            out[o++] = static_cast<char16_t>((char32_t(c & 0x1F) << 6) | (in[i + 1] & 0x3F));
            i += 2;
        } else if (c >= 0xF0 && c < 0xF5 && i + 3 < n && continuation(in[i + 1]) && continuation(in[i + 2])
                   && continuation(in[i + 3])) {
            const char32_t cp = (char32_t(c & 0x07) << 18) | (char32_t(in[i + 1] & 0x3F) << 12)
                                | (char32_t(in[i + 2] & 0x3F) << 6) | (in[i + 3] & 0x3F);
            if (cp < 0x10000 || cp > 0x10FFFF)
                break;
            out[o++] = static_cast<char16_t>(0xD7C0 + (cp >> 10));
            out[o++] = static_cast<char16_t>(0xDC00 | (cp & 0x3FF));
            i += 4;
        } else {
            break;
        }
    }
    units = o;
    return i;
}

} // namespace

void StoryWriter::putUtf8(std::string_view utf8, const CharFormat& f)
{
    if (utf8.empty())
        return;
    use(f);
    // UTF-16 never needs more units than UTF-8 has bytes: decode straight into the story.
    const qsizetype old = buffer().size();
    grow(static_cast<qsizetype>(utf8.size()));
    buffer().resize(old + static_cast<qsizetype>(utf8.size()));
    auto* out = reinterpret_cast<char16_t*>(buffer().data() + old);
    std::size_t units = 0;
    const std::size_t read = decodeWellFormed(reinterpret_cast<const unsigned char*>(utf8.data()), utf8.size(), out, units);
    if (read < utf8.size()) {
        const auto rest = static_cast<int32_t>(utf8.size() - read);   // parts are bounded well below 2 GiB
        int32_t more = 0;
        UErrorCode status = U_ZERO_ERROR;
        u_strFromUTF8WithSub(reinterpret_cast<UChar*>(out + units), rest, &more, utf8.data() + read, rest, 0xFFFD,
                             nullptr, &status);
        units += U_SUCCESS(status) ? static_cast<std::size_t>(more) : 0;
    }
    buffer().resize(old + static_cast<qsizetype>(units));
}

void StoryWriter::putText(QStringView text, const CharFormat& f)
{
    if (text.isEmpty())
        return;
    use(f);
    grow(text.size());
    buffer().append(text);
}

void StoryWriter::append(const Story& other)
{
    const int32_t at = pos();
    for (std::size_t i = 0; i < other.runs.size(); ++i) {
        const int32_t end = i + 1 < other.runs.size() ? other.runs[i + 1].start : other.length();
        putText(QStringView(other.text).mid(other.runs[i].start, end - other.runs[i].start), other.runs[i].format);
    }
    for (const int32_t p : other.symbols)
        m_story.symbols.push_back(at + p);
    for (const int32_t p : other.rowEnds)
        m_story.rowEnds.push_back(at + p);
}

} // namespace docx
