#include "platform/docx/LoadError.h"

#include <QDir>

namespace docx {

namespace {
const QString kSource = QStringLiteral("Tarvelin");
}

core::Error loadError(LoadFailure why, const QString& path, const QString& detail)
{
    const QString file = QDir::toNativeSeparators(path);
    QString text;
    switch (why) {
    case LoadFailure::NotFound:
        return core::Error(kErrFileNotFound, kSource,
                           QStringLiteral("ファイル %1 が見つかりません。ファイル名とパスを確認してください。").arg(file));
    case LoadFailure::Empty:
        text = QStringLiteral("ファイル %1 は空 (0 バイト) のため開けません。").arg(file);
        break;
    case LoadFailure::NotZip:
        text = QStringLiteral("ファイル %1 は Word 文書 (.docx) の形式ではないか、破損しているため開けません。").arg(file);
        break;
    case LoadFailure::OleFile:
        text = QStringLiteral("ファイル %1 はパスワードで保護 (暗号化) されているか、以前の形式 (.doc) の文書のため開けません。").arg(file);
        break;
    case LoadFailure::Corrupt:
        text = QStringLiteral("ファイル %1 は破損しているため開けません (%2)。").arg(file, detail);
        break;
    case LoadFailure::NoMainPart:
        text = QStringLiteral("ファイル %1 には文書の本文がありません。Word 文書 (.docx) ではない可能性があります。").arg(file);
        break;
    case LoadFailure::BadXml:
        text = QStringLiteral("ファイル %1 は破損しているため開けません (XML の誤り: %2)。").arg(file, detail);
        break;
    case LoadFailure::TooLarge:
        text = QStringLiteral("ファイル %1 は展開後のサイズが大きすぎるため開けません (%2)。").arg(file, detail);
        break;
    case LoadFailure::TooManyEntries:
        text = QStringLiteral("ファイル %1 は含まれる部品の数が多すぎるため開けません。").arg(file);
        break;
    case LoadFailure::TooDeep:
        text = QStringLiteral("ファイル %1 は要素の入れ子が深すぎるため開けません (%2)。").arg(file, detail);
        break;
    case LoadFailure::DuplicatePart:
        text = QStringLiteral("ファイル %1 は破損しているため開けません (部品 %2 が重複しています)。").arg(file, detail);
        break;
    case LoadFailure::Dtd:
        text = QStringLiteral("ファイル %1 は破損しているため開けません (部品 %2 に DTD が含まれています。DTD は使用できません)。").arg(file, detail);
        break;
    }
    return core::Error(kErrFileCorrupt, kSource, text);
}

} // namespace docx
