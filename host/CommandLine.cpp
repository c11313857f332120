#include "host/CommandLine.h"

#include "platform/addin/AddinManager.h"
#include "platform/addin/Registry.h"
#include "platform/core/Error.h"

#include <QFileInfo>
#include <QTextStream>

namespace host {

Invocation parseCommandLine(const QStringList& args)
{
    Invocation inv;
    const QString first = args.value(0);
    if (first == QLatin1String("--register") || first == QLatin1String("--unregister")) {
        inv.command = first == QLatin1String("--register") ? Command::Register : Command::Unregister;
        if (args.size() != 2) {
            inv.command = Command::Invalid;
            inv.error = QStringLiteral("%1 にはアドイン ライブラリのパスを一つ指定してください。").arg(first);
        }
        inv.library = args.value(1);
        return inv;
    }
    if (first == QLatin1String("find") || first == QLatin1String("replace")) {
        inv.command = first == QLatin1String("find") ? Command::Find : Command::Replace;
        inv.findArguments = args.mid(1);
        return inv;
    }
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        inv.command = Command::Help;
        return inv;
    }
    for (const QString& arg : args) {
        if (arg.startsWith(QLatin1String("--"))) {
            inv.command = Command::Invalid;
            inv.error = QStringLiteral("不明なオプションです: %1").arg(arg);
            return inv;
        }
        inv.files << arg;
    }
    return inv;
}

QString usage()
{
    return QStringLiteral(
        "使い方:\n"
        "  tarvelin [FILE.docx...]          文書をそれぞれのウィンドウで開きます\n"
        "  tarvelin --register LIBRARY      アドイン ライブラリを登録します\n"
        "  tarvelin --unregister LIBRARY    アドイン ライブラリの登録を解除します\n"
        "  tarvelin find --text 文字列 [オプション...] FILE.docx...\n"
        "                                   ウィンドウを開かずに検索します（詳しくは tarvelin find --help）\n"
        "  tarvelin replace --text 文字列 --replace-with 文字列 [オプション...] FILE.docx...\n"
        "                                   ウィンドウを開かずに置換して保存します（詳しくは tarvelin replace --help）\n"
        "  tarvelin --help                  この説明を表示します\n"
        "登録先は環境変数 TARVELIN_REGISTRY で変更できます。\n");
}

int runRegistration(const Invocation& invocation, QTextStream& out, QTextStream& err)
{
    const bool registering = invocation.command == Command::Register;
    const QString path = QFileInfo(invocation.library).absoluteFilePath();
    try {
        if (registering)
            addin::registerLibrary(path);
        else
            addin::unregisterLibrary(path);
    } catch (const core::Error& e) {
        err << e.description() << Qt::endl;
        return kExitFailed;
    }
    out << QStringLiteral("アドイン ライブラリ「%1」の%2が完了しました（登録先: %3）。")
               .arg(path, registering ? QStringLiteral("登録") : QStringLiteral("登録解除"),
                    addin::Registry().fileName())
        << Qt::endl;
    return kExitOk;
}

} // namespace host
