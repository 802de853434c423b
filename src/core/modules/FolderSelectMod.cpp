#include "core/modules/FolderSelectMod.h"

namespace sarvo {

platform::DialogResult BrowseFolder(const std::string& startFolder, std::string& chosen, std::string& why) {
    chosen.clear();
    const auto result = platform::BrowseForFolder("フォルダを選択してください。", startFolder, chosen, why);
    if (result != platform::DialogResult::Ok) chosen.clear();
    return result;
}

}  // namespace sarvo
