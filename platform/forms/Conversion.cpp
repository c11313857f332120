#include "platform/forms/Conversion.h"

#include "platform/core/Error.h"

#include <limits>

namespace forms {

int32_t CLng(const QString& text)
{
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    if (!ok)
        throw core::runtimeError(core::TypeMismatch, QStringLiteral("Tarvelin"));
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        throw core::runtimeError(core::Overflow, QStringLiteral("Tarvelin"));
    return static_cast<int32_t>(value);
}

} // namespace forms
