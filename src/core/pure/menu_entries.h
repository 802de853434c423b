// The suite's entries in the desktop's application menu: the changer, whose
// entry also offers what holding Space, D or N at its start does, and the
// settings tool. Where keys held at start cannot be read (a Wayland session
// lets no program see them), these actions are the way to those choices.
#pragma once

#include <string>
#include <vector>

namespace sarvo {

// A choice on an entry's own menu (a right click on the entry or its dock
// icon): `program` started with `argument`, or with no argument when empty.
struct MenuAction {
    std::string id;        // its name in the entry: letters, digits and '-'
    std::string name;      // shown in the menu
    std::string program;   // a full path
    std::string argument;
};

// An entry that starts `program` with no argument.
struct MenuEntry {
    std::string id;           // its file name without ".desktop", and its icon's name
    std::string name;         // shown in the menu
    std::string comment;      // shown as its tip
    std::string program;      // a full path
    std::vector<MenuAction> actions;
};

// The suite's two entries. The changer's actions start `settingTool` as the
// changer itself does when a key is held at its start: plain for Space,
// with "/delskip" for D and with "/nowall" for N.
std::vector<MenuEntry> SuiteMenuEntries(const std::string& changer, const std::string& settingTool);

}  // namespace sarvo
