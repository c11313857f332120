#pragma once

#include <QString>

#include <vector>

// English word forms through WordNet's morphology.
namespace match {

// The base forms (lemmas) of one lower-case English word: the word itself when WordNet lists it,
// the forms its exception lists give, and suffix-rule forms that are regular inflections.
// Serialised: WordNet keeps its state in globals. Empty when WordNet's data cannot be loaded.
std::vector<QString> lemmas(const QString& word);

} // namespace match
