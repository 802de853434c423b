#include "monitors_linux.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace sarvo::platform::linux_monitors {

namespace {

using nlohmann::json;

// The parsed list, or an empty one for anything else.
json List(std::string_view text) {
    json list = json::parse(text, nullptr, false);
    return list.is_array() ? list : json::array();
}

int Integer(const json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_number() ? found->get<int>() : 0;
}

bool Flag(const json& object, const char* key, bool otherwise) {
    const auto found = object.find(key);
    return found != object.end() && found->is_boolean() ? found->get<bool>() : otherwise;
}

std::string Text(const json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : "";
}

}  // namespace

std::vector<DesktopMonitor> FromSwayOutputs(std::string_view text) {
    std::vector<DesktopMonitor> monitors;
    for (const json& output : List(text)) {
        if (!output.is_object() || !Flag(output, "active", false)) continue;
        const auto rect = output.find("rect");
        if (rect == output.end() || !rect->is_object()) continue;
        DesktopMonitor m{{Integer(*rect, "x"), Integer(*rect, "y"), Integer(*rect, "width"), Integer(*rect, "height")},
                         Flag(output, "primary", false), Text(output, "name")};
        if (m.rect.width > 0 && m.rect.height > 0) monitors.push_back(std::move(m));
    }
    MarkPrimary(monitors);
    return monitors;
}

std::vector<DesktopMonitor> FromHyprlandMonitors(std::string_view text) {
    std::vector<DesktopMonitor> monitors;
    for (const json& monitor : List(text)) {
        if (!monitor.is_object() || Flag(monitor, "disabled", false)) continue;
        const auto scale = monitor.find("scale");
        const double by = scale != monitor.end() && scale->is_number() && scale->get<double>() > 0 ? scale->get<double>() : 1.0;
        int width = static_cast<int>(std::lround(Integer(monitor, "width") / by));
        int height = static_cast<int>(std::lround(Integer(monitor, "height") / by));
        if (Integer(monitor, "transform") % 2 == 1) std::swap(width, height);
        if (width > 0 && height > 0)
            monitors.push_back({{Integer(monitor, "x"), Integer(monitor, "y"), width, height}, false, Text(monitor, "name")});
    }
    MarkPrimary(monitors);
    return monitors;
}

void MarkPrimary(std::vector<DesktopMonitor>& monitors) {
    for (const DesktopMonitor& m : monitors)
        if (m.primary) return;
    if (!monitors.empty()) monitors.front().primary = true;
}

}  // namespace sarvo::platform::linux_monitors
