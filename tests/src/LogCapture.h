#pragma once

#include <QLoggingCategory>
#include <QStringList>

// Collects what the add-in's log call writes while it lives ("<level> <text>" per line).
class LogCapture {
public:
    LogCapture()
    {
        s_lines = &m_lines;
        QLoggingCategory::setFilterRules(QStringLiteral("qlf.log.debug=true"));
        m_previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext& context, const QString& msg) {
            if (s_lines && context.category && QLatin1String(context.category) == QLatin1String("qlf.log"))
                s_lines->append(msg);
        });
    }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        QLoggingCategory::setFilterRules(QStringLiteral("qlf.log.debug=false"));
        s_lines = nullptr;
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const QStringList& lines() const { return m_lines; }

private:
    static inline QStringList* s_lines = nullptr;
    QStringList m_lines;
    QtMessageHandler m_previous;
};
