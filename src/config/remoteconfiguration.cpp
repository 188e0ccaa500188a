#include "config/remoteconfiguration.h"

RemoteConfiguration& RemoteConfig()
{
    static RemoteConfiguration record;
    return record;
}
