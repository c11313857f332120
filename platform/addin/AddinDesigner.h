#pragma once

#include "platform/core/Object.h"

#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

// The add-in connection contract: the events a host raises on an add-in's entry object.
namespace addin {

// How the host came to connect the add-in.
enum ConnectMode : int {
    ext_cm_AfterStartup = 0,
    ext_cm_Startup = 1,
    ext_cm_External = 2,
    ext_cm_CommandLine = 3,
};

// Why the host disconnects it.
enum RemoveMode : int {
    ext_dm_HostShutdown = 0,
    ext_dm_UserClosed = 1,
};

// The entry object of an add-in. The host creates it, raises Initialize, then OnConnection,
// and at the end OnDisconnection before it destroys the object.
class AddinDesigner {
public:
    virtual ~AddinDesigner();

    // Errors thrown here reach the host, which reports them and does not connect the add-in.
    virtual void AddinInstance_Initialize() = 0;
    // Application is the host's late-bound application object: convert it with
    // std::dynamic_pointer_cast and treat failure as a type mismatch.
    virtual void AddinInstance_OnConnection(std::shared_ptr<core::Object> Application, int ConnectMode,
                                            std::shared_ptr<core::Object> AddInInst,
                                            std::vector<QVariant>& custom) = 0;
    virtual void AddinInstance_OnDisconnection(int RemoveMode, std::vector<QVariant>& custom) = 0;
};

// The host's record of one connected add-in, handed over as AddInInst.
class COMAddIn : public core::Object {
public:
    COMAddIn(QString progId, QString description);
    ~COMAddIn() override;

    const QString& ProgId() const { return m_progId; }
    const QString& Description() const { return m_description; }
    bool Connect() const { return m_connected; }
    void setConnected(bool connected) { m_connected = connected; }

private:
    QString m_progId;
    QString m_description;
    bool m_connected = false;
};

} // namespace addin
