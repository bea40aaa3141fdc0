#include "res/menu_bars.h"

#include "db/translation.h"
#include "res/resource_ids.h"

namespace zelvan::res {
namespace {

// The query and download dialogs share one layout: "确定" runs, and the right key is "菜单" as
// in every other window (F2 always opens a menu), whose "返回" closes.
MenuBarDescription dialogBar(int id) {
    return {id,
            {kCmdLeftKey, kStrOk, false},
            {0, kStrMenu, true},
            {{kCmdBack, ZELVAN_TEXT("zelvan", "返回")}}};
}

const std::vector<MenuBarDescription>& descriptions() {
    static const std::vector<MenuBarDescription> list{
        {kMenuBarMain,
         {kCmdLeftKey, kStrExit, false},
         {0, kStrMenu, true},
         {{kCmdAbout, ZELVAN_TEXT("zelvan", "关于")},
          {kCmdMenuOk, ZELVAN_TEXT("zelvan", "确定")},
          {kCmdUpdate, ZELVAN_TEXT("zelvan", "更新")},
          {kCmdRollBack, ZELVAN_TEXT("zelvan", "恢复上一版")},
          {kCmdLanguage, ZELVAN_TEXT("zelvan", "语言")}}},
        // "返回" moves into the popup beside "换乘方案", as in the other popups.
        {kMenuBarStationToStation,
         {kCmdLeftKey, kStrOk, false},
         {0, kStrMenu, true},
         {{kCmdBack, ZELVAN_TEXT("zelvan", "返回")},
          {kCmdJourneys, ZELVAN_TEXT("zelvan", "换乘方案")}}},
        dialogBar(kMenuBarTrainNumber),
        dialogBar(kMenuBarStation),
        dialogBar(kMenuBarDownloads),
        dialogBar(kMenuBarJourney),
        {kMenuBarResults,
         {kCmdLeftKey, kStrView, false},
         {0, kStrResultsMenu, true},
         {{kCmdResultsBack, ZELVAN_TEXT("zelvan", "返回")},
          {kCmdSendMessage, ZELVAN_TEXT("zelvan", "短消息")}}},
        {kMenuBarResultsJourneys,
         {kCmdLeftKey, kStrView, false},
         {0, kStrResultsMenu, true},
         {{kCmdResultsBack, ZELVAN_TEXT("zelvan", "返回")},
          {kCmdSendMessage, ZELVAN_TEXT("zelvan", "短消息")},
          {kCmdJourneys, ZELVAN_TEXT("zelvan", "换乘方案")}}},
        // Views of rides (trains, journeys, legs) put the chosen one in the calendar.
        {kMenuBarResultsCalendar,
         {kCmdLeftKey, kStrView, false},
         {0, kStrResultsMenu, true},
         {{kCmdResultsBack, ZELVAN_TEXT("zelvan", "返回")},
          {kCmdSendMessage, ZELVAN_TEXT("zelvan", "短消息")},
          {kCmdAddToCalendar, ZELVAN_TEXT("zelvan", "加入日历")}}},
        {kMenuBarResultsJourneysCalendar,
         {kCmdLeftKey, kStrView, false},
         {0, kStrResultsMenu, true},
         {{kCmdResultsBack, ZELVAN_TEXT("zelvan", "返回")},
          {kCmdSendMessage, ZELVAN_TEXT("zelvan", "短消息")},
          {kCmdJourneys, ZELVAN_TEXT("zelvan", "换乘方案")},
          {kCmdAddToCalendar, ZELVAN_TEXT("zelvan", "加入日历")}}},
    };
    return list;
}

}  // namespace

const MenuBarDescription* menuBarDescription(int id) {
    for (const MenuBarDescription& description : descriptions()) {
        if (description.id == id) return &description;
    }
    return nullptr;
}

}  // namespace zelvan::res
