#include "core/pure/menu_entries.h"

namespace sarvo {

std::vector<MenuEntry> SuiteMenuEntries(const std::string& changer, const std::string& settingTool) {
    // The actions' names are the captions of the settings window's own
    // controls for the same thing.
    MenuEntry changerEntry{"sarvo-backdrop-changer",
                           "壁紙をチェンジ",
                           "フォルダの中からランダムに画像を選択して、壁紙に設定します。（Sarvo Backdrop Changer）",
                           changer,
                           {
                               {"settings", "SettingToolを開く", settingTool, ""},
                               {"delete-skip", "デリートスキップ", settingTool, "/delskip"},
                               {"wallpaper-off", "壁紙を無効にする", settingTool, "/nowall"},
                           }};
    // Named as its window.
    MenuEntry settingToolEntry{"sarvo-setting-tool",
                               "Sarvo Changer SettingTool",
                               "壁紙格納フォルダや壁紙の表示のしかたを設定します。",
                               settingTool,
                               {}};
    return {changerEntry, settingToolEntry};
}

}  // namespace sarvo
