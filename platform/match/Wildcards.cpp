#include "platform/match/Wildcards.h"

#include "platform/match/Errors.h"
#include "platform/match/SpecialCodes.h"

#include <vector>

namespace match {

namespace {

constexpr int kMaxGroups = 9;
constexpr int kMaxCount = 65535;
const QString kWordChar = QStringLiteral("[\\p{L}\\p{M}\\p{Nd}_]");

struct Atom {
    QString re;
    bool quantifiable = true;
    QString first;          // an ICU set of the characters it can begin with, empty when unknown
    bool zeroWidth = false; // < and >
    QString notAfter;       // for <: the characters that cannot stand before it
};

// A one-character atom and the set of that character.
Atom charAtom(const QString& re) { return {re, true, u'[' + re + u']', false, {}}; }

class Translator {
public:
    explicit Translator(const QString& p) : m_p(p) {}

    TranslatedPattern run()
    {
        m_levels.emplace_back();
        while (m_i < m_p.size())
            step();
        if (m_levels.size() != 1)
            throw invalidPattern(); // an unclosed group
        TranslatedPattern t{join(m_levels.back()), {}};
        for (const Atom& a : m_levels.back()) {
            if (!a.zeroWidth) {
                t.start.first = a.first;
                break;
            }
            if (!a.notAfter.isEmpty())
                t.start.notAfter = a.notAfter;
        }
        return t;
    }

private:
    char32_t codePointAt(qsizetype& i) const
    {
        const QChar c = m_p[i];
        if (c.isHighSurrogate() && i + 1 < m_p.size() && m_p[i + 1].isLowSurrogate()) {
            const char32_t cp = QChar::surrogateToUcs4(c, m_p[i + 1]);
            i += 2;
            return cp;
        }
        ++i;
        return c.unicode();
    }

    std::vector<Atom>& atoms() { return m_levels.back(); }

    void step()
    {
        const char16_t c = m_p[m_i].unicode();
        switch (c) {
        case u'?': ++m_i; atoms().push_back({QStringLiteral("(?s:.)"), true, {}, false, {}}); return;
        case u'*': ++m_i; atoms().push_back({QStringLiteral("(?s:.)*?"), false, {}, false, {}}); return;
        case u'<': ++m_i; atoms().push_back({"(?<!" + kWordChar + ")(?=" + kWordChar + ")", false, {}, true, kWordChar}); return;
        case u'>': ++m_i; atoms().push_back({"(?<=" + kWordChar + ")(?!" + kWordChar + ")", false, {}, true, {}}); return;
        case u'@': ++m_i; quantify(QStringLiteral("+"), false); return;
        case u'{': {
            ++m_i;
            bool mayBeEmpty = false;
            const QString q = readCount(mayBeEmpty);
            quantify(q, mayBeEmpty);
            return;
        }
        case u'[': {
            ++m_i;
            const QString set = readSet();
            atoms().push_back({set, true, set, false, {}});
            return;
        }
        case u'(': openGroup(); return;
        case u')': closeGroup(); return;
        case u']':
        case u'}': throw invalidPattern();
        case u'\\': escape(); return;
        case u'^': {
            const SpecialCode code = readSpecialCode(m_p, m_i, true);
            atoms().push_back(code.kind == SpecialCode::Kind::Char ? charAtom(regexLiteral(code.ch))
                                                                   : Atom{classRegex(code.kind), true, {}, false, {}});
            return;
        }
        default:
            atoms().push_back(charAtom(regexLiteral(codePointAt(m_i))));
        }
    }

    void quantify(const QString& q, bool mayBeEmpty)
    {
        if (atoms().empty() || !atoms().back().quantifiable)
            throw invalidPattern();
        Atom& a = atoms().back();
        a.re = "(?:" + a.re + ")" + q;
        a.quantifiable = false;
        if (mayBeEmpty)
            a.first.clear();
    }

