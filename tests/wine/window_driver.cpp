// Drives a program's window from outside, as a person would, for the Wine
// tests: finds the window and its controls by class and text, clicks, types
// and chooses through the controls' own messages, and checks what they show.
// The steps run in order; the first that fails ends the run with exit code 1
// and a line on standard error.
//
//   window_driver.exe STEP...
//
//   start EXE ARGUMENT-TEXT     starts EXE (not waited for); the text may be empty
//   window CAPTION              waits for the top-level window CAPTION (also a
//                               dialog of a program without a window of its own)
//   dump                        prints the window's controls in Z order (the
//                               order Tab takes them), one a line:
//                               class "text" left,top,width,height [tab] [focus]
//                               (line breaks in the text as \r and \n),
//                               then the client area's size and the number
//                               of tool tips
//   settext SEL TEXT            sets a control's text (WM_SETTEXT)
//   click SEL                   clicks a button or check box (BM_CLICK)
//   post-click SEL              the same, without waiting for what it opens
//   select SEL INDEX            chooses a list entry and tells the window
//   expect-text SEL TEXT        the control shows TEXT
//   expect-check SEL 0|1        the check box is cleared or ticked
//   expect-index SEL INDEX      the list shows entry INDEX (-1: none)
//   dialog CAPTION              waits for a window CAPTION owned by the window
//   expect-item ID TEXT         the dialog's control ID shows TEXT
//   set-item ID TEXT            sets the dialog's control ID's text
//   answer ID                   presses the dialog's button ID, waits for it to go
//   close                       closes the window (WM_CLOSE), waits for it to go
//   exit-code N                 the started program ended with N
//
// SEL is CLASS:TEXT (the control of that class showing TEXT) or CLASS#N (the
// Nth of that class in Z order, from 0).
// Texts are given and printed in UTF-8.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ansi_win32.h"

namespace {

using sarvo::win32::FromAnsi;
using sarvo::win32::ToAnsiLossy;

constexpr DWORD kDeadlineMs = 30000;

HWND form = nullptr, dialog = nullptr;
PROCESS_INFORMATION started{};

// A failed run leaves nothing behind: the program it started ends too.
[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "FAIL: %s\n", what.c_str());
    if (started.hProcess != nullptr) TerminateProcess(started.hProcess, 99);
    std::exit(1);
}

// Windows of the program started, when one was.
bool OfStartedProgram(HWND h) {
    DWORD process = 0;
    GetWindowThreadProcessId(h, &process);
    return started.hProcess == nullptr || process == started.dwProcessId;
}

std::string ClassOf(HWND h) {
    char name[64] = {};
    GetClassNameA(h, name, sizeof name);
    return name;
}

std::string TextOf(HWND h) {
    std::vector<char> text(static_cast<std::size_t>(SendMessageA(h, WM_GETTEXTLENGTH, 0, 0)) + 1);
    SendMessageA(h, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    return FromAnsi(text.data());
}

bool SameClass(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// Polls `found` until it gives a window or the deadline passes.
template <typename Find>
HWND WaitFor(Find found, const std::string& what) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND h = found()) return h;
        if (GetTickCount() - start > kDeadlineMs) Fail("no " + what);
        Sleep(50);
    }
}

void WaitGone(HWND h, const std::string& what) {
    const DWORD start = GetTickCount();
    while (IsWindow(h)) {
        if (GetTickCount() - start > kDeadlineMs) Fail(what + " is still open");
        Sleep(50);
    }
}

