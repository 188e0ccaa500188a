#include "samplesite.h"

#include <httplib.h>

// Counter pages: any /update/<name>.php answers with a tiny page; the request log is what counts.
// The advertisement strip's page (AdWebAdr in the settings template) is served beside them.
void registerCounterRoutes(SampleSite& site)
{
    site.server().Get(R"(/update/([A-Za-z0-9_]+)\.php)", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("<html><body>ok</body></html>", "text/html");
    });
    site.server().Get("/ad/strip.html", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("<html><body style=\"margin:0;background:#ffd\">"
                             "<p style=\"margin:2px;font-size:12px\">Sample advertisement strip</p></body></html>",
                             "text/html");
    });
}
