#pragma once

#include "platform/core/Object.h"
#include "platform/word/Forward.h"

#include <cstdint>

namespace word {

// The character formatting a search can ask for. A standalone font starts with every property
// at wdUndefined ("no criterion"), and any value, wdUndefined included, reads back unchanged.
class Font : public core::Object {
public:
    static FontPtr create() { return std::make_shared<Font>(); }

    int32_t Color() const { return m_color; }
    void setColor(int32_t color) { m_color = color; }
    int StrikeThrough() const { return m_strike; }
    void setStrikeThrough(int value) { m_strike = value; }
    int DoubleStrikeThrough() const { return m_doubleStrike; }
    void setDoubleStrikeThrough(int value) { m_doubleStrike = value; }

    // Back to "no criterion" for every property.
    void reset() { *this = Font(); }

private:
    int32_t m_color = wdUndefined;
    int m_strike = wdUndefined;
    int m_doubleStrike = wdUndefined;
};

} // namespace word