// A visible window captioned `caption` whose owner is the window.
HWND OwnedWindow(const std::string& caption) {
    struct Search {
        const std::string& caption;
        HWND found;
    } search{caption, nullptr};
    EnumWindows(
        [](HWND h, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            char text[256] = {};
            GetWindowTextA(h, text, sizeof text);
            if (GetWindow(h, GW_OWNER) != form || !IsWindowVisible(h) || s->caption != text) return TRUE;
            s->found = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> Children() {
    if (form == nullptr) Fail("no window yet");
    std::vector<HWND> children;
    for (HWND h = GetWindow(form, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) children.push_back(h);
    return children;
}

HWND Control(const std::string& selector) {
    const std::size_t mark = selector.find_first_of(":#");
    if (mark == std::string::npos) Fail("bad selector " + selector);
    const std::string wanted = selector.substr(0, mark), rest = selector.substr(mark + 1);
    int nth = selector[mark] == '#' ? std::atoi(rest.c_str()) : -1;
    for (HWND h : Children()) {
        if (!SameClass(ClassOf(h), wanted)) continue;
        if (selector[mark] == ':' ? TextOf(h) == rest : nth-- == 0) return h;
    }
    Fail("no control " + selector);
}

void Dump() {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &gui);
    for (HWND h : Children()) {
        RECT r;
        GetWindowRect(h, &r);
        MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
        const LONG style = GetWindowLongA(h, GWL_STYLE);
        std::string text;
        for (char c : TextOf(h)) text += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
        std::printf("%s \"%s\" %ld,%ld,%ld,%ld%s%s\n", ClassOf(h).c_str(), text.c_str(), r.left, r.top,
                    r.right - r.left, r.bottom - r.top, (style & WS_TABSTOP) ? " tab" : "",
                    gui.hwndFocus == h ? " focus" : "");
    }
    RECT client;
    GetClientRect(form, &client);
    std::printf("client %ld,%ld\n", client.right, client.bottom);
    // The tool tips: windows of their own, owned by the window.
    LRESULT tools = 0;
    for (HWND h = nullptr; (h = FindWindowExA(nullptr, h, TOOLTIPS_CLASSA, nullptr)) != nullptr;)
        if (GetWindow(h, GW_OWNER) == form) tools += SendMessageA(h, TTM_GETTOOLCOUNT, 0, 0);
    std::printf("tool tips %ld\n", static_cast<long>(tools));
    std::fflush(stdout);
}

void Expect(const std::string& actual, const std::string& expected, const std::string& what) {
    if (actual != expected) Fail(what + ": expected \"" + expected + "\", got \"" + actual + "\"");
}

// The arguments as the user typed them, in UTF-8, whatever the code page.
std::vector<std::string> Arguments() {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(static_cast<std::size_t>(size), '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), size, nullptr, nullptr);
        arg.resize(static_cast<std::size_t>(size - 1));
        args.push_back(arg);
    }
    LocalFree(wide);
    return args;
}

void Start(const std::string& program, const std::string& arguments) {
    std::string commandLine = "\"" + ToAnsiLossy(program) + "\"";
    if (!arguments.empty()) commandLine += " " + ToAnsiLossy(arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(ToAnsiLossy(program).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started))
        Fail("cannot start " + program + ": " + sarvo::win32::SystemErrorText(GetLastError()));
}

}  // namespace

int main() {
    const std::vector<std::string> args = Arguments();
    std::size_t i = 0;
    auto next = [&](const char* what) -> std::string {
        if (i >= args.size()) Fail(std::string("missing ") + what);
        return args[i++];
    };
    while (i < args.size()) {
        const std::string step = args[i++];
        if (step == "start") {
            const std::string program = next("program");
            Start(program, next("argument text"));
        } else if (step == "window") {
            const std::string caption = ToAnsiLossy(next("caption"));
            form = WaitFor([&] {
                HWND h = nullptr;
                while ((h = FindWindowExA(nullptr, h, nullptr, caption.c_str())) != nullptr)
                    if (IsWindowVisible(h) && GetWindow(h, GW_OWNER) == nullptr && OfStartedProgram(h)) return h;
                return h;
            }, "window " + FromAnsi(caption));
            dialog = form;
        } else if (step == "dump") {
            Dump();
        } else if (step == "settext") {
            HWND h = Control(next("control"));
            SendMessageA(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(ToAnsiLossy(next("text")).c_str()));
        } else if (step == "click") {
            SendMessageA(Control(next("control")), BM_CLICK, 0, 0);
        } else if (step == "post-click") {
            PostMessageA(Control(next("control")), BM_CLICK, 0, 0);

        } else if (step == "select") {
            HWND h = Control(next("control"));
            SendMessageA(h, CB_SETCURSEL, static_cast<WPARAM>(std::atoi(next("index").c_str())), 0);
            SendMessageA(form, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), CBN_SELCHANGE), reinterpret_cast<LPARAM>(h));
        } else if (step == "expect-text") {
            const std::string selector = next("control");
            Expect(TextOf(Control(selector)), next("text"), selector);
        } else if (step == "expect-check") {
            const std::string selector = next("control");
            const LRESULT state = SendMessageA(Control(selector), BM_GETCHECK, 0, 0);
            Expect(std::to_string(state), next("state"), selector);
        } else if (step == "expect-index") {
            const std::string selector = next("control");
            const LRESULT index = SendMessageA(Control(selector), CB_GETCURSEL, 0, 0);
            Expect(std::to_string(index), next("index"), selector);
        } else if (step == "dialog") {
            const std::string caption = ToAnsiLossy(next("caption"));
            dialog = WaitFor([&] { return OwnedWindow(caption); }, "dialog " + FromAnsi(caption) + " owned by the window");
        } else if (step == "expect-item") {
            const int id = std::atoi(next("id").c_str());
            Expect(TextOf(GetDlgItem(dialog, id)), next("text"), "dialog item " + std::to_string(id));
        } else if (step == "set-item") {
            const int id = std::atoi(next("id").c_str());
            SendDlgItemMessageA(dialog, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(ToAnsiLossy(next("text")).c_str()));
        } else if (step == "answer") {
            const int id = std::atoi(next("id").c_str());
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
            WaitGone(dialog, "the dialog");
        } else if (step == "close") {
            PostMessageA(form, WM_CLOSE, 0, 0);
            WaitGone(form, "the window");
        } else if (step == "exit-code") {
            const std::string expected = next("code");
            if (WaitForSingleObject(started.hProcess, kDeadlineMs) != WAIT_OBJECT_0) Fail("the program did not end");
            DWORD code = 0;
            GetExitCodeProcess(started.hProcess, &code);
            Expect(std::to_string(code), expected, "exit code");
        } else {
            Fail("unknown step " + step);
        }
    }
    return 0;
}
