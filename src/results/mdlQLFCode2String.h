#pragma once

#include <QString>

#include <cstdint>

// Japanese names of Word's story types, for the result list.
namespace mdlQLFCode2String {

// The name of story type code (0 to 17; 0 is the empty name). Raises error 9 outside that range.
QString storyType2String(int32_t code);

} // namespace mdlQLFCode2String
