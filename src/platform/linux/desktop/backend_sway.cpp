// sway draws the background with swaybg, which it starts and restarts itself
// for every "output * bg" command, so the changer can end at once. The
// commands go over sway's IPC (sway_ipc.h) as RUN_COMMAND.
//
// sway replies success even when it could not read the picture (it then
// shows the colour alone), so the picture is checked beforehand. A swaybg
// the user's configuration started would hide sway's: it is ended
// (swaybg.h).
#include "desktop/backend_sway.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "desktop/presenter.h"
#include "desktop/sway_ipc.h"
#include "desktop/swaybg.h"

namespace sarvo::platform {

namespace {

bool RunCommand(const std::string& command, std::string& why) {
    std::string reply;
    if (!sway_ipc::Exchange(sway_ipc::kRunCommand, command, reply, why)) {
        why += "（コマンド：" + command + "）";
        return false;
    }
    if (!SwayReplySucceeded(reply, why)) {
        why = "sway がコマンドを受け付けませんでした：" + command + "（" + why + "）";
        return false;
    }
    return true;
}

bool Connect(std::string& why) { return sway_ipc::Reachable(why); }

// A bitmap made for the whole desktop: each output is given its own part,
// all in one request.
bool ApplyParts(const std::string& bitmap, std::string& why) {
    std::vector<presenter::HandedPart> parts;
    if (!presenter::PrepareParts(bitmap, DesktopMode::Sway, parts, why)) return false;
    std::string command;
    for (const presenter::HandedPart& part : parts) {
        const std::string output = SwayQuoted(part.output), path = SwayQuoted(part.handed.path);
        if (output.empty() || path.empty()) {
            why = "改行を含む名前は sway に渡せません：" + part.output + ", " + part.handed.path;
            presenter::DiscardParts(parts);
            return false;
        }
        command += (command.empty() ? "" : "; ") + std::string("output ") + output + " bg " + path + " " +
                   part.handed.mode + " #000000";
    }
    if (!RunCommand(command, why)) {
        presenter::DiscardParts(parts);
        return false;
    }
    presenter::KeepParts(bitmap, parts);
    swaybg::EndOthers(0);
    return true;
}

bool Apply(const std::string& bitmap, Placement placement, std::string& why) {
    if (placement == Placement::Span) return ApplyParts(bitmap, why);
    presenter::Handed handed;
    if (!presenter::Prepare(bitmap, placement, DesktopMode::Sway, presenter::Format::Png, handed, why)) return false;
    if (access(handed.path.c_str(), R_OK) != 0) {
        why = "読み込めませんでした：" + handed.path + "（" + std::strerror(errno) + "）";
        presenter::Discard(handed);
        return false;
    }
    const std::string quoted = SwayQuoted(handed.path);
    if (quoted.empty()) why = "改行を含むパスは sway に渡せません：" + handed.path;
    if (quoted.empty() || !RunCommand("output * bg " + quoted + " " + handed.mode + " #000000", why)) {
        presenter::Discard(handed);
        return false;
    }
    presenter::Keep(bitmap, handed);
    swaybg::EndOthers(0);
    return true;
}

bool Clear(std::string& why) {
    if (!RunCommand("output * bg #000000 solid_color", why)) return false;
    swaybg::EndOthers(0);
    return true;
}

bool Detect(const Environment& e) { return NamesAny(e, {"sway"}) || AnySet(e, {"SWAYSOCK"}); }

// The JSON string starting at `at` (after its opening quote), unescaped as
// far as messages need.
std::string JsonString(std::string_view text, std::size_t at) {
    std::string value;
    for (std::size_t i = at; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) ++i;
        value += text[i];
    }
    return value;
}

}  // namespace

// sway hands a picture's path to wordexp, which refuses "( ) & | ; < > { }",
// expands "* ? [ ~ $" and the backtick and drops quotes; a backslash makes
// any byte stand for itself, so every byte that is not plainly safe gets one.
std::string SwayQuoted(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '\n') return "";
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' ||
                           c == '.' || c == '-' || c == '_';
        if (!plain) quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

bool SwayReplySucceeded(std::string_view reply, std::string& why) {
    bool any = false;
    std::size_t at = 0;
    while ((at = reply.find("\"success\"", at)) != std::string_view::npos) {
        at += 9;
        while (at < reply.size() && (reply[at] == ' ' || reply[at] == ':')) ++at;
        if (reply.substr(at, 4) != "true") {
            const std::size_t error = reply.find("\"error\"");
            const std::size_t open = error == std::string_view::npos ? error : reply.find('"', error + 7);
            why = open == std::string_view::npos ? "理由は示されませんでした。" : JsonString(reply, open + 1);
            return false;
        }
        any = true;
    }
    if (!any) why = "予期しない応答です：" + std::string(reply.substr(0, 200));
    return any;
}

const DesktopBackend kSwayBackend{"sway", Detect, Connect, Apply, Clear};

}  // namespace sarvo::platform
