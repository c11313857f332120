#include "platform/forms/Shell.h"

#include "platform/forms/FormsError.h"

#include <QProcess>

namespace forms {

namespace {

QString g_opener = QStringLiteral("xdg-open");

} // namespace

void ShellOpen(const QString& file)
{
    QProcess opener;
    opener.setProgram(g_opener);
    opener.setArguments({file});
    opener.setStandardOutputFile(QProcess::nullDevice());
    opener.setStandardErrorFile(QProcess::nullDevice());
    if (!opener.startDetached())
        throw core::Error(FileNotFound, QStringLiteral("Shell"),
                          QStringLiteral("%1 を起動できません。").arg(g_opener));
}

QString shellOpener()
{
    return g_opener;
}

void setShellOpener(const QString& program)
{
    g_opener = program;
}

} // namespace forms
