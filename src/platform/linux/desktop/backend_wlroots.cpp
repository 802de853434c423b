// swaybg draws one background and runs until it is ended, so each session
// keeps exactly one of ours: the new one is started detached, given a moment
// to draw (it ends at once when it cannot read the picture or the
// compositor lacks the layer shell), and only then is the previous one
// ended. Its id and start time are kept in $XDG_STATE_HOME, one file per
// Wayland display, so a recycled process id is never mistaken for it. Any
// other swaybg of the session (one the user's configuration started) is
// ended too: the compositor may draw it over ours (swaybg.h).
//
// hyprpaper, where it runs, is told through hyprctl; it has no centred
// mode, and no "none": the picture is laid out beforehand, and clearing
// shows a black picture.
#include "desktop/backend_wlroots.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "desktop/presenter.h"
#include "desktop/swaybg.h"
#include "io_linux.h"
#include "spawn_linux.h"
#include "xdg_linux.h"

namespace sarvo::platform {

namespace {

constexpr auto kDrawTime = std::chrono::milliseconds(400);
// hyprctl hands the request to hyprpaper and ends at once.
constexpr int kHyprctlMs = 5000;

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string StateFolder() { return linux_xdg::StateHome() + "/" + linux_xdg::kSuiteFolder; }

std::string SwaybgRecord() {
    std::string display = Env("WAYLAND_DISPLAY");
    for (char& c : display)
        if (c == '/') c = '_';
    return StateFolder() + "/swaybg-" + (display.empty() ? "wayland" : display) + ".pid";
}

// The process's start time (field 22 of /proc/PID/stat) and its state; empty
// when there is no such process.
std::string StartTime(int pid, char* state = nullptr) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(stat, text);
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) return "";
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
        if (i == 3 && state != nullptr) *state = field.empty() ? '?' : field[0];
        if (i == 22) return field;
    }
    return "";
}

bool Alive(int pid) {
    char state = '?';
    return !StartTime(pid, &state).empty() && state != 'Z' && state != 'X';
}

struct SwaybgProcess {
    int pid = 0;
    std::string started;  // its start time, as StartTime gives it
};

// The swaybg the record names; none (pid 0) when there is no record.
SwaybgProcess RecordedSwaybg() {
    std::ifstream record(SwaybgRecord());
    SwaybgProcess recorded;
    if (!(record >> recorded.pid >> recorded.started)) recorded.pid = 0;
    return recorded;
}

