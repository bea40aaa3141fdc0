#include "res/strings.h"

#include <array>
#include <utility>

#include "res/resource_ids.h"

namespace zelvan::res {
namespace {

constexpr std::array<std::pair<int, std::u16string_view>, 14> kStrings{{
    {kStrTitle, u"Zelvan时刻表"},
    {kStrClassName, u"Zelvan"},
    {kStrHomepage, u"访问主页"},
    {kStrOk, u"确定"},
    {kStrMenu, u"菜单"},
    {kStrBack, u"返回"},
    {kStrExit, u"退出"},
    {kStrView, u"查看"},
    {kStrSendMessage, u"短消息"},
    {kStrResultsMenu, u"菜单"},
    {kStrStationToStation, u"站站查询"},
    {kStrTrainNumber, u"车次查询"},
    {kStrStation, u"车站查询"},
    {kStrDownloads, u"推荐下载"},
}};

}  // namespace

std::u16string_view resourceString(int id) {
    for (const auto& [key, text] : kStrings) {
        if (key == id) return text;
    }
    return {};
}

}  // namespace zelvan::res
