#pragma once

#include <QString>

#include <optional>
#include <vector>

// The registration store: a QSettings ini file whose keys mirror the Windows registry keys a
// Word add-in is registered under.
namespace addin {

struct AddinRecord {
    QString progId;        // "QLF.Connect"
    QString friendlyName;
    QString description;
    int loadBehavior = 0;  // 3: loaded and connected when the host starts
    QString libraryPath;   // the class registration: the library that serves progId
};

// LoadBehavior of an add-in the host loads and connects at start.
constexpr int kLoadAtStartup = 3;

class Registry {
public:
    // The store in file, or the default store when file is empty.
    explicit Registry(const QString& file = {});

    // $TARVELIN_REGISTRY if set, otherwise registry.ini in the user's config folder.
    static QString defaultPath();
    const QString& fileName() const { return m_file; }

    // Writes the add-in record and its class registration; false if the store cannot be written.
    bool write(const AddinRecord& record) const;
    // Removes both; false if the store cannot be written.
    bool remove(const QString& progId) const;

    std::optional<AddinRecord> record(const QString& progId) const;
    // Every registered Word add-in, in key order.
    std::vector<AddinRecord> records() const;

private:
    QString m_file;
};

} // namespace addin
