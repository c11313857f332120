#pragma once

#include "platform/match/Query.h"

// The Japanese fuzzy-matching rules as Word names them, shared by dialog 790 and the command line.
namespace host {

// A rule of Word's Options.MatchFuzzy* properties: its member, the property's name and the
// dialog's label.
struct FuzzyRule {
    bool match::FuzzyOptions::*member;
    const char* property;
    const char* label;
};
constexpr int kFuzzyRuleCount = 18;
// In the order of the properties: 16 pairs treated as equal, then the two kinds of characters skipped.
extern const FuzzyRule kFuzzyRules[kFuzzyRuleCount];

} // namespace host
