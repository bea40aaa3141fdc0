#include "res/menu_bars.h"

#include "res/resource_ids.h"

namespace zelvan::res {
namespace {

// The query and download dialogs share one layout: "确定" runs, "返回" closes.
MenuBarDescription dialogBar(int id) {
    return {id, {kCmdLeftKey, kStrOk, false}, {kCmdBack, kStrBack, false}, {}};
}

const std::vector<MenuBarDescription>& descriptions() {
    static const std::vector<MenuBarDescription> list{
        {kMenuBarMain,
         {kCmdLeftKey, kStrExit, false},
         {0, kStrMenu, true},
         {{kCmdAbout, u"关于"},
          {kCmdMenuOk, u"确定"},
          {kCmdUpdate, u"更新"},
          {kCmdRollBack, u"恢复上一版"}}},
        // "返回" moves into the popup beside "换乘方案", as in the other popups.
        {kMenuBarStationToStation,
         {kCmdLeftKey, kStrOk, false},
         {0, kStrMenu, true},
         {{kCmdBack, u"返回"}, {kCmdJourneys, u"换乘方案"}}},
        dialogBar(kMenuBarTrainNumber),
        dialogBar(kMenuBarStation),
        dialogBar(kMenuBarDownloads),
        {kMenuBarResults,
         {kCmdLeftKey, kStrView, false},
         {0, kStrResultsMenu, true},
         {{kCmdResultsBack, u"返回"}, {kCmdSendMessage, u"短消息"}}},
        {kMenuBarResultsJourneys,
         {kCmdLeftKey, kStrView, false},
         {0, kStrResultsMenu, true},
         {{kCmdResultsBack, u"返回"}, {kCmdSendMessage, u"短消息"}, {kCmdJourneys, u"换乘方案"}}},
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
