#include "platform/match/SoundsLike.h"

#include <initializer_list>

namespace match {

namespace {

class Encoder {
public:
    explicit Encoder(std::string_view word)
    {
        for (char c : word)
            m_w += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
        m_last = static_cast<int>(m_w.size()) - 1;
        m_slavoGermanic = m_w.find('W') != std::string::npos || m_w.find('K') != std::string::npos
            || m_w.find("CZ") != std::string::npos || m_w.find("WITZ") != std::string::npos;
    }

    PhoneticKeys run()
    {
        const int length = static_cast<int>(m_w.size());
        if (length == 0)
            return {};
        int cur = 0;
        if (at(0, {"GN", "KN", "PN", "WR", "PS"}))
            cur = 1;
        if (get(0) == 'X') {
            add("S");
            cur = 1;
        }
        while ((m_primary.size() < 4 || m_secondary.size() < 4) && cur < length)
            cur = step(cur);
        m_primary.resize(std::min<size_t>(m_primary.size(), 4));
        m_secondary.resize(std::min<size_t>(m_secondary.size(), 4));
        return {m_primary, m_secondary};
    }

private:
    char get(int i) const { return i >= 0 && i < static_cast<int>(m_w.size()) ? m_w[i] : '\0'; }

    bool at(int start, std::initializer_list<std::string_view> options) const
    {
        if (start < 0)
            return false;
        for (std::string_view o : options)
            if (static_cast<size_t>(start) + o.size() <= m_w.size() && m_w.compare(start, o.size(), o) == 0)
                return true;
        return false;
    }

    bool vowel(int i) const
    {
        const char c = get(i);
        return c == 'A' || c == 'E' || c == 'I' || c == 'O' || c == 'U' || c == 'Y';
    }

    void add(const char* main)
    {
        m_primary += main;
        m_secondary += main;
    }

    void add(const char* main, const char* alt)
    {
        m_primary += main;
        if (*alt) {
            if (alt[0] != ' ')
                m_secondary += alt;
        } else if (*main && main[0] != ' ') {
            m_secondary += main;
        }
    }

    int skipDouble(int cur, char c) const { return get(cur + 1) == c ? cur + 2 : cur + 1; }

    int step(int cur)
    {
        switch (get(cur)) {
        case 'A': case 'E': case 'I': case 'O': case 'U': case 'Y':
            if (cur == 0)
                add("A");
            return cur + 1;
        case 'B': add("P"); return skipDouble(cur, 'B');
        case 'C': return stepC(cur);
        case 'D':
            if (at(cur, {"DG"})) {
                if (at(cur + 2, {"I", "E", "Y"})) {
                    add("J");
                    return cur + 3;
                }
                add("TK");
                return cur + 2;
            }
            add("T");
            return at(cur, {"DT", "DD"}) ? cur + 2 : cur + 1;
        case 'F': add("F"); return skipDouble(cur, 'F');
        case 'G': return stepG(cur);
        case 'H':
            if ((cur == 0 || vowel(cur - 1)) && vowel(cur + 1)) {
                add("H");
                return cur + 2;
            }
            return cur + 1;
        case 'J': return stepJ(cur);
        case 'K': add("K"); return skipDouble(cur, 'K');
        case 'L':
            if (get(cur + 1) == 'L') {
                if ((cur == static_cast<int>(m_w.size()) - 3 && at(cur - 1, {"ILLO", "ILLA", "ALLE"}))
                    || ((at(m_last - 1, {"AS", "OS"}) || at(m_last, {"A", "O"})) && at(cur - 1, {"ALLE"}))) {
                    add("L", " ");
                    return cur + 2;
                }
                add("L");
                return cur + 2;
            }
            add("L");
            return cur + 1;
        case 'M':
            add("M");
            return ((at(cur - 1, {"UMB"}) && (cur + 1 == m_last || at(cur + 2, {"ER"}))) || get(cur + 1) == 'M')
                ? cur + 2 : cur + 1;
        case 'N': add("N"); return skipDouble(cur, 'N');
        case 'P':
            if (get(cur + 1) == 'H') {
                add("F");
                return cur + 2;
            }
            add("P");
            return at(cur + 1, {"P", "B"}) ? cur + 2 : cur + 1;
        case 'Q': add("K"); return skipDouble(cur, 'Q');
        case 'R':
            if (cur == m_last && !m_slavoGermanic && at(cur - 2, {"IE"}) && !at(cur - 4, {"ME", "MA"}))
                add("", "R");
            else
                add("R");
            return skipDouble(cur, 'R');
        case 'S': return stepS(cur);
        case 'T': return stepT(cur);
        case 'V': add("F"); return skipDouble(cur, 'V');
        case 'W': return stepW(cur);
        case 'X':
            if (!(cur == m_last && (at(cur - 3, {"IAU", "EAU"}) || at(cur - 2, {"AU", "OU"}))))
                add("KS");
            return at(cur + 1, {"C", "X"}) ? cur + 2 : cur + 1;
        case 'Z':
            if (get(cur + 1) == 'H') {
                add("J");
                return cur + 2;
            }
            if (at(cur + 1, {"ZO", "ZI", "ZA"}) || (m_slavoGermanic && cur > 0 && get(cur - 1) != 'T'))
                add("S", "TS");
            else
                add("S");
            return skipDouble(cur, 'Z');
        default:
            return cur + 1;
        }
    }

