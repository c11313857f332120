#include "platform/forms/Delimited.h"

namespace forms {

QString visibleControls(QString text)
{
    for (QChar& c : text) {
        if (c == QChar(u'\r'))
            c = QChar(u'¶');
        else if (c.unicode() < 0x20)
            c = QChar(char16_t(0x2400 + c.unicode()));
        else if (c.unicode() == 0x7F)
            c = QChar(u'␡');
    }
    return text;
}

QString csvRecord(const QStringList& fields)
{
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString& field : fields) {
        if (field.contains(QLatin1Char('"')) || field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('\r'))
            || field.contains(QLatin1Char('\n')))
            quoted << QLatin1Char('"') + QString(field).replace(QLatin1String("\""), QLatin1String("\"\"")) + QLatin1Char('"');
        else
            quoted << field;
    }
    return quoted.join(QLatin1Char(',')) + QLatin1String("\r\n");
}

} // namespace forms