    QString readCount(bool& mayBeEmpty)
    {
        const int n = readNumber();
        if (n < 0)
            throw invalidPattern();
        mayBeEmpty = n == 0;
        QString q = QStringLiteral("{%1").arg(n);
        if (m_i < m_p.size() && m_p[m_i] == u',') {
            ++m_i;
            const int m = readNumber();
            if (m >= 0 && m < n)
                throw invalidPattern();
            q += m >= 0 ? QStringLiteral(",%1").arg(m) : QStringLiteral(",");
        }
        if (m_i >= m_p.size() || m_p[m_i] != u'}')
            throw invalidPattern();
        ++m_i;
        return q + u'}';
    }

    int readNumber()
    {
        int value = -1;
        while (m_i < m_p.size() && m_p[m_i] >= u'0' && m_p[m_i] <= u'9') {
            value = (value < 0 ? 0 : value) * 10 + (m_p[m_i].unicode() - u'0');
            if (value > kMaxCount)
                throw invalidPattern();
            ++m_i;
        }
        return value;
    }

    // One member of a bracket set: a character, an escaped character or a ^ code.
    QString setMember(char32_t& ch)
    {
        if (m_p[m_i] == u'\\') {
            ++m_i;
            if (m_i >= m_p.size())
                throw invalidPattern();
        } else if (m_p[m_i] == u'^') {
            const SpecialCode code = readSpecialCode(m_p, m_i, true);
            if (code.kind == SpecialCode::Kind::Graphic) {
                ch = 0;
                return QStringLiteral("\\x{01}\\x{08}");
            }
            ch = code.ch;
            return regexLiteral(ch);
        }
        ch = codePointAt(m_i);
        return regexLiteral(ch);
    }

    QString readSet()
    {
        QString body;
        bool negate = false;
        if (m_i < m_p.size() && m_p[m_i] == u'!') {
            negate = true;
            ++m_i;
        }
        bool empty = true;
        while (true) {
            if (m_i >= m_p.size())
                throw invalidPattern();
            if (m_p[m_i] == u']')
                break;
            char32_t lo = 0;
            body += setMember(lo);
            empty = false;
            if (lo && m_i + 1 < m_p.size() && m_p[m_i] == u'-' && m_p[m_i + 1] != u']') {
                ++m_i;
                char32_t hi = 0;
                const QString upper = setMember(hi);
                if (!hi || hi < lo)
                    throw invalidPattern();
                body += u'-' + upper;
            }
        }
        ++m_i;
        if (empty)
            throw invalidPattern();
        return (negate ? QStringLiteral("[^") : QStringLiteral("[")) + body + u']';
    }

    void openGroup()
    {
        ++m_i;
        if (++m_groups > kMaxGroups)
            throw invalidPattern();
        m_levels.emplace_back();
        m_open.push_back(m_groups);
    }

    void closeGroup()
    {
        ++m_i;
        if (m_levels.size() < 2)
            throw invalidPattern();
        const QString inner = join(m_levels.back());
        m_levels.pop_back();
        m_closed[m_open.back()] = true;
        m_open.pop_back();
        atoms().push_back({"(" + inner + ")", true, {}, false, {}});
    }

    void escape()
    {
        ++m_i;
        if (m_i >= m_p.size())
            throw invalidPattern();
        const QChar c = m_p[m_i];
        if (c >= u'1' && c <= u'9') {
            const int n = c.unicode() - u'0';
            if (!m_closed[n])
                throw invalidPattern();
            ++m_i;
            atoms().push_back({QStringLiteral("\\%1").arg(n), true, {}, false, {}});
            return;
        }
        atoms().push_back(charAtom(regexLiteral(codePointAt(m_i))));
    }

    static QString join(const std::vector<Atom>& atoms)
    {
        QString out;
        for (const Atom& a : atoms)
            out += a.re;
        return out;
    }

    const QString& m_p;
    qsizetype m_i = 0;
    int m_groups = 0;
    bool m_closed[kMaxGroups + 1] = {};
    std::vector<int> m_open;
    std::vector<std::vector<Atom>> m_levels;
};

} // namespace

QString regexLiteral(char32_t c)
{
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'))
        return QString(QChar(static_cast<char16_t>(c)));
    return QStringLiteral("\\x{%1}").arg(static_cast<uint>(c), 0, 16);
}

TranslatedPattern translateWildcards(const QString& pattern) { return Translator(pattern).run(); }

} // namespace match
