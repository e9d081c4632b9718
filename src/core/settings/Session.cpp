#include "core/settings/Session.h"

#include "core/settings/Settings.h"

namespace Keys = SettingsKeys;

Session Session::Read(const Settings &settings, const QString &programDir)
{
    Session session;
    session.inspector = settings.Read(Keys::kLoginInspector);
    session.batchNo = settings.Read(Keys::kLoginBatchNo);
    session.sampleName = settings.Read(Keys::kLoginSampleName);
    session.unit = settings.Read(Keys::kLoginUnit);
    session.serialNo = settings.Read(Keys::kLoginSerialNo);
    // The run's sample store holds 256 values; a hand-edited count outside 1 to 256 would let
    // a run outgrow it or never complete sensibly.
    session.sampleCount = Keys::BoundedSampleCount(settings.Read(Keys::kSampleCount));
    session.programDir = programDir;
    return session;
}

void Session::StoreLogin(Settings &settings) const
{
    settings.Write({ { Keys::kLoginInspector, inspector },
                     { Keys::kLoginBatchNo, batchNo },
                     { Keys::kLoginSampleName, sampleName },
                     { Keys::kLoginUnit, unit },
                     { Keys::kLoginSerialNo, serialNo } });
}
