#include "core/pure/form.h"

#include <algorithm>

namespace sarvo {

std::vector<const ControlSpec*> FocusOrder(const FormSpec& form) {
    std::vector<const ControlSpec*> order;
    for (const ControlSpec& c : form.controls)
        if (TakesFocus(c)) order.push_back(&c);
    std::stable_sort(order.begin(), order.end(),
                     [](const ControlSpec* a, const ControlSpec* b) { return a->tabIndex < b->tabIndex; });
    return order;
}

std::vector<int> PictureSizes(Picture picture) {
    switch (picture) {
        case Picture::None: return {};
        case Picture::Folder: return {12, 16, 24, 32, 48, 64, 128};
        case Picture::SettingToolIcon:
        case Picture::TrashBox:
        case Picture::UninstallerIcon: break;
    }
    return {16, 24, 32, 48, 64, 128};
}

int PictureSizeFor(Picture picture, int room) {
    const std::vector<int> sizes = PictureSizes(picture);
    if (sizes.empty()) return 0;
    int fitting = sizes.front();
    for (int size : sizes)
        if (size <= room) fitting = size;
    return fitting;
}

}  // namespace sarvo
