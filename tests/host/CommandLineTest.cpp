#include "host/CommandLine.h"
#include "platform/addin/Registry.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(CommandLine, ArgumentsChooseTheCommand)
{
    struct Case {
        QStringList args;
        host::Command command;
        QStringList files;
        QString library;
    };
    const std::vector<Case> cases{
        {{}, host::Command::Gui, {}, {}},
        {{"a.docx", "b.docx"}, host::Command::Gui, {"a.docx", "b.docx"}, {}},
        {{"--register", "lib/libQLF.so"}, host::Command::Register, {}, "lib/libQLF.so"},
        {{"--unregister", "libQLF.so"}, host::Command::Unregister, {}, "libQLF.so"},
        {{"--help"}, host::Command::Help, {}, {}},
        {{"--register"}, host::Command::Invalid, {}, {}},
        {{"--register", "a.so", "b.so"}, host::Command::Invalid, {}, "a.so"},
        {{"a.docx", "--verbose"}, host::Command::Invalid, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const host::Invocation inv = host::parseCommandLine(c.args);
        EXPECT_EQ(inv.command, c.command);
        if (c.command == host::Command::Invalid) {
            EXPECT_FALSE(inv.error.isEmpty());
            continue;
        }
        EXPECT_EQ(inv.files, c.files);
        EXPECT_EQ(inv.library, c.library);
    }
}

namespace {

struct Outcome {
    int exitCode;
    QString out, err;
};

Outcome tarvelin(const QStringList& args, const QString& store)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TARVELIN_REGISTRY"), store);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TARVELIN_EXE), args);
    EXPECT_TRUE(p.waitForFinished(30000));
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput()), QString::fromLocal8Bit(p.readAllStandardError())};
}

} // namespace

TEST(CommandLine, RegisterAndUnregisterRoundTripThroughTheStore)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("registry.ini");
    const QString library = QStringLiteral(HOST_FIXTURE_ADDIN);
    const QString progId = QStringLiteral("HostFixture.Connect");

    const Outcome reg = tarvelin({"--register", library}, store);
    EXPECT_EQ(reg.exitCode, 0) << reg.err.toStdString();
    EXPECT_TRUE(reg.out.contains(store));
    const auto record = addin::Registry(store).record(progId);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->libraryPath, library);
    EXPECT_EQ(record->loadBehavior, addin::kLoadAtStartup);

    const Outcome unreg = tarvelin({"--unregister", library}, store);
    EXPECT_EQ(unreg.exitCode, 0) << unreg.err.toStdString();
    EXPECT_FALSE(addin::Registry(store).record(progId).has_value());

    const QString missing = dir.filePath("libNothing.so");
    const Outcome failed = tarvelin({"--register", missing}, store);
    EXPECT_EQ(failed.exitCode, 2);
    EXPECT_TRUE(failed.err.contains(missing));
    EXPECT_TRUE(addin::Registry(store).records().empty());

    const Outcome wrong = tarvelin({"--register"}, store);
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_TRUE(wrong.err.contains(QStringLiteral("使い方")));
}
