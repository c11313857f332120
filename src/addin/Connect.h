#pragma once

#include "platform/addin/AddinDesigner.h"

#include <functional>
#include <memory>

class clsQLFResultButton;
class clsQLFSearchButton;

// The add-in's entry object: connection creates the globals, the two windows and the two menu
// items; disconnection removes and releases them again, going on past any step that fails.
class Connect : public addin::AddinDesigner {
public:
    Connect();
    ~Connect() override;

    void AddinInstance_Initialize() override;
    // Only Application is used; a host that is not Word gets the failure box and no windows.
    void AddinInstance_OnConnection(std::shared_ptr<core::Object> Application, int ConnectMode,
                                    std::shared_ptr<core::Object> AddInInst,
                                    std::vector<QVariant>& custom) override;
    void AddinInstance_OnDisconnection(int RemoveMode, std::vector<QVariant>& custom) override;

private:
    // Runs one step of the disconnection; a failure is logged and the next step runs.
    static void disconnectionStep(const std::function<void()>& step);

    std::shared_ptr<clsQLFResultButton> m_objResultButton;
    std::shared_ptr<clsQLFSearchButton> m_objSearchButton;
};
