#include "res/menu_bars.h"

#include "db/translation.h"
#include "res/resource_ids.h"

namespace zelvan::res {
namespace {

// Every popup ends with the choice of language, which applies at once to every window open.
constexpr MenuItem kLanguageItem{kCmdLanguage, ZELVAN_TEXT("zelvan", "语言")};

// The query and download dialogs share one layout: "确定" runs, and the right key is "菜单" as
// in every other window (F2 always opens a menu), whose "返回" closes. The station dialog keeps
// its question on the main list ("收藏").
MenuBarDescription dialogBar(int id, bool favourite = false) {
    MenuBarDescription bar{id,
                           {kCmdLeftKey, kStrOk, false},
                           {0, kStrMenu, true},
                           {{kCmdBack, ZELVAN_TEXT("zelvan", "返回")}}};
    if (favourite) bar.popupItems.push_back({kCmdFavourite, ZELVAN_TEXT("zelvan", "收藏")});
    bar.popupItems.push_back(kLanguageItem);
    return bar;
}

const std::vector<MenuBarDescription>& descriptions() {
    static const std::vector<MenuBarDescription> list{
        // The entries say what they do (the original's "确定", "更新" and "恢复上一版" did not
        // say of what).
        {kMenuBarMain,
         {kCmdLeftKey, kStrExit, false},
         {0, kStrMenu, true},
         {{kCmdAbout, ZELVAN_TEXT("zelvan", "关于")},
          {kCmdMenuOk, ZELVAN_TEXT("zelvan", "打开所选项")},
          {kCmdUpdate, ZELVAN_TEXT("zelvan", "更新时刻表")},
          {kCmdRollBack, ZELVAN_TEXT("zelvan", "恢复上一版时刻表")},
          kLanguageItem,
          {kCmdRemoveFavourite, ZELVAN_TEXT("zelvan", "删除所选收藏")}}},
        // "返回" moves into the popup beside "换乘方案", as in the other popups.
        {kMenuBarStationToStation,
         {kCmdLeftKey, kStrOk, false},
         {0, kStrMenu, true},
         {{kCmdBack, ZELVAN_TEXT("zelvan", "返回")},
          {kCmdJourneys, ZELVAN_TEXT("zelvan", "换乘方案")},
          {kCmdFavourite, ZELVAN_TEXT("zelvan", "收藏")},
          kLanguageItem}},
        dialogBar(kMenuBarTrainNumber),
        dialogBar(kMenuBarStation, true),
        dialogBar(kMenuBarDownloads),
        dialogBar(kMenuBarJourney),
        {kMenuBarResults,
         {kCmdLeftKey, kStrView, false},
         {0, kStrResultsMenu, true},
         {{kCmdResultsBack, ZELVAN_TEXT("zelvan", "返回")},
          {kCmdSendMessage, ZELVAN_TEXT("zelvan", "短消息")},
          kLanguageItem}},
        {kMenuBarResultsJourneys,
         {kCmdLeftKey, kStrView, false},
         {0, kStrResultsMenu, true},
         {{kCmdResultsBack, ZELVAN_TEXT("zelvan", "返回")},
          {kCmdSendMessage, ZELVAN_TEXT("zelvan", "短消息")},
          {kCmdJourneys, ZELVAN_TEXT("zelvan", "换乘方案")},
          kLanguageItem}},
        // Views of rides (trains, journeys, legs) put the chosen one in the calendar.
        {kMenuBarResultsCalendar,
         {kCmdLeftKey, kStrView, false},
         {0, kStrResultsMenu, true},
         {{kCmdResultsBack, ZELVAN_TEXT("zelvan", "返回")},
          {kCmdSendMessage, ZELVAN_TEXT("zelvan", "短消息")},
          {kCmdAddToCalendar, ZELVAN_TEXT("zelvan", "加入日历")},
          kLanguageItem}},
        {kMenuBarResultsJourneysCalendar,
         {kCmdLeftKey, kStrView, false},
         {0, kStrResultsMenu, true},
         {{kCmdResultsBack, ZELVAN_TEXT("zelvan", "返回")},
          {kCmdSendMessage, ZELVAN_TEXT("zelvan", "短消息")},
          {kCmdJourneys, ZELVAN_TEXT("zelvan", "换乘方案")},
          {kCmdAddToCalendar, ZELVAN_TEXT("zelvan", "加入日历")},
          kLanguageItem}},
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
