// pcmanfm and pcmanfm-qt forward --set-wallpaper and --wallpaper-mode to the
// running desktop instance and end. They are started with an argument vector
// and their exit status and output are checked: pcmanfm says "Desktop manager
// is not active." and changes nothing when no desktop instance runs.
// pcmanfm-qt, with none running, takes the call itself, changes nothing and
// ends with success: the previous picture, still named in its settings,
// would then be removed, and a desktop started later would look for it
// (and spin at full speed). So pcmanfm-qt is asked only once an instance
// owns its bus name, which the changer waits for a while at log-on.
// pcmanfm reads pictures through gdk-pixbuf (a PNG is safe) and compares
// file times; pcmanfm-qt reads BMP but ignores a path equal to the current
// one, so both get a new name each time (presenter.h).
#include "desktop/backend_pcmanfm.h"

#include "desktop/gio_library.h"
#include "desktop/presenter.h"
#include "spawn_linux.h"

namespace sarvo::platform {

namespace {

struct Program {
    const char* name;
    const char* package;
    presenter::Format format;  // Bitmap: pcmanfm-qt
    const char* busName;       // owned by the running instance, where it has one
};

constexpr Program kPcmanfm{"pcmanfm", "pcmanfm", presenter::Format::Png, nullptr};
constexpr Program kPcmanfmQt{"pcmanfm-qt", "pcmanfm-qt", presenter::Format::Bitmap, "org.pcmanfm.PCManFM"};
// pcmanfm hands the request to the running desktop and ends at once.
constexpr int kTimeoutMs = 5000;
// At log-on pcmanfm-qt's desktop starts beside the changer.
constexpr int kInstanceWaitMs = 10000;

bool Run(const Program& program, const std::vector<std::string>& arguments, std::string& why) {
    std::vector<std::string> argv{program.name};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    linux_spawn::RunResult result;
    if (!linux_spawn::RunAndWait(argv, kTimeoutMs, result, why)) return false;
    std::string output = result.output;
    while (!output.empty() && (output.back() == '\n' || output.back() == ' ')) output.pop_back();
    if (result.exitStatus != 0 || output.find("not active") != std::string::npos) {
        why = std::string(program.name) + " が終了コード " + std::to_string(result.exitStatus) + " で終了しました" +
              (output.empty() ? "。" : "：" + output);
        if (output.find("not active") != std::string::npos)
            why += "（デスクトップを「" + std::string(program.name) + " --desktop」で起動してください）";
        return false;
    }
    return true;
}

bool Connect(const Program& program, std::string& why) {
    std::string path;
    if (!linux_spawn::FindProgram(program.name, path, why)) {
        why += std::string("（パッケージ ") + program.package + " をインストールしてください）";
        return false;
    }
    if (program.busName == nullptr || gio::WaitForName(program.busName, kInstanceWaitMs, why)) return true;
    why = std::string(program.name) + " が動いていません（" + why + "）。デスクトップを「" + program.name +
          " --desktop」で起動してください。";
    return false;
}

bool Apply(const Program& program, const std::string& bitmap, Placement placement, std::string& why) {
    presenter::Handed handed;
    if (!presenter::Prepare(bitmap, placement, DesktopMode::Pcmanfm, program.format, handed, why)) return false;
    if (!Run(program, {"--set-wallpaper=" + handed.path, "--wallpaper-mode=" + handed.mode}, why)) {
        presenter::Discard(handed);
        return false;
    }
    presenter::Keep(bitmap, handed);
    return true;
}

// pcmanfm-qt stores the colour mode but goes on drawing the last picture
// until it is restarted: it is shown a black picture first.
bool Clear(const Program& program, std::string& why) {
    if (program.format == presenter::Format::Bitmap) {
        const std::string black = presenter::BlackPicture(why);
        if (black.empty() || !Run(program, {"--set-wallpaper=" + black, "--wallpaper-mode=stretch"}, why))
            return false;
    }
    return Run(program, {"--wallpaper-mode=color"}, why);
}

}  // namespace

const DesktopBackend kLxdeBackend{
    "lxde", [](const Environment& e) { return NamesAny(e, {"lxde"}); },
    [](std::string& why) { return Connect(kPcmanfm, why); },
    [](const std::string& b, Placement p, std::string& why) { return Apply(kPcmanfm, b, p, why); },
    [](std::string& why) { return Clear(kPcmanfm, why); }};

const DesktopBackend kLxqtBackend{
    "lxqt", [](const Environment& e) { return NamesAny(e, {"lxqt"}) || AnySet(e, {"LXQT_SESSION_CONFIG"}); },
    [](std::string& why) { return Connect(kPcmanfmQt, why); },
    [](const std::string& b, Placement p, std::string& why) { return Apply(kPcmanfmQt, b, p, why); },
    [](std::string& why) { return Clear(kPcmanfmQt, why); }};

}  // namespace sarvo::platform
