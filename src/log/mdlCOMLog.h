#pragma once

#include <QLoggingCategory>
#include <QString>

#include <cstdint>

// The diagnostics log: every procedure reports through writeLog, which writes nothing. The lines
// go to the "qlf.log" logging category, off unless a developer or a test switches it on.
namespace mdlCOMLog {

Q_DECLARE_LOGGING_CATEGORY(qlfLog)

void setLogFilePath(QString path);
QString logFilePath();
// Never fails, opens no file and ignores the level.
void writeLog(int16_t level, QString message);

} // namespace mdlCOMLog
