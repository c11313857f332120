#pragma once

#include "platform/addin/AddinDesigner.h"
#include "platform/addin/Registry.h"

#include <QtGlobal>

// What an add-in library exports, the counterparts of an in-process server's DllRegisterServer,
// DllUnregisterServer and class factory. The host finds them by name; the library defines them
// in a few lines with the helpers below.
extern "C" {

// Writes the library's registration record, its own path included, into the store file
// (null or empty: the default store). Returns a RegisterStatus.
Q_DECL_EXPORT int tvDllRegisterServer(const char* storeFile);
// Removes that record. Returns a RegisterStatus.
Q_DECL_EXPORT int tvDllUnregisterServer(const char* storeFile);
// A new entry object for the programmatic identifier, or null if the library does not serve
// it. The caller deletes it before it unloads the library.
Q_DECL_EXPORT addin::AddinDesigner* tvDllGetObject(const char* progId);

} // extern "C"

namespace addin {

inline constexpr char kRegisterEntry[] = "tvDllRegisterServer";
inline constexpr char kUnregisterEntry[] = "tvDllUnregisterServer";
inline constexpr char kGetObjectEntry[] = "tvDllGetObject";

enum RegisterStatus : int {
    RegisterOk = 0,
    RegisterStoreNotWritable = 1,
    RegisterLibraryNotFound = 2, // the library could not name its own file
};

// Writes record into the store, with the path of the library that holds addressInLibrary
// (pass the address of the library's own tvDllRegisterServer).
int registerServer(AddinRecord record, const char* storeFile, const void* addressInLibrary);
int unregisterServer(const QString& progId, const char* storeFile);

// The body of tvDllGetObject for a library serving one entry class.
template <typename Entry>
AddinDesigner* createObject(const char* progId, const QString& served) noexcept
{
    if (!progId || served != QLatin1String(progId))
        return nullptr;
    try {
        return new Entry;
    } catch (...) {
        return nullptr;
    }
}

} // namespace addin
