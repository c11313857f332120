#include "host/HitLocation.h"

#include "host/SearchOptions.h"
#include "src/results/mdlQLFCode2String.h"

#include <QStringList>

namespace host {

namespace {

// A header's or footer's kind in words; none for the primary one when it shows on every page.
QString kindText(int kind, bool evenAndOdd)
{
    switch (kind) {
    case 1: return QStringLiteral("先頭ページ");
    case 2: return QStringLiteral("偶数ページ");
    default: return evenAndOdd ? QStringLiteral("奇数ページ") : QString();
    }
}

bool isFooter(int type)
{
    return type == docx::wdPrimaryFooterStory || type == docx::wdFirstPageFooterStory || type == docx::wdEvenPagesFooterStory;
}

int anchorType(const word::Location& at, const docx::Document& model)
{
    return model.stories.at(static_cast<std::size_t>(at.anchorStory)).type;
}

} // namespace

QString locationText(const word::Location& at, const docx::Document& model)
{
    QStringList parts{QStringLiteral("セクション %1").arg(at.section + 1)};
    if (at.headerFooterKind >= 0) {
        const QString kind = kindText(at.headerFooterKind, model.evenAndOddHeaders);
        parts << (kind.isEmpty() ? QString() : kind + QStringLiteral("の"))
                     + (isFooter(at.storyType) ? QStringLiteral("フッター") : QStringLiteral("ヘッダー"));
    }
    if (at.note >= 0)
        parts << QStringLiteral("%1 %2").arg(at.storyType == docx::wdEndnotesStory ? QStringLiteral("文末脚注") : QStringLiteral("脚注"),
                                             at.noteNumber);
    if (at.comment >= 0) {
        const docx::Comment& c = model.comments[static_cast<std::size_t>(at.comment)];
        QStringList who;
        for (const QString& w : {c.author, c.initials.isEmpty() ? QString() : QStringLiteral("[%1]").arg(c.initials), c.date.left(10)})
            if (!w.isEmpty())
                who << w;
        parts << QStringLiteral("コメント %1").arg(at.comment + 1)
                     + (who.isEmpty() ? QString() : QStringLiteral("（%1）").arg(who.join(QLatin1Char(' '))));
    }
    if (at.textBox >= 0)
        parts << QStringLiteral("テキストボックス %1（%2に配置）")
                     .arg(QString::number(at.textBox + 1), mdlQLFCode2String::storyType2String(anchorType(at, model)));
    if (at.table > 0)
        parts << QStringLiteral("表 %1 の %2 行 %3 列").arg(at.table).arg(at.row).arg(at.column);
    return parts.join(QStringLiteral("、"));
}

QString locationJson(const word::Location& at, const docx::Document& model)
{
    QString out = QStringLiteral("\"section\": %1").arg(at.section + 1);
    if (at.headerFooterKind >= 0) {
        const QString kind = kindText(at.headerFooterKind, model.evenAndOddHeaders);
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
        const int type = anchorType(at, model);
        out += QStringLiteral(", \"textBox\": {\"number\": %1, \"anchorCode\": %2, \"anchorType\": %3}")
                   .arg(QString::number(at.textBox + 1), QString::number(type), jsonString(mdlQLFCode2String::storyType2String(type)));
    }
    if (at.table > 0)
        out += QStringLiteral(", \"table\": {\"number\": %1, \"row\": %2, \"column\": %3}").arg(at.table).arg(at.row).arg(at.column);
    return out;
}

} // namespace host
