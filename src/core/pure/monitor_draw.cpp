#include "core/pure/monitor_draw.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "core/pure/rules.h"

namespace sarvo {

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// A position in [0, count) from a number that should lie in [0, 1).
std::size_t Scaled(double r, std::size_t count) {
    if (!(r >= 0.0 && r < 1.0)) r = 0.0;
    const auto at = static_cast<std::size_t>(std::floor(r * static_cast<double>(count)));
    return at < count ? at : count - 1;
}

}  // namespace

Shape ShapeOf(int width, int height) {
    if (width > kNearSquareLimit * height) return Shape::Landscape;
    if (height > kNearSquareLimit * width) return Shape::Portrait;
    return Shape::NearSquare;
}

std::vector<std::size_t> DrawForMonitors(const std::vector<std::string>& files,
                                         const std::vector<MonitorDraw>& monitors, char separator,
                                         const std::function<std::optional<PictureSize>(const std::string&)>& sizeOf,
                                         const std::function<double()>& next, int headerReads) {
    std::vector<std::size_t> drawn;
    if (files.empty()) return drawn;
    std::vector<bool> taken(files.size(), false);
    // Each header is read once, whichever monitor's draw meets it first.
    std::map<std::size_t, std::optional<PictureSize>> sizes;
    const auto size = [&](std::size_t i) -> const std::optional<PictureSize>& {
        auto found = sizes.find(i);
        if (found == sizes.end()) found = sizes.emplace(i, sizeOf(files[i])).first;
        return found->second;
    };
    for (const MonitorDraw& monitor : monitors) {
        const std::string lastName = LastComponent(monitor.lastPicture, separator);
        // The rules in order of what gives way first when nothing passes.
        std::vector<std::size_t> pool;
        for (const auto& [avoidLast, avoidTaken] : {std::pair{true, true}, {false, true}, {false, false}}) {
            for (std::size_t i = 0; i < files.size(); ++i) {
                if (avoidTaken && taken[i]) continue;
                if (avoidLast && !lastName.empty() && LastComponent(files[i], separator) == lastName) continue;
                pool.push_back(i);
            }
            if (!pool.empty()) break;
        }
        const Shape wanted = ShapeOf(monitor.width, monitor.height);
        std::size_t chosen = kNone, firstReadable = kNone;
        // Taken at random without repeats: the front of the pool is shuffled
        // one place at a time.
        const std::size_t reads = std::min(pool.size(), static_cast<std::size_t>(std::max(headerReads, 1)));
        for (std::size_t k = 0; k < reads && chosen == kNone; ++k) {
            std::swap(pool[k], pool[k + Scaled(next(), pool.size() - k)]);
            const std::optional<PictureSize>& found = size(pool[k]);
            if (!found) continue;
            if (firstReadable == kNone) firstReadable = pool[k];
            if (ShapeOf(found->width, found->height) == wanted) chosen = pool[k];
        }
        if (chosen == kNone) chosen = firstReadable != kNone ? firstReadable : pool.front();
        taken[chosen] = true;
        drawn.push_back(chosen);
    }
    return drawn;
}

}  // namespace sarvo
