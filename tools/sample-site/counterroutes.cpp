#include "samplesite.h"

#include <httplib.h>

// Counter pages: any /update/<name>.php answers with a tiny page; the request log is what counts.
void registerCounterRoutes(SampleSite& site)
{
    site.server().Get(R"(/update/([A-Za-z0-9_]+)\.php)", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("<html><body>ok</body></html>", "text/html");
    });
}
