#pragma once

#include "platform/addin/AddinDesigner.h"
#include "platform/addin/Registry.h"
#include "platform/core/Object.h"

#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <vector>

class QLibrary;

// The host's side of add-ins: install-time registration and loading at start.
namespace addin {

// Loads the library and lets it write its own record into the store (empty: the default
// store), then unloads it. Throws core::Error with a Japanese description naming the file.
void registerLibrary(const QString& libraryPath, const QString& storeFile = {});
// The same with the library's unregistration entry: its record is removed.
void unregisterLibrary(const QString& libraryPath, const QString& storeFile = {});

// Loads and connects the registered add-ins, and disconnects and unloads them again.
class AddinManager {
public:
    // The registration stores, as Registry takes them.
    explicit AddinManager(const QString& storeFile = {}, const QString& systemStoreFile = {});
    // Disconnects whatever is still connected.
    ~AddinManager();
    AddinManager(const AddinManager&) = delete;
    AddinManager& operator=(const AddinManager&) = delete;

    // Every record with LoadBehavior 3: load its library, create the entry object, raise
    // Initialize then OnConnection. A record that fails adds a message to errors() and the
    // others still load.
    void connectAll(const std::shared_ptr<core::Object>& application, int connectMode = ext_cm_Startup);
    // OnDisconnection, destroy the entry object, unload the library; last connected first.
    void disconnectAll(int removeMode = ext_dm_HostShutdown);

    // Programmatic identifiers of the connected add-ins, in connection order.
    QStringList connected() const;
    // Their registration records, in the same order.
    std::vector<AddinRecord> connectedRecords() const;
    // Japanese messages for the host to show, one per failure.
    const QStringList& errors() const { return m_errors; }

private:
    struct Loaded;
    void connect(const AddinRecord& record, const std::shared_ptr<core::Object>& application, int connectMode);
    // The loaded library at path, shared by every add-in it serves.
    std::shared_ptr<QLibrary> library(const QString& path);

    Registry m_registry;
    std::vector<std::unique_ptr<Loaded>> m_loaded;
    std::map<QString, std::weak_ptr<QLibrary>> m_libraries;
    QStringList m_errors;
};

} // namespace addin
