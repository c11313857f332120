#include "host/HitLocation.h"

#include "host/SearchOptions.h"
#include "src/results/mdlQLFCode2String.h"

namespace host {

QString locationJson(const word::Location& at, const docx::Document& model)
{
    QString out = QStringLiteral("\"section\": %1").arg(at.section + 1);
    if (at.headerFooterKind >= 0) {
        const QString kind = word::headerFooterKindText(at.headerFooterKind, model.evenAndOddHeaders);
        if (!kind.isEmpty())
            out += QStringLiteral(", \"kind\": %1").arg(jsonString(kind));
    }
    if (at.note >= 0)
        out += QStringLiteral(", \"note\": %1").arg(jsonString(at.noteNumber));
    if (at.comment >= 0) {
        const docx::Comment& c = model.comments[static_cast<std::size_t>(at.comment)];
        out += QStringLiteral(", \"comment\": {\"number\": %1, \"author\": %2, \"initials\": %3, \"date\": %4}")
                   .arg(QString::number(at.comment + 1), jsonString(c.author), jsonString(c.initials), jsonString(c.date));
    }
    if (at.textBox >= 0) {
        const int type = model.stories.at(static_cast<std::size_t>(at.anchorStory)).type;
        out += QStringLiteral(", \"textBox\": {\"number\": %1, \"anchorCode\": %2, \"anchorType\": %3}")
                   .arg(QString::number(at.textBox + 1), QString::number(type), jsonString(mdlQLFCode2String::storyType2String(type)));
    }
    if (at.table > 0)
        out += QStringLiteral(", \"table\": {\"number\": %1, \"row\": %2, \"column\": %3}").arg(at.table).arg(at.row).arg(at.column);
    return out;
}

} // namespace host
