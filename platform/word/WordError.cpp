#include "platform/word/WordError.h"

namespace word {

core::Error wordError(int number)
{
    QString text;
    switch (number) {
    case NoDocumentOpen: text = QStringLiteral("文書が開かれていないため、このコマンドは使用できません。"); break;
    case CommandNotAvailable: text = QStringLiteral("このコマンドは現在使用できません。"); break;
    case ValueOutOfRange: text = QStringLiteral("値が有効範囲にありません。"); break;
    case NoSuchMember: text = QStringLiteral("コレクションの要求されたメンバーが存在しません。"); break;
    default: text = QStringLiteral("エラーが発生しました。"); break;
    }
    return core::Error(number, QStringLiteral("Tarvelin"), text);
}

core::Error cannotEdit(const QString& why)
{
    return core::Error(CommandNotAvailable, QStringLiteral("Tarvelin"), why);
}

} // namespace word
