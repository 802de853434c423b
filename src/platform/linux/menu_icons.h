// The icons of the suite's application-menu entries: the generator's PNG
// copies from resources/, built into the programs (menu_icons.cpp is made
// from them by CMake), so that no file beside the programs is needed.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace sarvo::platform::linux_menu {

struct IconFile {
    std::string_view name;  // the icon's name, which is its entry's id
    int size;               // pixels square
    const unsigned char* data;
    std::size_t length;
};

// Every size of every icon.
std::span<const IconFile> IconFiles();

}  // namespace sarvo::platform::linux_menu
