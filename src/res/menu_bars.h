// The menu-bar descriptions: the two soft keys of every window and the popup a key may open.
#pragma once

#include <string_view>
#include <vector>

namespace zelvan::res {

struct MenuItem {
    int command = 0;
    std::u16string_view text;
};

struct SoftKey {
    int command = 0;     // sent when the key is pressed; 0 for a key that opens the popup
    int textId = 0;      // string id of the key's text
    bool popup = false;  // the key opens the description's popup menu
};

struct MenuBarDescription {
    int id = 0;
    SoftKey left;
    SoftKey right;
    std::vector<MenuItem> popupItems;  // in menu order; empty when no key has a popup
};

// The description with number `id`; nullptr for an unknown number.
const MenuBarDescription* menuBarDescription(int id);

}  // namespace zelvan::res
