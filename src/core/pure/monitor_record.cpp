#include "core/pure/monitor_record.h"

#include <charconv>

namespace sarvo {

namespace {

std::string Flat(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return text;
}

// The next field of `line` up to a tab (the rest when `last`); false when
// the line has no more fields.
bool Field(std::string_view& line, std::string_view& field, bool last = false) {
    const std::size_t tab = last ? std::string_view::npos : line.find('\t');
    if (!last && tab == std::string_view::npos) return false;
    field = line.substr(0, tab);
    line = last ? std::string_view{} : line.substr(tab + 1);
    return true;
}

bool Number(std::string_view text, int& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size();
}

}  // namespace

std::string FormatMonitorRecord(const std::vector<MonitorPicture>& monitors) {
    std::string text = "# The picture on each monitor at the changer's last run: name, x, y, width, height, picture.\n";
    for (const MonitorPicture& m : monitors) {
        if (m.picture.find_first_of("\r\n") != std::string::npos) continue;
        text += Flat(m.name) + '\t' + std::to_string(m.rect.x) + '\t' + std::to_string(m.rect.y) + '\t' +
                std::to_string(m.rect.width) + '\t' + std::to_string(m.rect.height) + '\t' + m.picture + '\n';
    }
    return text;
}

std::vector<MonitorPicture> ParseMonitorRecord(std::string_view text) {
    std::vector<MonitorPicture> monitors;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        std::string_view name, x, y, width, height, picture;
        MonitorPicture m;
        if (Field(line, name) && Field(line, x) && Field(line, y) && Field(line, width) && Field(line, height) &&
            Field(line, picture, true) && Number(x, m.rect.x) && Number(y, m.rect.y) && Number(width, m.rect.width) &&
            Number(height, m.rect.height) && !picture.empty()) {
            m.name = name;
            m.picture = picture;
            monitors.push_back(std::move(m));
        }
    }
    return monitors;
}

std::string LastPictureOn(const std::vector<MonitorPicture>& record, const std::string& name, const ScreenRect& rect) {
    for (const MonitorPicture& m : record)
        if (!name.empty() && !m.name.empty() ? m.name == name : m.rect == rect) return m.picture;
    return "";
}

}  // namespace sarvo
