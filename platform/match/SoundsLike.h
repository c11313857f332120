#pragma once

#include <string>
#include <string_view>

// English "sounds like" matching by Double Metaphone keys.
namespace match {

struct PhoneticKeys {
    std::string primary, secondary; // at most four characters each; empty for a non-English word
};

// Double Metaphone keys of one word (letters; case does not matter).
PhoneticKeys doubleMetaphone(std::string_view word);

// Whether two words sound alike: a primary or secondary key of one equals one of the other.
bool soundAlike(const PhoneticKeys& a, const PhoneticKeys& b);

} // namespace match
