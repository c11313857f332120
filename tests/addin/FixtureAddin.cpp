// A small add-in for the addin tests: it records every event through the test program.

#include "platform/addin/Server.h"
#include "platform/core/Error.h"
#include "tests/addin/FixtureHost.h"

namespace {

const addin::AddinRecord kRecord{QStringLiteral("Fixture.Connect"), QStringLiteral("Fixture"),
                                 QStringLiteral("テスト用のアドインです"), addin::kLoadAtStartup, {}};
// Served too, for records the tests write by hand: its Initialize fails.
const QString kFailingProgId = QStringLiteral("Fixture.FailingInit");

void record(const QString& call)
{
    fixtureRecord(call.toUtf8().constData());
}

// Runs when the library is unmapped.
struct UnloadWitness {
    ~UnloadWitness() { record(QStringLiteral("unloaded")); }
} unloadWitness;

class Connect : public addin::AddinDesigner {
public:
    explicit Connect(bool failInitialize = false) : m_failInitialize(failInitialize) {}
    ~Connect() override { record(QStringLiteral("destroyed")); }

    void AddinInstance_Initialize() override
    {
        record(QStringLiteral("Initialize"));
        if (m_failInitialize)
            throw core::runtimeError(core::InvalidProcedureCall, QStringLiteral("Fixture"));
    }

    void AddinInstance_OnConnection(std::shared_ptr<core::Object> Application, int ConnectMode,
                                    std::shared_ptr<core::Object> AddInInst, std::vector<QVariant>&) override
    {
        try {
            m_application = std::dynamic_pointer_cast<FixtureWordApplication>(Application);
            if (!m_application)
                throw core::runtimeError(core::TypeMismatch, QStringLiteral("Fixture"));
            const auto instance = std::dynamic_pointer_cast<addin::COMAddIn>(AddInInst);
            record(QStringLiteral("OnConnection %1 %2 %3")
                       .arg(ConnectMode)
                       .arg(m_application->Name(), instance ? instance->ProgId() : QStringLiteral("?")));
        } catch (const core::Error& e) {
            record(QStringLiteral("OnConnection failed %1 %2").arg(e.number()).arg(e.description()));
        }
    }

    void AddinInstance_OnDisconnection(int RemoveMode, std::vector<QVariant>&) override
    {
        record(QStringLiteral("OnDisconnection %1").arg(RemoveMode));
        m_application.reset();
    }

private:
    bool m_failInitialize;
    std::shared_ptr<FixtureWordApplication> m_application;
};

} // namespace

extern "C" int tvDllRegisterServer(const char* storeFile)
{
    return addin::registerServer(kRecord, storeFile, reinterpret_cast<const void*>(&tvDllRegisterServer));
}

extern "C" int tvDllUnregisterServer(const char* storeFile)
{
    return addin::unregisterServer(kRecord.progId, storeFile);
}

extern "C" addin::AddinDesigner* tvDllGetObject(const char* progId)
{
    if (progId && kFailingProgId == QLatin1String(progId))
        return new Connect(true);
    return addin::createObject<Connect>(progId, kRecord.progId);
}
