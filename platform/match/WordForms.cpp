#include "platform/match/WordForms.h"

#include <wn.h>

#include <algorithm>
#include <mutex>

namespace match {

namespace {

std::mutex& wordNetMutex()
{
    static std::mutex m;
    return m;
}

bool wordNetReady()
{
    static const bool ready = wninit() == 0;
    return ready;
}

bool endsWith(const QString& s, const char* suffix) { return s.endsWith(QLatin1String(suffix)); }

bool sibilantEnd(const QString& s)
{
    return endsWith(s, "s") || endsWith(s, "x") || endsWith(s, "z") || endsWith(s, "ch") || endsWith(s, "sh");
}

// Whether word is a regular inflection of lemma for the part of speech: WordNet's suffix rules
// alone also accept "runes" → run and "was" → wa.
bool regularInflection(const QString& word, const QString& lemma, int pos)
{
    if (word == lemma + "s")
        return !sibilantEnd(lemma) && !endsWith(lemma, "y");
    if (word == lemma + "es")
        return sibilantEnd(lemma) || (pos == VERB && endsWith(lemma, "o"));
    if (endsWith(lemma, "y") && (word == lemma.chopped(1) + "ies" || word == lemma.chopped(1) + "ied"))
        return true;
    if (pos == NOUN)
        return endsWith(lemma, "man") && word == lemma.chopped(3) + "men";
    if (pos == VERB)
        return word == lemma + "ed" || word == lemma + "ing" || word == lemma + "d"
            || (endsWith(lemma, "e") && word == lemma.chopped(1) + "ing");
    if (pos == ADJ)
        return word == lemma + "er" || word == lemma + "est" || word == lemma + "r" || word == lemma + "st";
    return false;
}

// Whether WordNet's own suffix rules turn word into form for the part of speech (otherwise the
// form came from an exception list).
bool ruleDerived(const QString& word, const QString& form, int pos)
{
    struct Rule { int pos; const char* suffix; const char* ending; };
    static constexpr Rule kRules[] = {
        {NOUN, "s", ""}, {NOUN, "ses", "s"}, {NOUN, "xes", "x"}, {NOUN, "zes", "z"}, {NOUN, "ches", "ch"},
        {NOUN, "shes", "sh"}, {NOUN, "men", "man"}, {NOUN, "ies", "y"},
        {VERB, "s", ""}, {VERB, "ies", "y"}, {VERB, "es", "e"}, {VERB, "es", ""}, {VERB, "ed", "e"},
        {VERB, "ed", ""}, {VERB, "ing", "e"}, {VERB, "ing", ""},
        {ADJ, "er", ""}, {ADJ, "est", ""}, {ADJ, "er", "e"}, {ADJ, "est", "e"},
    };
    for (const Rule& r : kRules) {
        if (r.pos == pos && endsWith(word, r.suffix)
            && form == word.chopped(static_cast<int>(qstrlen(r.suffix))) + QLatin1String(r.ending))
            return true;
    }
    return false;
}

// Every form morphstr gives for one part of speech (it iterates through globals).
std::vector<QString> morphForms(QByteArray& word, int pos)
{
    std::vector<QString> out;
    for (char* s = morphstr(word.data(), pos); s; s = morphstr(nullptr, pos))
        out.push_back(QString::fromUtf8(s));
    return out;
}

} // namespace

std::vector<QString> lemmas(const QString& word)
{
    std::lock_guard<std::mutex> lock(wordNetMutex());
    if (!wordNetReady() || word.isEmpty())
        return {};
    QByteArray key = word.toUtf8();
    std::vector<QString> exceptional, regular;
    bool known = false;
    for (int pos = NOUN; pos <= ADV; ++pos) {
        QByteArray copy = key;
        if (IndexPtr idx = getindex(copy.data(), pos)) {
            free_index(idx);
            known = true;
        }
        copy = key;
        for (const QString& form : morphForms(copy, pos)) {
            if (form == word)
                continue;
            if (!ruleDerived(word, form, pos))
                exceptional.push_back(form);
            else if (regularInflection(word, form, pos))
                regular.push_back(form);
        }
    }
    std::vector<QString> out;
    if (known)
        out.push_back(word);
    out.insert(out.end(), exceptional.begin(), exceptional.end());
    if (exceptional.empty())
        out.insert(out.end(), regular.begin(), regular.end());
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

} // namespace match