    int stepC(int cur)
    {
        if (cur > 1 && !vowel(cur - 2) && at(cur - 1, {"ACH"}) && get(cur + 2) != 'I'
            && (get(cur + 2) != 'E' || at(cur - 2, {"BACHER", "MACHER"}))) {
            add("K");
            return cur + 2;
        }
        if (cur == 0 && at(cur, {"CAESAR"})) {
            add("S");
            return cur + 2;
        }
        if (at(cur, {"CHIA"})) {
            add("K");
            return cur + 2;
        }
        if (at(cur, {"CH"})) {
            if (cur > 0 && at(cur, {"CHAE"})) {
                add("K", "X");
            } else if (cur == 0 && (at(cur + 1, {"HARAC", "HARIS"}) || at(cur + 1, {"HOR", "HYM", "HIA", "HEM"}))
                       && !at(0, {"CHORE"})) {
                add("K");
            } else if (at(0, {"VAN ", "VON ", "SCH"}) || at(cur - 2, {"ORCHES", "ARCHIT", "ORCHID"})
                       || at(cur + 2, {"T", "S"})
                       || ((at(cur - 1, {"A", "O", "U", "E"}) || cur == 0)
                           && at(cur + 2, {"L", "R", "N", "M", "B", "H", "F", "V", "W", " "}))) {
                add("K");
            } else if (cur > 0) {
                if (at(0, {"MC"}))
                    add("K");
                else
                    add("X", "K");
            } else {
                add("X");
            }
            return cur + 2;
        }
        if (at(cur, {"CZ"}) && !at(cur - 2, {"WICZ"})) {
            add("S", "X");
            return cur + 2;
        }
        if (at(cur + 1, {"CIA"})) {
            add("X");
            return cur + 3;
        }
        if (at(cur, {"CC"}) && !(cur == 1 && get(0) == 'M')) {
            if (at(cur + 2, {"I", "E", "H"}) && !at(cur + 2, {"HU"})) {
                if ((cur == 1 && get(cur - 1) == 'A') || at(cur - 1, {"UCCEE", "UCCES"}))
                    add("KS");
                else
                    add("X");
                return cur + 3;
            }
            add("K");
            return cur + 2;
        }
        if (at(cur, {"CK", "CG", "CQ"})) {
            add("K");
            return cur + 2;
        }
        if (at(cur, {"CI", "CE", "CY"})) {
            if (at(cur, {"CIO", "CIE", "CIA"}))
                add("S", "X");
            else
                add("S");
            return cur + 2;
        }
        add("K");
        if (at(cur + 1, {" C", " Q", " G"}))
            return cur + 3;
        if (at(cur + 1, {"C", "K", "Q"}) && !at(cur + 1, {"CE", "CI"}))
            return cur + 2;
        return cur + 1;
    }

    int stepG(int cur)
    {
        if (get(cur + 1) == 'H') {
            if (cur > 0 && !vowel(cur - 1)) {
                add("K");
                return cur + 2;
            }
            if (cur == 0) {
                add(get(cur + 2) == 'I' ? "J" : "K");
                return cur + 2;
            }
            if ((cur > 1 && at(cur - 2, {"B", "H", "D"})) || (cur > 2 && at(cur - 3, {"B", "H", "D"}))
                || (cur > 3 && at(cur - 4, {"B", "H"})))
                return cur + 2;
            if (cur > 2 && get(cur - 1) == 'U' && at(cur - 3, {"C", "G", "L", "R", "T"}))
                add("F");
            else if (cur > 0 && get(cur - 1) != 'I')
                add("K");
            return cur + 2;
        }
        if (get(cur + 1) == 'N') {
            if (cur == 1 && vowel(0) && !m_slavoGermanic)
                add("KN", "N");
            else if (!at(cur + 2, {"EY"}) && get(cur + 1) != 'Y' && !m_slavoGermanic)
                add("N", "KN");
            else
                add("KN");
            return cur + 2;
        }
        if (at(cur + 1, {"LI"}) && !m_slavoGermanic) {
            add("KL", "L");
            return cur + 2;
        }
        if (cur == 0 && (get(cur + 1) == 'Y'
                         || at(cur + 1, {"ES", "EP", "EB", "EL", "EY", "IB", "IL", "IN", "IE", "EI", "ER"}))) {
            add("K", "J");
            return cur + 2;
        }
        if ((at(cur + 1, {"ER"}) || get(cur + 1) == 'Y') && !at(0, {"DANGER", "RANGER", "MANGER"})
            && !at(cur - 1, {"E", "I"}) && !at(cur - 1, {"RGY", "OGY"})) {
            add("K", "J");
            return cur + 2;
        }
        if (at(cur + 1, {"E", "I", "Y"}) || at(cur - 1, {"AGGI", "OGGI"})) {
            if (at(0, {"VAN ", "VON ", "SCH"}) || at(cur + 1, {"ET"}))
                add("K");
            else if (at(cur + 1, {"IER "}))
                add("J");
            else
                add("J", "K");
            return cur + 2;
        }
        add("K");
        return skipDouble(cur, 'G');
    }

