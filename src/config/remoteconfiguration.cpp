#include "config/remoteconfiguration.h"

RemoteConfiguration& remoteConfig()
{
    static RemoteConfiguration record;
    return record;
}
