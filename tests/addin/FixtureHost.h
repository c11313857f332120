#pragma once

#include "platform/core/Object.h"

#include <QString>
#include <QtGlobal>

// Host objects the addin tests hand to the fixture add-in, and the call log it writes to. All
// are defined in the test program, which exports them to the add-in it loads.

// The application the fixture add-in expects, as the real add-in expects Word's.
class Q_DECL_EXPORT FixtureWordApplication : public core::Object {
public:
    ~FixtureWordApplication() override;
    QString Name() const { return QStringLiteral("FixtureWord"); }
};

// An application of another kind.
class Q_DECL_EXPORT FixtureOtherApplication : public core::Object {
public:
    ~FixtureOtherApplication() override;
};

extern "C" void fixtureRecord(const char* call);
