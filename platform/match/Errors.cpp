#include "platform/match/Errors.h"

namespace match {

namespace {
const QString kSource = QStringLiteral("Tarvelin");
}

core::Error invalidPattern()
{
    return core::Error(kInvalidPatternError, kSource,
                       QStringLiteral("[検索する文字列] に無効なパターン一致式が含まれています。"));
}

core::Error searchTooComplex()
{
    return core::Error(kSearchTooComplexError, kSource,
                       QStringLiteral("検索する文字列のパターンが複雑すぎるため、検索を完了できませんでした。"));
}

} // namespace match
