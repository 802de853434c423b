#include "changer/Form1.h"

#include <chrono>
#include <cmath>
#include <random>

#include "core/modules/GetFolderPath.h"
#include "core/modules/Search.h"
#include "core/modules/iniRead.h"
#include "core/modules/iniWrite.h"
#include "core/pure/rules.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/keys.h"
#include "platform/paths.h"
#include "platform/picture.h"
#include "platform/process.h"
#include "platform/program.h"
#include "platform/ui.h"
#include "platform/wallpaper.h"

namespace sarvo::changer {

namespace {

constexpr const char* kCrLf = "\r\n";
const std::string kSep(1, platform::kPathSeparator);

}  // namespace

std::size_t SelectPosition(const std::vector<std::string>& files, const std::string& oldWallpaper,
                           const std::function<double()>& next) {
    const std::size_t n = files.size();
    if (n <= 1) return 0;
    const std::string oldName = GetFileBaseName(oldWallpaper);
    bool anyCanPass = false;
    for (const std::string& f : files) {
        if (GetFileBaseName(f) != oldName) {
            anyCanPass = true;
            break;
        }
    }
    for (;;) {
        double r = next();
        if (!(r >= 0.0 && r < 1.0)) r = 0.0;
        const auto position = static_cast<std::size_t>(std::floor(r * static_cast<double>(n)));
        const std::size_t drawn = position < n ? position : n - 1;
        // When every entry carries the previous picture's name, redrawing
        // could never stop: the draw stands.
        if (!anyCanPass || GetFileBaseName(files[drawn]) != oldName) return drawn;
    }
}

Form1::Form1(std::string programDirectory, std::string commandLine)
    : programDirectory_(std::move(programDirectory)), commandLine_(std::move(commandLine)) {}

RunEnd Form1::Form_Load() {
    gIniFilePath = programDirectory_ + kSep + "sarvoset.ini";
    ReadPictureFormats();

    if (!commandLine_.empty() && HandOverPicture()) return end_;
    if (commandLine_ != "/nokey" && StartByKey()) return end_;

    // The picture is converted straight into the new bitmap file; the
    // clipboard is never touched.
    if (!GetWindowsPath()) return end_;
    if (!iniRead()) return end_;
    ListCreate();
    if (gcolFile.empty()) {
        return Stop(std::string("指定したフォルダに画像がありません。") + kCrLf +
                    "以下の指定されたフォルダをご確認ください。" + kCrLf + kCrLf + gLoadFolderPath);
    }
    // Monitors=1: a picture for each monitor, composed into the one bitmap.
    if (ListMonitors()) {
        MonitorSelect();
        if (!MonitorPicLoad()) return end_;
    } else {
        RandomSelect();
        if (!PicLoad()) return end_;
    }
    // Nothing is replaced in a session where no desktop can show the picture.
    if (!WallpaperAvailable()) return end_;
    // One run at a time replaces the bitmap, shows it and records it, so
    // that runs that meet (a log-on start and one by hand) leave the
    // bitmap, the desktop and "WallPaper" naming the same picture.
    platform::WallpaperChange change;
    if (!BeginChange(change)) return end_;
    if (!SavePicture()) return end_;
    if (!SarvoSet()) {
        RestorePrevious();
        return end_;
    }
    ForgetPrevious();
    EndCommand();
    return end_;
}

RunEnd Form1::Stop(const std::string& text) {
    platform::ShowMessage(kApplicationTitle, text, platform::kIconError);
    end_ = RunEnd::StoppedWithMessage;
    return end_;
}

void Form1::StartSettingTool(const std::string& arguments, int style) {
    const std::string program = programDirectory_ + kSep + platform::ExecutableName("SarvoSetTool");
    std::string why;
    if (platform::StartProgram(program, arguments, static_cast<platform::WindowStyle>(style), why)) {
        end_ = RunEnd::HandedOver;
    } else {
        Stop(std::string("SarvoSetToolを起動できませんでした。") + kCrLf + program + kCrLf + why);
    }
}

// MoreFormats=1, set by hand, adds PNG, WebP, AVIF, HEIF and JPEG XL to the
// catalogue, the hand-over and the loader; anything else keeps the three
// classic formats. Read first, since the hand-over needs it.
void Form1::ReadPictureFormats() {
    gPictureFormats = IniReadString(gIniFilePath, kSection, "MoreFormats", "") == "1" ? PictureFormats::More
                                                                                        : PictureFormats::Classic;
}

// A picture handed to the changer (opened with it, or dropped on it) goes
// to the settings tool to be added to the collection.
bool Form1::HandOverPicture() {
    const auto picture = PictureHandOverPath(commandLine_, gPictureFormats);
    if (!picture) return false;
    StartSettingTool("/add" + *picture, 1);
    return true;
}

// Space opens the settings, D deletes the current picture and skips to
// another, N switches the wallpaper off; the first key held wins.
bool Form1::StartByKey() {
    if (platform::IsKeyDown(platform::Key::Space)) StartSettingTool("", 1);
    else if (platform::IsKeyDown(platform::Key::D)) StartSettingTool("/delskip", 2);
    else if (platform::IsKeyDown(platform::Key::N)) StartSettingTool("/nowall", 2);
    else return false;
    return true;
}

bool Form1::GetWindowsPath() {
    gWindowsPath = platform::WindowsFolder();
    if (gWindowsPath.empty()) {
        Stop("壁紙の画像ファイルを置くフォルダが見つかりません。");
        return false;
    }
    gSarvoChangerGraphicPath = gWindowsPath + kSep + "SarvoChangerGraphic.bmp";
    return true;
}

bool Form1::iniRead() {
    gLoadFolderPath = IniReadString(gIniFilePath, kSection, "FolderPath", programDirectory_ + kSep + "WallPaper");
    gOldWallpaper = IniReadString(gIniFilePath, kSection, "WallPaper", "");
    gMonitors = IniReadString(gIniFilePath, kSection, "Monitors", "") == "1";
    // A test that cannot tell (a drive not ready, a parent we may not read)
    // is no verdict: the run goes on without it, and the walk finds what it can.
    if (platform::ProbeFolder(gLoadFolderPath) == platform::FolderState::Missing) {
        Stop(std::string("指定したフォルダがありません。") + kCrLf + "SettingToolでもう一度指定しなおしてください。");
        return false;
    }
    return true;
}

void Form1::ListCreate() {
    FolderWalk walk;
    walk.folders.push_back(gLoadFolderPath);
    SearchFolders(gLoadFolderPath, walk, gPictureFormats);
    gcolFile.clear();
    SearchFiles(walk, gcolFile);
    gcolFolder = std::move(walk.folders);
}

void Form1::RandomSelect() {
    // A fresh seed on every run, from the clock and the system's entropy.
    std::seed_seq seed{static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()),
                       std::random_device{}()};
    std::mt19937_64 generator(seed);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    const std::size_t position = SelectPosition(gcolFile, gOldWallpaper, [&] { return uniform(generator); });
    txtWallpaperFilePath.SetText(gcolFile[position]);
}

