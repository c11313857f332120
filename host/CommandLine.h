#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

// The command line of tarvelin: which command to run and its arguments.
namespace host {

enum class Command {
    Gui,         // tarvelin [FILE.docx...]: open each file in a window
    Register,    // tarvelin --register LIBRARY
    Unregister,  // tarvelin --unregister LIBRARY
    Find,        // tarvelin find ...: the headless search
    Replace,     // tarvelin replace ...: the headless replace
    Help,        // tarvelin --help
    Invalid,     // anything else: usage and exit code 2
};

struct Invocation {
    Command command = Command::Gui;
    QStringList files;  // Gui
    QString library;    // Register, Unregister
    QStringList findArguments;  // Find, Replace: everything after the command's name
    QString error;      // Invalid: what was wrong
};

// Reads the arguments that follow the program name.
Invocation parseCommandLine(const QStringList& args);

QString usage();

// Exit codes of the commands that run without windows.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 2;

// Registers or unregisters invocation.library in the default registration store and prints the
// outcome: a line on out and kExitOk, or the error on err and kExitFailed.
int runRegistration(const Invocation& invocation, QTextStream& out, QTextStream& err);

} // namespace host
