#include "samplesite.h"

#include <httplib.h>

#include <string>

namespace {

// A small stand-in for an outside music or MV page: a title and a play list.
std::string portalPage(const std::string& title, const std::string& accent, const char* const* items)
{
    std::string list;
    for (int i = 0; items[i]; ++i)
        list += "<li><span class=\"n\">" + std::to_string(i + 1) + "</span>" + items[i] + "</li>\n";
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title +
           "</title>\n<style>\n"
           "body{margin:0;font-family:'Noto Sans CJK SC',sans-serif;background:#111;color:#ddd}\n"
           "header{padding:18px 28px;background:linear-gradient(90deg," +
           accent +
           ",#222);color:#fff;font-size:26px}\n"
           "ol{list-style:none;margin:18px 28px;padding:0}\n"
           "li{padding:10px 14px;border-bottom:1px solid #333;font-size:17px}\n"
           "li:hover{background:#222}\n"
           ".n{display:inline-block;width:34px;color:" +
           accent + "}\n</style></head>\n<body><header>" + title + "</header>\n<ol>\n" + list +
           "</ol>\n</body></html>\n";
}

const char* const kSongs[] = {"晴天 - 轻音乐版", "夜空中最亮的星", "小幸运", "稻香", "平凡之路", "海阔天空", nullptr};
const char* const kVideos[] = {"[MV] 夏日晚风", "[MV] 城市之光", "[MV] 远方的歌",
                               "[MV] 温柔的雨", "[MV] 星辰大海", nullptr};

} // namespace

// Pages for the music and MV windows: /portal/music.htm and /portal/mv.htm.
void registerPortalRoutes(SampleSite& site)
{
    site.server().Get("/portal/music.htm", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(portalPage("音乐欣赏", "#c0392b", kSongs), "text/html; charset=utf-8");
    });
    site.server().Get("/portal/mv.htm", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(portalPage("MV 欣赏", "#2980b9", kVideos), "text/html; charset=utf-8");
    });
}
