// The changer: one run that hands a picture to the settings tool, starts the
// settings tool because a key is held, or changes the wallpaper to a picture
// drawn at random from the picture folder tree. Its window is never shown;
// the whole run happens in Form_Load.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/pure/controls.h"
#include "core/pure/picture_format.h"
#include "platform/files.h"
#include "platform/screen.h"
#include "platform/wallpaper.h"

namespace sarvo::changer {

// How a run ended.
enum class RunEnd {
    Completed,         // the wallpaper was changed and recorded
    HandedOver,        // the settings tool was started
    StoppedWithMessage // the user was told why nothing changed
};

inline constexpr const char* kApplicationTitle = "SarvoBackdropChanger";
inline constexpr const char* kSection = "Sarvo Changer";

// Picks one position (0-based) of `files` at random: drawn uniformly and
// drawn again while the file name equals that of `oldWallpaper`. A single
// entry is taken without a draw. When no entry can pass the rule, the first
// draw is kept. `next` yields uniform numbers in [0, 1).
std::size_t SelectPosition(const std::vector<std::string>& files, const std::string& oldWallpaper,
                           const std::function<double()>& next);

class Form1 {
public:
    // `programDirectory` is where the suite's programs and settings file are;
    // `commandLine` the run's argument text.
    Form1(std::string programDirectory, std::string commandLine);

    RunEnd Form_Load();

    TextBox txtWallpaperFilePath;

    // The run's state, kept for the steps that follow and for tests.
    std::string gIniFilePath;
    std::vector<std::string> gcolFolder;
    std::vector<std::string> gcolFile;
    std::string gWindowsPath;
    std::string gSarvoChangerGraphicPath;
    std::string gOldWallpaper;
    std::string gLoadFolderPath;
    // PictureFormats::More when the settings file says MoreFormats=1.
    PictureFormats gPictureFormats = PictureFormats::Classic;
    // A picture per monitor: the settings file says Monitors=1 (Linux).
    bool gMonitors = false;
    // The monitors that each get a picture, the primary first, and their
    // pictures in that order; empty when one picture covers the desktop.
    std::vector<platform::DesktopMonitor> gMonitorList;
    std::vector<std::string> gMonitorPictures;

private:
    void ReadPictureFormats();
    bool HandOverPicture();
    bool StartByKey();
    void ListCreate();
    bool iniRead();
    void RandomSelect();
    bool PicLoad();
    // The broken-picture message for `picture`; the new bitmap is dropped.
    void StopBroken(const std::string& picture, const std::string& missingDecoder);
    bool WallpaperAvailable();
    bool BeginChange(platform::WallpaperChange& change);
    bool SavePicture();
    bool SarvoSet();
    std::string PreviousBitmapPath() const;
    void RestorePrevious();
    void ForgetPrevious();
    bool GetWindowsPath();
    void EndCommand();

    // A picture per monitor (Monitors.cpp).
    bool ListMonitors();
    void MonitorSelect();
    bool MonitorPicLoad();
    std::string MonitorRecordPath() const;
    void RecordMonitorPictures();

    void StartSettingTool(const std::string& arguments, int style);
    RunEnd Stop(const std::string& text);

    std::string programDirectory_;
    std::string commandLine_;
    // The new bitmap, written beside the old one until it replaces it.
    std::unique_ptr<platform::FileReplacement> bitmapFile_;
    RunEnd end_ = RunEnd::Completed;
    bool keptPrevious_ = false;  // the previous bitmap is also at PreviousBitmapPath()
};

}  // namespace sarvo::changer
