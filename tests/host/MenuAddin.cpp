// A small add-in for the host tests: on connection it puts a temporary item at the top of the
// ツール(&T) menu whose click opens the comment pane of the active document; on disconnection
// it deletes the item itself, which fails if the host removed its temporary controls first.

#include "platform/addin/Server.h"
#include "platform/core/Error.h"
#include "platform/office/CommandBars.h"
#include "platform/word/Application.h"
#include "platform/word/Document.h"
#include "platform/word/Window.h"

namespace {

const addin::AddinRecord kRecord{QStringLiteral("HostFixture.Connect"), QStringLiteral("HostFixture"),
                                 QStringLiteral("ホストのテスト用アドインです"), addin::kLoadAtStartup, {}};

class Connect : public addin::AddinDesigner {
public:
    void AddinInstance_Initialize() override {}

    void AddinInstance_OnConnection(std::shared_ptr<core::Object> Application, int, std::shared_ptr<core::Object>,
                                    std::vector<QVariant>&) override
    {
        m_app = std::dynamic_pointer_cast<word::Application>(Application);
        if (!m_app)
            throw core::runtimeError(core::TypeMismatch, QStringLiteral("HostFixture"));
        auto tools = std::static_pointer_cast<office::CommandBarPopup>(
            m_app->CommandBars()->Item(QStringLiteral("Menu Bar"))->Controls()->Item(QStringLiteral("ツール(&T)")));
        auto button = std::static_pointer_cast<office::CommandBarButton>(
            tools->CommandBar()->Controls()->Add(office::msoControlButton, office::kCustomControlId, {}, 1, true));
        button->setTag(QStringLiteral("host-fixture.item"));
        button->setCaption(QStringLiteral("フィクスチャの項目"));
        m_button = button;
    }

    void AddinInstance_OnDisconnection(int, std::vector<QVariant>&) override
    {
        m_button->Delete();
        m_button = nullptr;
        m_app.reset();
    }

private:
    std::shared_ptr<word::Application> m_app;
    office::WithEventsButton m_button{[this](const std::shared_ptr<office::CommandBarButton>&, bool&) {
        m_app->ActiveDocument()->ActiveWindow()->View()->setSplitSpecial(word::wdPaneComments);
    }};
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
    return addin::createObject<Connect>(progId, kRecord.progId);
}