// The picture goes straight into a new bitmap file beside the old one, a
// strip at a time as it is decoded; the old file keeps its name until
// SavePicture.
bool Form1::PicLoad() {
    std::string why;
    std::string missingDecoder;
    bitmapFile_ = std::make_unique<platform::FileReplacement>(gSarvoChangerGraphicPath, platform::Durability::Remakable);
    if (!platform::ConvertPicture(txtWallpaperFilePath.Text(), *bitmapFile_, gPictureFormats, why, missingDecoder)) {
        StopBroken(txtWallpaperFilePath.Text(), missingDecoder);
        return false;
    }
    return true;
}

void Form1::StopBroken(const std::string& picture, const std::string& missingDecoder) {
    bitmapFile_.reset();
    std::string text = std::string("以下の画像ファイルは壊れています。") + kCrLf + picture;
    // A format this system cannot read is no fault of the file: say which.
    if (!missingDecoder.empty())
        text += std::string(kCrLf) + "このシステムには" + missingDecoder + "形式の画像を読み込む機能がありません。";
    Stop(text);
}

bool Form1::WallpaperAvailable() {
    std::string why;
    if (!platform::WallpaperAvailable(why)) {
        bitmapFile_.reset();
        Stop(std::string("壁紙を設定できませんでした。") + kCrLf + why);
        return false;
    }
    return true;
}

bool Form1::BeginChange(platform::WallpaperChange& change) {
    std::string why;
    if (change.Begin(why)) return true;
    bitmapFile_.reset();
    Stop(std::string("壁紙を設定できませんでした。") + kCrLf + why);
    return false;
}

// The previous bitmap keeps a second name until the desktop has taken the
// new one, so that a failed apply can put it back: the bitmap, "WallPaper"
// and the desktop then still agree. The bitmap's own name holds a whole
// file, the old or the new one, at every moment.
std::string Form1::PreviousBitmapPath() const { return gSarvoChangerGraphicPath + ".previous"; }

bool Form1::SavePicture() {
    std::string why;
    // A second name left by a run that was stopped is stale either way.
    keptPrevious_ = platform::OrdinaryFileExists(gSarvoChangerGraphicPath) &&
                    platform::KeepFileAs(gSarvoChangerGraphicPath, PreviousBitmapPath(), why);
    if (!keptPrevious_) platform::DeleteFileIfPresent(PreviousBitmapPath(), why);
    why.clear();
    const bool saved = bitmapFile_->Commit(why);
    bitmapFile_.reset();
    if (!saved) {
        // The old bitmap never left its name.
        ForgetPrevious();
        Stop(std::string("壁紙の画像ファイルを保存できませんでした。") + kCrLf + gSarvoChangerGraphicPath + kCrLf +
             why);
        return false;
    }
    return true;
}

bool Form1::SarvoSet() {
    std::string why;
    const bool shown = gMonitorList.empty() ? platform::ApplyWallpaper(gSarvoChangerGraphicPath, why)
                                            : platform::ApplySpannedWallpaper(gSarvoChangerGraphicPath, why);
    if (!shown) {
        // The picture is not recorded as applied, so the next run may still
        // choose it.
        Stop(std::string("壁紙を設定できませんでした。") + kCrLf + why);
        return false;
    }
    if (!why.empty()) {
        // The desktop shows the picture: the run goes on and records it.
        platform::ShowMessage(kApplicationTitle, std::string("壁紙は設定しましたが、記録できませんでした。") + kCrLf + why,
                              platform::kIconError);
    }
    return true;
}

void Form1::RestorePrevious() {
    if (!keptPrevious_) return;
    std::string why;
    // In one step, over the new file: the name is never without a bitmap.
    platform::RenameReplacing(PreviousBitmapPath(), gSarvoChangerGraphicPath, why);
    keptPrevious_ = false;
}

void Form1::ForgetPrevious() {
    std::string why;
    if (keptPrevious_) platform::DeleteFileIfPresent(PreviousBitmapPath(), why);
    keptPrevious_ = false;
}

void Form1::EndCommand() {
    IniWriteString(gIniFilePath, kSection, "WallPaper", txtWallpaperFilePath.Text());
    if (!gMonitorList.empty()) RecordMonitorPictures();
    gcolFolder.clear();
    gcolFile.clear();
    end_ = RunEnd::Completed;
}

}  // namespace sarvo::changer
