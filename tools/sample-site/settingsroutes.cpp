#include "samplesite.h"

#include <httplib.h>

void registerSettingsRoutes(SampleSite&) {}
