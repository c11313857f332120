#pragma once

#include <QString>

#include <optional>
#include <vector>

// The registration store: a QSettings ini file whose keys mirror the Windows registry keys a
// Word add-in is registered under. Two files are read: the system's, installed with the add-ins
// it registers, and the user's, which is the only one written and wins for any add-in in both.
namespace addin {

struct AddinRecord {
    QString progId;        // "QLF.Connect"
    QString friendlyName;
    QString description;
    int loadBehavior = 0;  // 3: loaded and connected when the host starts
    QString libraryPath;   // the class registration: the library that serves progId
                           // (in the store, a bare file name when the library lies beside it)
};

// LoadBehavior of an add-in the host loads and connects at start.
constexpr int kLoadAtStartup = 3;

class Registry {
public:
    // The user's store in file and the system's in systemFile; either empty: its default.
    explicit Registry(const QString& file = {}, const QString& systemFile = {});

    // $TARVELIN_REGISTRY if set, otherwise registry.ini in the user's config folder.
    static QString defaultPath();
    // registry.ini in the add-ins folder beside this library, as installed: lib/tarvelin/addins.
    static QString systemPath();
    const QString& fileName() const { return m_file; }
    const QString& systemFileName() const { return m_systemFile; }

    // Writes the add-in record and its class registration into the user's store; false if it
    // cannot be written.
    bool write(const AddinRecord& record) const;
    // Removes both from the user's store. An add-in the system registers stays there, so the
    // user's store keeps it instead with LoadBehavior 0: switched off for this user only.
    // False if the store cannot be written.
    bool remove(const QString& progId) const;

    // The user's record of progId if there is one, otherwise the system's.
    std::optional<AddinRecord> record(const QString& progId) const;
    // Every registered Word add-in of either store, in key order.
    std::vector<AddinRecord> records() const;

private:
    QString m_file;
    QString m_systemFile;
};

} // namespace addin
