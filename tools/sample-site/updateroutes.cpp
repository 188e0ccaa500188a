#include "samplesite.h"

#include <httplib.h>

void registerUpdateRoutes(SampleSite&) {}