// Ends `swaybg` when it is still that process.
void EndSwaybg(const SwaybgProcess& swaybg) {
    if (swaybg.pid <= 1) return;
    std::ifstream comm("/proc/" + std::to_string(swaybg.pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    if (name == "swaybg" && StartTime(swaybg.pid) == swaybg.started) kill(swaybg.pid, SIGTERM);
}

// Replaces the record with `swaybg`, written whole under a temporary name
// first. False, with `why`, when it cannot be written: a swaybg nobody
// records would never be ended.
bool Record(const SwaybgProcess& swaybg, std::string& why) {
    const std::string record = SwaybgRecord();
    const std::string text = std::to_string(swaybg.pid) + ' ' + swaybg.started + '\n';
    std::string temporary;
    const int fd = linux_io::CreateTemporary(StateFolder(), linux_io::CreationMode(), temporary);
    bool ok = fd >= 0 && linux_io::WriteAll(fd, reinterpret_cast<const unsigned char*>(text.data()), text.size()) &&
              rename(temporary.c_str(), record.c_str()) == 0;
    if (!ok) {
        why = linux_io::ErrorText("新しい swaybg を記録できませんでした", record);
        if (fd >= 0) unlink(temporary.c_str());
    }
    if (fd >= 0) close(fd);
    return ok;
}

// Starts swaybg with `arguments` (each output's, after its "-o"), ends the
// previous one once the new one has had time to draw, and records the new
// one.
bool RunSwaybg(const std::vector<std::string>& arguments, std::string& why) {
    if (!linux_xdg::MakeFolders(StateFolder())) {
        why = "フォルダを作成できませんでした：" + StateFolder();
        return false;
    }
    std::vector<std::string> argv{"swaybg"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const std::string log = StateFolder() + "/swaybg.log";
    int pid = 0;
    if (!linux_spawn::SpawnDetached(argv, why, &pid, log.c_str())) return false;
    const auto end = std::chrono::steady_clock::now() + kDrawTime;
    while (std::chrono::steady_clock::now() < end && Alive(pid))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!Alive(pid)) {
        std::ifstream output(log);
        std::string line, last;
        while (std::getline(output, line))
            if (!line.empty()) last = line;
        why = "swaybg がすぐに終了しました" + (last.empty() ? std::string("。") : "：" + last);
        return false;
    }
    const SwaybgProcess previous = RecordedSwaybg();
    if (!Record({pid, StartTime(pid)}, why)) {
        // The previous one goes on showing the previous picture.
        kill(pid, SIGTERM);
        return false;
    }
    EndSwaybg(previous);
    swaybg::EndOthers(pid);
    return true;
}

bool SwaybgConnect(std::string& why) {
    std::string path;
    if (Env("WAYLAND_DISPLAY").empty()) {
        why = "WAYLAND_DISPLAY が設定されていません。";
        return false;
    }
    if (linux_spawn::FindProgram("swaybg", path, why)) return true;
    why += "（swaybg をインストールしてください）";
    return false;
}

// A bitmap made for the whole desktop: one swaybg shows each output its own
// part.
bool SwaybgApplyParts(const std::string& bitmap, std::string& why) {
    std::vector<presenter::HandedPart> parts;
    if (!presenter::PrepareParts(bitmap, DesktopMode::Swaybg, parts, why)) return false;
    std::vector<std::string> arguments;
    for (const presenter::HandedPart& part : parts)
        arguments.insert(arguments.end(), {"-o", part.output, "-i", part.handed.path, "-m", part.handed.mode, "-c", "#000000"});
    if (!RunSwaybg(arguments, why)) {
        presenter::DiscardParts(parts);
        return false;
    }
    presenter::KeepParts(bitmap, parts);
    return true;
}

bool SwaybgApply(const std::string& bitmap, Placement placement, std::string& why) {
    if (placement == Placement::Span) return SwaybgApplyParts(bitmap, why);
    presenter::Handed handed;
    if (!presenter::Prepare(bitmap, placement, DesktopMode::Swaybg, presenter::Format::Png, handed, why))
        return false;
    if (!RunSwaybg({"-o", "*", "-i", handed.path, "-m", handed.mode, "-c", "#000000"}, why)) {
        presenter::Discard(handed);
        return false;
    }
    presenter::Keep(bitmap, handed);
    return true;
}

bool SwaybgClear(std::string& why) { return RunSwaybg({"-o", "*", "-m", "solid_color", "-c", "#000000"}, why); }

// hyprpaper's socket, when it runs in this Hyprland instance.
bool HyprpaperRuns() {
    const std::string signature = Env("HYPRLAND_INSTANCE_SIGNATURE");
    const std::string runtime = Env("XDG_RUNTIME_DIR");
    return !signature.empty() && !runtime.empty() &&
           access((runtime + "/hypr/" + signature + "/.hyprpaper.sock").c_str(), F_OK) == 0;
}

bool Hyprctl(const std::vector<std::string>& arguments, std::string& why) {
    std::vector<std::string> argv{"hyprctl", "hyprpaper"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    linux_spawn::RunResult result;
    if (!linux_spawn::RunAndWait(argv, kHyprctlMs, result, why)) return false;
    if (result.exitStatus != 0 || result.output.find("rror") != std::string::npos) {
        why = "hyprctl hyprpaper " + arguments.front() + " が失敗しました：" + result.output;
        return false;
    }
    return true;
}

// On `monitor`, or on every one for "".
bool HyprpaperShow(const std::string& path, const std::string& mode, std::string& why, const std::string& monitor = "") {
    if (path.find(',') != std::string::npos || monitor.find(',') != std::string::npos) {
        why = "コンマを含む名前は hyprpaper に渡せません：" + monitor + " " + path;
        return false;
    }
    std::string ignored;
    Hyprctl({"preload", path}, ignored);  // older hyprpaper needs it; newer ones refuse it
    return Hyprctl({"wallpaper", monitor + "," + path + (mode.empty() ? "" : "," + mode)}, why);
}

// A bitmap made for the whole desktop: each monitor is given its own part.
bool HyprpaperShowParts(const std::string& bitmap, std::string& why) {
    std::vector<presenter::HandedPart> parts;
    if (!presenter::PrepareParts(bitmap, DesktopMode::Hyprpaper, parts, why)) return false;
    for (const presenter::HandedPart& part : parts)
        if (!HyprpaperShow(part.handed.path, part.handed.mode, why, part.output)) {
            presenter::DiscardParts(parts);
            return false;
        }
    presenter::KeepParts(bitmap, parts);
    return true;
}

bool HyprlandConnect(std::string& why) {
    std::string path;
    if (HyprpaperRuns()) {
        if (linux_spawn::FindProgram("hyprctl", path, why)) return true;
        why += "（hyprctl をインストールしてください）";
        return false;
    }
    return SwaybgConnect(why);
}

bool HyprlandApply(const std::string& bitmap, Placement placement, std::string& why) {
    if (!HyprpaperRuns()) return SwaybgApply(bitmap, placement, why);
    if (placement == Placement::Span) return HyprpaperShowParts(bitmap, why);
    presenter::Handed handed;
    if (!presenter::Prepare(bitmap, placement, DesktopMode::Hyprpaper, presenter::Format::Png, handed, why))
        return false;
    if (!HyprpaperShow(handed.path, handed.mode, why)) {
        presenter::Discard(handed);
        return false;
    }
    presenter::Keep(bitmap, handed);
    return true;
}

bool HyprlandClear(std::string& why) {
    if (!HyprpaperRuns()) return SwaybgClear(why);
    // No "none" in hyprpaper: a black picture of one pixel, stretched.
    const std::string black = presenter::BlackPicture(why);
    if (black.empty()) return false;
    return HyprpaperShow(black, "stretch", why);
}

bool DetectHyprland(const Environment& e) {
    return NamesAny(e, {"hyprland"}) || AnySet(e, {"HYPRLAND_INSTANCE_SIGNATURE"});
}

// A compositor of the wlroots family by name, or a Wayland session of no
// desktop this list knows.
bool DetectWlroots(const Environment& e) {
    return NamesAny(e, {"wlroots", "niri", "river", "labwc", "wayfire"}) ||
           (IsWaylandSession(e) && !NamesKnownDesktop(e));
}

}  // namespace

const DesktopBackend kHyprlandBackend{"hyprland", DetectHyprland, HyprlandConnect, HyprlandApply, HyprlandClear};
const DesktopBackend kWlrootsBackend{"wlroots", DetectWlroots, SwaybgConnect, SwaybgApply, SwaybgClear};

}  // namespace sarvo::platform
