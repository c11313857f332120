// The in-process server libQLF.so: its registration record and its one entry class, Connect.

#include "platform/addin/Server.h"
#include "src/addin/Connect.h"

namespace {

const QString kProgId = QStringLiteral("QLF.Connect");

addin::AddinRecord record()
{
    return {kProgId, QStringLiteral("Tarvelin"), QStringLiteral("ワードドキュメントを検索して一覧表示します"),
            addin::kLoadAtStartup, {}};
}

} // namespace

extern "C" int tvDllRegisterServer(const char* storeFile)
{
    return addin::registerServer(record(), storeFile, reinterpret_cast<const void*>(&tvDllRegisterServer));
}

extern "C" int tvDllUnregisterServer(const char* storeFile)
{
    return addin::unregisterServer(kProgId, storeFile);
}

extern "C" addin::AddinDesigner* tvDllGetObject(const char* progId)
{
    return addin::createObject<Connect>(progId, kProgId);
}
