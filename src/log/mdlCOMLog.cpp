#include "src/log/mdlCOMLog.h"

namespace mdlCOMLog {

Q_LOGGING_CATEGORY(qlfLog, "qlf.log", QtWarningMsg)

namespace {
QString m_strLogFilePath;
}

void setLogFilePath(QString path)
{
    m_strLogFilePath = std::move(path);
}

QString logFilePath()
{
    return m_strLogFilePath;
}

void writeLog(int16_t level, QString message)
{
    qCDebug(qlfLog).noquote() << level << message;
}

} // namespace mdlCOMLog
