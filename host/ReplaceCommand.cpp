#include "host/ReplaceCommand.h"

#include "host/SearchOptions.h"
#include "platform/core/Error.h"
#include "platform/forms/Delimited.h"
#include "platform/word/Application.h"
#include "platform/word/Document.h"
#include "platform/word/Find.h"
#include "platform/word/Font.h"
#include "platform/word/Range.h"
#include "src/results/mdlQLFCode2String.h"
#include "src/search/clsQLFFindCondition.h"

#include <QFileInfo>

#include <cstdio>
#include <map>

namespace host {

namespace {

QString usage()
{
    return QString::fromUtf8(
               "使い方: tarvelin replace --text 文字列 --replace-with 置換後の文字列 [オプション...]\n"
               "                         (--output 出力.docx | --in-place) [--dry-run] ファイル.docx...\n"
               "\n"
               "tarvelin find と同じ検索で文書のすべての部分の文字列を置換し、変更した部分だけを書き換えて保存します。\n"
               "\n")
           + SearchOptions::help()
           + QString::fromUtf8(
               "  --replace-with 文字列  置換後の文字列（^& 検索した文字列、^t タブ、^p 段落記号、\n"
               "                         ^^ キャレット、ワイルドカード使用時は \\1～\\9 も使えます。\n"
               "                         \"\" で書式だけを変えます）\n"
               "  --set-highlight yes|no 置換後の文字列に蛍光ペンを付ける・外す\n"
               "  --set-color N          置換後の文字列のフォントの色（-16777216 は自動）\n"
               "  --set-strike yes|no    置換後の文字列の取り消し線\n"
               "  --set-double-strike yes|no 置換後の文字列の二重取り消し線\n"
               "  --output 出力.docx     置換した文書をこのファイルに保存する（ファイルを一つだけ指定したとき）\n"
               "  --in-place             置換した文書を元のファイルに上書き保存する\n"
               "  --dry-run              置換される箇所と置換後の文字列を表示し、何も保存しない\n"
               "  --json                 JSON で出力する\n"
               "  --help                 この説明を表示する\n"
               "\n"
               "終了コード: 0 置換した、1 見つからなかった、2 エラー（ほかのファイルは処理を続けます）。\n");
}

struct Request {
    clsQLFFindCondition condition;
    match::FuzzyOptions fuzzy;
    QString replaceWith;
    int highlight = word::wdUndefined, color = word::wdUndefined, strike = word::wdUndefined,
        doubleStrike = word::wdUndefined;
    QString output;
    bool inPlace = false, dryRun = false, json = false;
    QStringList files;
};

QString parse(const QStringList& arguments, Request& request, bool& help)
{
    QCommandLineParser p;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const SearchOptions search(p);
    const QCommandLineOption replaceWith("replace-with", {}, "text"), output("output", {}, "file"), inPlace("in-place"),
        dryRun("dry-run"), json("json"), helpOption("help"), setHighlight("set-highlight", {}, "yes|no"),
        setColor("set-color", {}, "N"), setStrike("set-strike", {}, "yes|no"), setDoubleStrike("set-double-strike", {}, "yes|no");
    p.addOptions({replaceWith, output, inPlace, dryRun, json, helpOption, setHighlight, setColor, setStrike, setDoubleStrike});
    if (!p.parse(QStringList{QStringLiteral("tarvelin replace")} + arguments))
        return p.errorText();
    help = p.isSet(helpOption);
    if (help)
        return {};
    if (const QString error = search.read(p, request.condition, request.fuzzy); !error.isEmpty())
        return error;
    request.replaceWith = p.value(replaceWith);
    for (const auto& [option, into] : {std::pair{&setHighlight, &request.highlight}, std::pair{&setStrike, &request.strike},
                                       std::pair{&setDoubleStrike, &request.doubleStrike}}) {
        if (!p.isSet(*option))
            continue;
        const auto v = yesNo(p.value(*option));
        if (!v)
            return QStringLiteral("--%1 には yes か no を指定してください").arg(option->names().first());
        *into = *v;
    }
    if (p.isSet(setColor)) {
        bool ok = false;
        request.color = p.value(setColor).toInt(&ok);
        if (!ok || !((request.color >= 0 && request.color <= 0xFFFFFF) || request.color == word::wdColorAutomatic))
            return QStringLiteral("--set-color には 0 から 16777215 の色の値か -16777216（自動）を指定してください");
    }
    request.output = p.value(output);
    request.inPlace = p.isSet(inPlace);
    request.dryRun = p.isSet(dryRun);
    request.json = p.isSet(json);
    request.files = p.positionalArguments();
    if (!search.textGiven(p) || !p.isSet(replaceWith))
        return QStringLiteral("--text と --replace-with を指定してください");
    if (request.files.isEmpty())
        return QStringLiteral("置換するファイルを指定してください");
    if (!request.dryRun && p.isSet(output) == request.inPlace)
        return QStringLiteral("--output か --in-place のどちらか一つを指定してください");
    if (p.isSet(output) && request.files.size() != 1)
        return QStringLiteral("--output はファイルを一つだけ指定したときに使えます");
    return {};
}

// The Find whose settings every story's replacement copies: the condition's search, the
// replacement text.
word::FindPtr settingsFor(const word::DocumentPtr& doc, const Request& request)
{
    word::FindPtr settings = doc->StoryRanges()->Item(1)->Find();
    request.condition.setFindObject(settings);
    word::ReplacementPtr r = settings->Replacement();
    r->setText(request.replaceWith);
    r->setHighlight(request.highlight);
    r->Font()->setColor(request.color);
    r->Font()->setStrikeThrough(request.strike);
    r->Font()->setDoubleStrikeThrough(request.doubleStrike);
    return settings;
}

struct Planned {
    int story;
    word::TextSpan span;
};

// What Replace All would change, story by story in Word's order.
std::vector<Planned> plan(const word::DocumentPtr& doc, const word::Find& settings)
{
    std::vector<Planned> out;
    for (int i = 0; i < static_cast<int>(doc->model().stories.size()); ++i) {
        auto range = std::make_shared<word::Range>(doc, i, 0, doc->story(i).length());
        word::FindPtr find = range->Find();
        find->copySettings(settings);
        for (word::TextSpan& s : find->plannedReplacements())
            out.push_back({i, std::move(s)});
    }
    return out;
}

QString storyName(int type) { return mdlQLFCode2String::storyType2String(type); }

} // namespace

int runReplace(const QStringList& arguments)
{
    Request request;
    bool help = false;
    const QString usageError = parse(arguments, request, help);
    if (const std::optional<int> exit = argumentsEnd("replace", help, usageError, usage()))
        return *exit;

    word::ApplicationPtr app = word::Application::create();
    app->fuzzyOptions() = request.fuzzy;
    bool replaced = false, failed = false;
    QString out, json;
    if (!request.json)
        out = request.dryRun ? QStringLiteral("ファイル\tタイプ\tタイプコード\t開始位置\t終了位置\tテキスト\t置換後\n")
                             : QStringLiteral("ファイル\tタイプ\tタイプコード\t置換数\n");
    for (const QString& file : request.files) {
        try {
            word::DocumentPtr doc = app->Documents()->Open(file);
            const word::FindPtr settings = settingsFor(doc, request);
            if (request.dryRun) {
                for (const Planned& p : plan(doc, *settings)) {
                    const int type = doc->story(p.story).type;
                    const QString text = word::Range(doc, p.story, p.span.start, p.span.end).Text();
                    if (request.json)
                        json += (json.isEmpty() ? QStringLiteral("[\n") : QStringLiteral(",\n"))
                                + QStringLiteral("  {\"file\": %1, \"type\": %2, \"code\": %3, \"start\": %4, \"end\": %5, "
                                                 "\"text\": %6, \"replacement\": %7}")
                                      .arg(jsonString(file), jsonString(storyName(type))).arg(type).arg(p.span.start)
                                      .arg(p.span.end).arg(jsonString(text), jsonString(p.span.text));
                    else
                        out += QStringList{file, storyName(type), QString::number(type), QString::number(p.span.start),
                                           QString::number(p.span.end), forms::visibleControls(text), forms::visibleControls(p.span.text)}
                                   .join(u'\t')
                               + u'\n';
                    replaced = true;
                }
                doc->Close();
                continue;
            }
            int skipped = 0;
            const std::vector<int> counts = word::replaceInEveryStory(doc, *settings, &skipped);
            std::map<int, int> byType;
            int total = 0;
            for (std::size_t i = 0; i < counts.size(); ++i)
                if (counts[i] > 0) {
                    byType[doc->story(static_cast<int>(i)).type] += counts[i];
                    total += counts[i];
                }
            if (total > 0) {
                if (request.inPlace)
                    doc->Save();
                else
                    doc->SaveAs2(request.output);
                replaced = true;
            }
            if (request.json) {
                QStringList types;
                for (const auto& [type, n] : byType)
                    types << QStringLiteral("\"%1\": %2").arg(type).arg(n);
                json += (json.isEmpty() ? QStringLiteral("[\n") : QStringLiteral(",\n"))
                        + QStringLiteral("  {\"file\": %1, \"saved\": %2, \"replaced\": %3, \"skipped\": %4, \"types\": {%5}}")
                              .arg(jsonString(file), total > 0 ? jsonString(doc->FullName()) : QStringLiteral("null"))
                              .arg(total).arg(skipped).arg(types.join(QStringLiteral(", ")));
            } else {
                for (const auto& [type, n] : byType)
                    out += QStringList{file, storyName(type), QString::number(type), QString::number(n)}.join(u'\t') + u'\n';
            }
            if (skipped > 0)
                printErr(QStringLiteral("tarvelin replace: %1: %2\n").arg(file, word::skippedMessage(skipped)));
            doc->Close();
        } catch (const core::Error& e) {
            failed = true;
            printErr(QStringLiteral("tarvelin replace: %1: %2\n").arg(file, e.description()));
        }
    }
    if (request.json)
        out = json.isEmpty() ? QStringLiteral("[]\n") : json + QStringLiteral("\n]\n");
    std::fputs(out.toUtf8().constData(), stdout);
    std::fflush(stdout);
    if (failed)
        return 2;
    return replaced ? 0 : 1;
}

} // namespace host
