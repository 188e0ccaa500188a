#include "samplesite.h"

#include <httplib.h>

void registerSearchRoutes(SampleSite&) {}
