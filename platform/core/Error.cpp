#include "platform/core/Error.h"

namespace core {

Error::Error(int number, QString source, QString description)
    : m_number(number), m_source(std::move(source)), m_description(std::move(description)),
      m_what(QStringLiteral("%1 (%2): %3").arg(m_number).arg(m_source, m_description).toStdString())
{
}

Error runtimeError(int number, const QString& source)
{
    QString text;
    switch (number) {
    case InvalidProcedureCall: text = QStringLiteral("プロシージャの呼び出し、または引数が不正です。"); break;
    case Overflow: text = QStringLiteral("オーバーフローしました。"); break;
    case SubscriptOutOfRange: text = QStringLiteral("インデックスが有効範囲にありません。"); break;
    case TypeMismatch: text = QStringLiteral("型が一致しません。"); break;
    case InternalError: text = QStringLiteral("内部エラーです。"); break;
    case ObjectNotSet: text = QStringLiteral("オブジェクト変数または With ブロック変数が設定されていません。"); break;
    default: text = QStringLiteral("アプリケーション定義またはオブジェクト定義のエラーです。"); break;
    }
    return Error(number, source, text);
}

Error currentError(const QString& source)
{
    try {
        throw;
    } catch (const Error& e) {
        return e;
    } catch (const std::exception& e) {
        return Error(InternalError, source, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return runtimeError(InternalError, source);
    }
}

} // namespace core
