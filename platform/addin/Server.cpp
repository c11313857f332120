#include "platform/addin/Server.h"

#include <QFileInfo>

#include <dlfcn.h>

namespace addin {

namespace {

QString storePath(const char* storeFile)
{
    return storeFile ? QString::fromUtf8(storeFile) : QString();
}

// A copy with its own buffer. The store caches what it wrote past the library's unload, and a
// QStringLiteral's copies still point into the library's read-only data.
QString owned(const QString& text)
{
    return QString(text.constData(), text.size());
}

} // namespace

int registerServer(AddinRecord record, const char* storeFile, const void* addressInLibrary)
{
    record.progId = owned(record.progId);
    record.friendlyName = owned(record.friendlyName);
    record.description = owned(record.description);
    Dl_info info{};
    if (!dladdr(addressInLibrary, &info) || !info.dli_fname)
        return RegisterLibraryNotFound;
    record.libraryPath = QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
    return Registry(storePath(storeFile)).write(record) ? RegisterOk : RegisterStoreNotWritable;
}

int unregisterServer(const QString& progId, const char* storeFile)
{
    return Registry(storePath(storeFile)).remove(progId) ? RegisterOk : RegisterStoreNotWritable;
}

} // namespace addin
