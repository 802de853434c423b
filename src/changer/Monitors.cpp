// A picture for every monitor (Monitors=1): each monitor gets its own
// picture from the one catalogue, of its own shape where the catalogue has
// one, laid out in its rectangle of one bitmap that covers the whole
// desktop; the desktop shows that bitmap spanned. "WallPaper" names the
// primary monitor's picture, as ever; a record of our own beside the bitmap
// names every monitor's, so that the next run shows none of them on the
// same monitor again.
#include <algorithm>
#include <chrono>
#include <random>

#include "changer/Form1.h"
#include "core/pure/monitor_draw.h"
#include "core/pure/monitor_record.h"
#include "core/pure/placement.h"
#include "core/pure/spanned.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/picture.h"
#include "platform/registry.h"
#include "platform/ui.h"

namespace sarvo::changer {

namespace {

constexpr const char* kCrLf = "\r\n";

// The placement the settings tool stores with the desktop's values.
Placement StoredPlacement() {
    std::string tile, style;
    platform::RegistryReadString("Control Panel\\Desktop", "TileWallpaper", tile);
    platform::RegistryReadString("Control Panel\\Desktop", "WallpaperStyle", style);
    return PlacementFromValues(tile, style);
}

std::optional<PictureSize> HeaderSize(const std::string& path, PictureFormats formats) {
    const auto read = [&](std::uint64_t offset, unsigned char* out, std::size_t count) {
        const std::vector<unsigned char> part = platform::ReadFilePart(path, offset, count);
        std::copy(part.begin(), part.end(), out);
        return part.size();
    };
    return ReadPictureSize(read, formats);
}

}  // namespace

// With Monitors=1 and more than one monitor; a mirrored monitor shows what
// its twin shows, so monitors at the same place count once. With one
// monitor the run is the one-picture run.
bool Form1::ListMonitors() {
    gMonitorList.clear();
    if (!gMonitors) return false;
    for (const platform::DesktopMonitor& monitor : platform::DesktopMonitors()) {
        if (monitor.rect.width <= 0 || monitor.rect.height <= 0) continue;
        const auto twin = std::find_if(gMonitorList.begin(), gMonitorList.end(),
                                       [&](const platform::DesktopMonitor& m) { return m.rect == monitor.rect; });
        if (twin == gMonitorList.end()) gMonitorList.push_back(monitor);
        else twin->primary = twin->primary || monitor.primary;
    }
    std::stable_partition(gMonitorList.begin(), gMonitorList.end(), [](const auto& m) { return m.primary; });
    if (gMonitorList.size() < 2) gMonitorList.clear();
    return !gMonitorList.empty();
}

std::string Form1::MonitorRecordPath() const {
    return gWindowsPath + platform::kPathSeparator + kMonitorRecordName;
}

void Form1::MonitorSelect() {
    std::vector<unsigned char> bytes;
    std::string why;
    std::vector<MonitorPicture> record;
    if (platform::ReadWholeFile(MonitorRecordPath(), bytes, std::size_t{1} << 20, why))
        record = ParseMonitorRecord(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    std::vector<MonitorDraw> monitors;
    for (const platform::DesktopMonitor& m : gMonitorList)
        monitors.push_back({m.rect.width, m.rect.height,
                            monitors.empty() ? gOldWallpaper : LastPictureOn(record, m.name, m.rect)});
    // A fresh seed on every run, from the clock and the system's entropy.
    std::seed_seq seed{static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()),
                       std::random_device{}()};
    std::mt19937_64 generator(seed);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    gMonitorPictures.clear();
    const auto sizeOf = [&](const std::string& path) { return HeaderSize(path, gPictureFormats); };
    for (const std::size_t position :
         DrawForMonitors(gcolFile, monitors, platform::kPathSeparator, sizeOf, [&] { return uniform(generator); }))
        gMonitorPictures.push_back(gcolFile[position]);
    txtWallpaperFilePath.SetText(gMonitorPictures.front());
}

// Each picture goes straight into its monitor's part of the new bitmap, a
// strip at a time as it is decoded.
bool Form1::MonitorPicLoad() {
    std::vector<ScreenRect> rects;
    for (const platform::DesktopMonitor& m : gMonitorList) rects.push_back(m.rect);
    bitmapFile_ = std::make_unique<platform::FileReplacement>(gSarvoChangerGraphicPath, platform::Durability::Remakable);
    SpannedBitmap bitmap(*bitmapFile_, DesktopArea(rects), rects);
    std::string why;
    if (!bitmap.Start(why)) {
        bitmapFile_.reset();
        Stop(std::string("壁紙の画像ファイルを保存できませんでした。") + kCrLf + gSarvoChangerGraphicPath + kCrLf + why);
        return false;
    }
    const Placement placement = StoredPlacement();
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const auto region = bitmap.Region(i, placement);
        std::string missingDecoder;
        if (!platform::ConvertPicture(gMonitorPictures[i], *region, gPictureFormats, why, missingDecoder) ||
            !region->Finish(why)) {
            StopBroken(gMonitorPictures[i], missingDecoder);
            return false;
        }
    }
    return true;
}

// Only the next run's draw reads the record: one that cannot be written
// costs no more than that the next run may show a monitor its picture
// again.
void Form1::RecordMonitorPictures() {
    std::vector<MonitorPicture> record;
    for (std::size_t i = 0; i < gMonitorList.size(); ++i)
        record.push_back({gMonitorList[i].name, gMonitorList[i].rect, gMonitorPictures[i]});
    const std::string text = FormatMonitorRecord(record);
    platform::FileReplacement file(MonitorRecordPath(), platform::Durability::Remakable);
    file.Reserve(text.size());
    file.WriteAt(0, reinterpret_cast<const unsigned char*>(text.data()), text.size());
    std::string why;
    file.Commit(why);
}

}  // namespace sarvo::changer
