#include "platform/forms/Delimited.h"

namespace forms {

char16_t visibleControl(char16_t c)
{
    if (c == u'\r')
        return u'¶';
    if (c < 0x20)
        return static_cast<char16_t>(0x2400 + c);
    return c == 0x7F ? u'␡' : c;
}

QString visibleControls(QString text)
{
    for (QChar& c : text)
        c = QChar(visibleControl(c.unicode()));
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
