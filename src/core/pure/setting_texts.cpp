#include "core/pure/setting_texts.h"

#include <cstdio>
#include <cstdlib>

namespace sarvo {

namespace {

constexpr const char* kPixels = " ピクセル";

std::string RightAligned(long long number, std::size_t width) {
    std::string digits = std::to_string(number);
    if (digits.size() < width) digits.insert(0, width - digits.size(), ' ');
    return digits;
}

}  // namespace

std::string ScreenSizeCaption(int width, int height) {
    return std::to_string(width) + " x " + std::to_string(height) + kPixels;
}

std::string WallpaperSizeCaption(std::int32_t width, std::int32_t height) {
    // Widened first: the absolute value of the most negative height does not
    // fit 32 bits.
    return RightAligned(width, 4) + " x " + RightAligned(std::llabs(static_cast<long long>(height)), 4) + kPixels;
}

std::string ProposedWallpaperName(const std::tm& when) {
    char digits[64];
    std::snprintf(digits, sizeof digits, "%04d%02d%02d%02d%02d%02d", when.tm_year + 1900, when.tm_mon + 1,
                  when.tm_mday, when.tm_hour, when.tm_min, when.tm_sec);
    return std::string("Wallpaper") + digits;
}

std::string NumberedName(std::string_view name, int number) {
    const std::string suffix = " (" + std::to_string(number) + ")";
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return std::string(name) + suffix;
    return std::string(name.substr(0, dot)) + suffix + std::string(name.substr(dot));
}

std::string StartUpEntry(std::string_view program, char pathSeparator) {
    if (pathSeparator == '\\') return "\"" + std::string(program) + "\"";
    return std::string(program);
}

}  // namespace sarvo
