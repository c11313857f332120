// tarvelin: the application standing in for Word, and its commands that need no window.
#include "host/CommandLine.h"
#include "host/FindCommand.h"
#include "host/ReplaceCommand.h"
#include "host/Host.h"
#include "platform/forms/JapaneseUi.h"
#include "platform/word/Application.h"

#include <QApplication>
#include <QTextStream>

#include <cstdio>

namespace {

int runGui(int argc, char** argv)
{
    forms::useJapaneseLocale();
    QApplication app(argc, argv);
    forms::installJapaneseUi(app);
    // Qt has taken its own options out of the arguments by now.
    const host::Invocation inv = host::parseCommandLine(app.arguments().mid(1));
    host::Host host(word::Application::create());
    host.connectAddins();
    host.openFiles(inv.files);
    const int code = app.exec();
    host.shutdown();
    return code;
}

// Qt's notes about the offscreen platform (no runtime folder, no raise()) are not the command's
// output; its critical messages still reach standard error.
void quietHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

// The headless search and replace open no window and need no display.
int runHeadless(int argc, char** argv, int (*command)(const QStringList&), const QStringList& arguments)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    return command(arguments);
}

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const host::Invocation inv = host::parseCommandLine(args);
    QTextStream out(stdout);
    QTextStream err(stderr);

    switch (inv.command) {
    case host::Command::Gui:
        return runGui(argc, argv);
    case host::Command::Register:
    case host::Command::Unregister:
        return host::runRegistration(inv, out, err);
    case host::Command::Find:
        return runHeadless(argc, argv, host::runFind, inv.findArguments);
    case host::Command::Replace:
        return runHeadless(argc, argv, host::runReplace, inv.findArguments);
    case host::Command::Help:
        out << host::usage();
        return host::kExitOk;
    case host::Command::Invalid:
        err << inv.error << '\n' << host::usage();
        return host::kExitFailed;
    }
    return host::kExitFailed;
}
