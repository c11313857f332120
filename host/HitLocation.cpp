#include "host/HitLocation.h"

#include "host/SearchOptions.h"
#include "src/results/mdlQLFCode2String.h"

namespace host {

void appendLocationJson(ByteSink& out, const word::Location& at, const docx::Document& model)
{
    out.bytes("\"section\": ");
    out.number(at.section + 1);
    if (at.headerFooterKind >= 0) {
        const QString kind = word::headerFooterKindText(at.headerFooterKind, model.evenAndOddHeaders);
        if (!kind.isEmpty()) {
            out.bytes(", \"kind\": ");
            out.jsonString(kind);
        }
    }
    if (at.note >= 0) {
        out.bytes(", \"note\": ");
        out.jsonString(at.noteNumber);
    }
    if (at.comment >= 0) {
        const docx::Comment& c = model.comments[static_cast<std::size_t>(at.comment)];
        out.bytes(", \"comment\": {\"number\": ");
        out.number(at.comment + 1);
        out.bytes(", \"author\": ");
        out.jsonString(c.author);
        out.bytes(", \"initials\": ");
        out.jsonString(c.initials);
        out.bytes(", \"date\": ");
        out.jsonString(c.date);
        out.bytes("}");
    }
    if (at.textBox >= 0) {
        const int type = model.stories.at(static_cast<std::size_t>(at.anchorStory)).type;
        out.bytes(", \"textBox\": {\"number\": ");
        out.number(at.textBox + 1);
        out.bytes(", \"anchorCode\": ");
        out.number(type);
        out.bytes(", \"anchorType\": ");
        out.jsonString(mdlQLFCode2String::storyType2String(type));
        out.bytes("}");
    }
    if (at.table > 0) {
        out.bytes(", \"table\": {\"number\": ");
        out.number(at.table);
        out.bytes(", \"row\": ");
        out.number(at.row);
        out.bytes(", \"column\": ");
        out.number(at.column);
        out.bytes("}");
    }
}

} // namespace host
