#include "host/GuiMain.h"

#include "host/CommandLine.h"
#include "host/Host.h"
#include "platform/forms/JapaneseUi.h"
#include "platform/word/Application.h"

#include <QApplication>

int tarvelin_gui_main(int argc, char** argv)
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
