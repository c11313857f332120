#include "host/HitLocation.h"

#include "host/SearchOptions.h"
#include "src/results/mdlQLFCode2String.h"

namespace host {

void appendLocationJson(QByteArray& out, const word::Location& at, const docx::Document& model)
{
    appendBytes(out, "\"section\": ");
    appendNumber(out, at.section + 1);
    if (at.headerFooterKind >= 0) {
        const QString kind = word::headerFooterKindText(at.headerFooterKind, model.evenAndOddHeaders);
        if (!kind.isEmpty()) {
            appendBytes(out, ", \"kind\": ");
            appendJsonString(out, kind);
        }
    }
    if (at.note >= 0) {
        appendBytes(out, ", \"note\": ");
        appendJsonString(out, at.noteNumber);
    }
    if (at.comment >= 0) {
        const docx::Comment& c = model.comments[static_cast<std::size_t>(at.comment)];
        appendBytes(out, ", \"comment\": {\"number\": ");
        appendNumber(out, at.comment + 1);
        appendBytes(out, ", \"author\": ");
        appendJsonString(out, c.author);
        appendBytes(out, ", \"initials\": ");
        appendJsonString(out, c.initials);
        appendBytes(out, ", \"date\": ");
        appendJsonString(out, c.date);
        appendBytes(out, "}");
    }
    if (at.textBox >= 0) {
        const int type = model.stories.at(static_cast<std::size_t>(at.anchorStory)).type;
        appendBytes(out, ", \"textBox\": {\"number\": ");
        appendNumber(out, at.textBox + 1);
        appendBytes(out, ", \"anchorCode\": ");
        appendNumber(out, type);
        appendBytes(out, ", \"anchorType\": ");
        appendJsonString(out, mdlQLFCode2String::storyType2String(type));
        appendBytes(out, "}");
    }
    if (at.table > 0) {
        appendBytes(out, ", \"table\": {\"number\": ");
        appendNumber(out, at.table);
        appendBytes(out, ", \"row\": ");
        appendNumber(out, at.row);
        appendBytes(out, ", \"column\": ");
        appendNumber(out, at.column);
        appendBytes(out, "}");
    }
}

} // namespace host