    int stepJ(int cur)
    {
        if (at(cur, {"JOSE"}) || at(0, {"SAN "})) {
            if ((cur == 0 && get(cur + 4) == ' ') || at(0, {"SAN "}))
                add("H");
            else
                add("J", "H");
            return cur + 1;
        }
        if (cur == 0 && !at(cur, {"JOSE"}))
            add("J", "A");
        else if (vowel(cur - 1) && !m_slavoGermanic && (get(cur + 1) == 'A' || get(cur + 1) == 'O'))
            add("J", "H");
        else if (cur == m_last)
            add("J", " ");
        else if (!at(cur + 1, {"L", "T", "K", "S", "N", "M", "B", "Z"}) && !at(cur - 1, {"S", "K", "L"}))
            add("J");
        return skipDouble(cur, 'J');
    }

    int stepS(int cur)
    {
        if (at(cur - 1, {"ISL", "YSL"}))
            return cur + 1;
        if (cur == 0 && at(cur, {"SUGAR"})) {
            add("X", "S");
            return cur + 1;
        }
        if (at(cur, {"SH"})) {
            add(at(cur + 1, {"HEIM", "HOEK", "HOLM", "HOLZ"}) ? "S" : "X");
            return cur + 2;
        }
        if (at(cur, {"SIO", "SIA", "SIAN"})) {
            if (!m_slavoGermanic)
                add("S", "X");
            else
                add("S");
            return cur + 3;
        }
        if ((cur == 0 && at(cur + 1, {"M", "N", "L", "W"})) || at(cur + 1, {"Z"})) {
            add("S", "X");
            return at(cur + 1, {"Z"}) ? cur + 2 : cur + 1;
        }
        if (at(cur, {"SC"})) {
            if (get(cur + 2) == 'H') {
                if (at(cur + 3, {"OO", "ER", "EN", "UY", "ED", "EM"})) {
                    if (at(cur + 3, {"ER", "EN"}))
                        add("X", "SK");
                    else
                        add("SK");
                } else if (cur == 0 && !vowel(3) && get(3) != 'W') {
                    add("X", "S");
                } else {
                    add("X");
                }
                return cur + 3;
            }
            add(at(cur + 2, {"I", "E", "Y"}) ? "S" : "SK");
            return cur + 3;
        }
        if (cur == m_last && at(cur - 2, {"AI", "OI"}))
            add("", "S");
        else
            add("S");
        return at(cur + 1, {"S", "Z"}) ? cur + 2 : cur + 1;
    }

    int stepT(int cur)
    {
        if (at(cur, {"TION"})) {
            add("X");
            return cur + 3;
        }
        if (at(cur, {"TIA", "TCH"})) {
            add("X");
            return cur + 3;
        }
        if (at(cur, {"TH", "TTH"})) {
            if (at(cur + 2, {"OM", "AM"}) || at(0, {"VAN ", "VON ", "SCH"}))
                add("T");
            else
                add("0", "T");
            return cur + 2;
        }
        add("T");
        return at(cur + 1, {"T", "D"}) ? cur + 2 : cur + 1;
    }

    int stepW(int cur)
    {
        if (at(cur, {"WR"})) {
            add("R");
            return cur + 2;
        }
        if (cur == 0 && (vowel(cur + 1) || at(cur, {"WH"}))) {
            if (vowel(cur + 1))
                add("A", "F");
            else
                add("A");
        }
        if ((cur == m_last && vowel(cur - 1)) || at(cur - 1, {"EWSKI", "EWSKY", "OWSKI", "OWSKY"}) || at(0, {"SCH"})) {
            add("", "F");
            return cur + 1;
        }
        if (at(cur, {"WICZ", "WITZ"})) {
            add("TS", "FX");
            return cur + 4;
        }
        return cur + 1;
    }

    std::string m_w, m_primary, m_secondary;
    int m_last = -1;
    bool m_slavoGermanic = false;
};

bool equalKey(const std::string& a, const std::string& b) { return !a.empty() && a == b; }

} // namespace

PhoneticKeys doubleMetaphone(std::string_view word) { return Encoder(word).run(); }

bool soundAlike(const PhoneticKeys& a, const PhoneticKeys& b)
{
    return equalKey(a.primary, b.primary) || equalKey(a.primary, b.secondary) || equalKey(a.secondary, b.primary)
        || equalKey(a.secondary, b.secondary);
}

} // namespace match
