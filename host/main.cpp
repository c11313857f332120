// tarvelin: the application standing in for Word, and its commands that need no window.
#include "host/CommandLine.h"
#include "host/FindCommand.h"
#include "host/GuiMain.h"
#include "host/ReplaceCommand.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

#include <dlfcn.h>

namespace {

// The windows' library is found as the platform's libraries are, through the program's run path.
int runGui(int argc, char** argv)
{
    void* library = dlopen(TARVELIN_GUI_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    void* entry = library ? dlsym(library, "tarvelin_gui_main") : nullptr;
    if (!entry) {
        std::fprintf(stderr, "tarvelin: %s\n", dlerror());
        return host::kExitFailed;
    }
    return reinterpret_cast<decltype(&tarvelin_gui_main)>(entry)(argc, argv);
}

// The headless search and replace open no window and need no display.
int runHeadless(int argc, char** argv, int (*command)(const QStringList&), const QStringList& arguments)
{
    QCoreApplication app(argc, argv);
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
