#include "platform/forms/FormsError.h"

namespace forms {

core::Error formsError(int number, const QString& source)
{
    QString text;
    switch (number) {
    case FileNotFound: text = QStringLiteral("ファイルが見つかりません。"); break;
    case PathFileAccess: text = QStringLiteral("パス名が無効です。"); break;
    case InvalidFileFormat: text = QStringLiteral("ファイル形式が不正です。"); break;
    case InvalidPropertyArrayIndex: text = QStringLiteral("プロパティの配列インデックスが不正です。"); break;
    case FormAlreadyShown: text = QStringLiteral("フォームは既に表示されているので、モーダル表示できません。"); break;
    case InvalidRowValue: text = QStringLiteral("行の値が不正です。"); break;
    case InvalidColValue: text = QStringLiteral("列の値が不正です。"); break;
    case CancelSelected: text = QStringLiteral("キャンセルが選択されました。"); break;
    default: return core::runtimeError(number, source);
    }
    return core::Error(number, source, text);
}

} // namespace forms
