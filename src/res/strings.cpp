#include "res/strings.h"

#include <array>
#include <utility>

#include "db/translation.h"
#include "res/resource_ids.h"

namespace zelvan::res {
namespace {

constexpr std::array<std::pair<int, std::u16string_view>, 15> kStrings{{
    {kStrTitle, ZELVAN_TEXT("zelvan", "Zelvan时刻表")},
    {kStrClassName, u"Zelvan"},
    {kStrHomepage, ZELVAN_TEXT("zelvan", "访问主页")},
    {kStrOk, ZELVAN_TEXT("zelvan", "确定")},
    {kStrMenu, ZELVAN_TEXT("zelvan", "菜单")},
    {kStrBack, ZELVAN_TEXT("zelvan", "返回")},
    {kStrExit, ZELVAN_TEXT("zelvan", "退出")},
    {kStrView, ZELVAN_TEXT("zelvan", "查看")},
    {kStrSendMessage, ZELVAN_TEXT("zelvan", "短消息")},
    {kStrResultsMenu, ZELVAN_TEXT("zelvan", "菜单")},
    {kStrStationToStation, ZELVAN_TEXT("zelvan", "站站查询")},
    {kStrTrainNumber, ZELVAN_TEXT("zelvan", "车次查询")},
    {kStrStation, ZELVAN_TEXT("zelvan", "车站查询")},
    {kStrDownloads, ZELVAN_TEXT("zelvan", "推荐下载")},
    {kStrJourneys, ZELVAN_TEXT("zelvan", "换乘方案")},
}};

}  // namespace

std::u16string_view resourceString(int id) {
    for (const auto& [key, text] : kStrings) {
        if (key == id) return text;
    }
    return {};
}

}  // namespace zelvan::res
