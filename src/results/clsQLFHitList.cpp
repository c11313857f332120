#include "src/results/clsQLFHitList.h"

#include <array>

const QString& clsQLFHitList::header(Column col)
{
    static const std::array<QString, colCount> kHeaders = {
        QStringLiteral("項番"), QStringLiteral("テキスト"), QStringLiteral("タイプ"), QStringLiteral("開始位置"),
        QStringLiteral("終了位置"), QStringLiteral("タイプコード"), QStringLiteral("連結順")};
    return kHeaders.at(col);
}

const QString& clsQLFHitList::listingHeader(ListingColumn col)
{
    static const std::array<QString, lstAfter + 1> kHeaders = {QStringLiteral("場所"), QStringLiteral("前の文脈"),
                                                              QStringLiteral("後の文脈")};
    return kHeaders.at(col);
}
