#pragma once

#include "platform/forms/Form.h"

#include <chrono>

// Sets the slice of forms::DoEvents while it lives and puts the previous one back; a slice of
// 0 gives every call a full message pass, so a test can act at an exact hit.
class DoEventsSliceFor {
public:
    explicit DoEventsSliceFor(std::chrono::microseconds slice) : m_saved(forms::doEventsSlice())
    {
        forms::setDoEventsSlice(slice);
    }
    ~DoEventsSliceFor() { forms::setDoEventsSlice(m_saved); }
    DoEventsSliceFor(const DoEventsSliceFor&) = delete;
    DoEventsSliceFor& operator=(const DoEventsSliceFor&) = delete;

private:
    std::chrono::microseconds m_saved;
};
