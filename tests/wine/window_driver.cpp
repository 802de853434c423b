// Drives a program's window from outside as a person would, for the Wine
// tests, through the controls' own messages. The steps run in order; the
// first that fails ends the run with exit code 1 and a line on standard
// error (and ends the program it started). Texts are UTF-8.
//   start EXE ARGUMENT-TEXT   starts EXE (not waited for)
//   window CAPTION            waits for the started program's top-level window,
//                             shown and answering messages
//   dump                      prints the controls in Z order (Tab's order):
//                             class "text" left,top,width,height [tab] [focus],
//                             then "client W,H" and "tool tips N"
//   settext SEL TEXT | click SEL | post-click SEL (not waiting) | select SEL INDEX
//   expect-text SEL TEXT | expect-check SEL 0|1 | expect-index SEL INDEX
//   dialog CAPTION            waits for a window CAPTION owned by the window
//   expect-item ID TEXT | set-item ID TEXT    the dialog's control ID
//   answer ID                 presses the dialog's button ID, waits for it to go
//   close                     WM_CLOSE, waits for the window to go
//   exit-code N               the started program ended with N
// SEL is CLASS:TEXT or CLASS#N (the Nth of that class in Z order, from 0).
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "ansi_win32.h"

namespace {

using sarvo::win32::FromAnsi;
using sarvo::win32::ToAnsiLossy;

HWND form = nullptr, dialog = nullptr;
PROCESS_INFORMATION started{};

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "FAIL: %s\n", what.c_str());
    if (started.hProcess != nullptr) TerminateProcess(started.hProcess, 99);
    std::exit(1);
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

// Polls `done` for 30 s.
void WaitUntil(const std::function<bool()>& done, const std::string& what) {
    for (const DWORD start = GetTickCount(); !done(); Sleep(50))
        if (GetTickCount() - start > 30000) Fail(what);
}

// A visible window captioned `caption`, owned by `owner`, of the started program.
HWND Find(const std::string& caption, HWND owner) {
    for (HWND h = nullptr; (h = FindWindowExA(nullptr, h, nullptr, caption.c_str())) != nullptr;) {
        DWORD process = 0;
        GetWindowThreadProcessId(h, &process);
        if (IsWindowVisible(h) && GetWindow(h, GW_OWNER) == owner && process == started.dwProcessId) return h;
    }
    return nullptr;
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
    const std::string rest = selector.substr(mark + 1);
    int nth = selector[mark] == '#' ? std::atoi(rest.c_str()) : -1;
    for (HWND h : Children()) {
        if (lstrcmpiA(ClassOf(h).c_str(), selector.substr(0, mark).c_str()) != 0) continue;
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
        std::string text;
        for (char c : TextOf(h)) text += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
        std::printf("%s \"%s\" %ld,%ld,%ld,%ld%s%s\n", ClassOf(h).c_str(), text.c_str(), r.left, r.top,
                    r.right - r.left, r.bottom - r.top, (GetWindowLongA(h, GWL_STYLE) & WS_TABSTOP) ? " tab" : "",
                    gui.hwndFocus == h ? " focus" : "");
    }
    RECT client;
    GetClientRect(form, &client);
    LRESULT tools = 0;  // the tool tips: windows of their own, owned by the window
    for (HWND h = nullptr; (h = FindWindowExA(nullptr, h, TOOLTIPS_CLASSA, nullptr)) != nullptr;)
        if (GetWindow(h, GW_OWNER) == form) tools += SendMessageA(h, TTM_GETTOOLCOUNT, 0, 0);
    std::printf("client %ld,%ld\ntool tips %ld\n", client.right, client.bottom, static_cast<long>(tools));
    std::fflush(stdout);
}

void Expect(const std::string& actual, const std::string& expected, const std::string& what) {
    if (actual != expected) Fail(what + ": expected \"" + expected + "\", got \"" + actual + "\"");
}

// The arguments as typed, in UTF-8, whatever the code page.
std::vector<std::string> Arguments() {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) {
        std::string arg(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr)), '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), static_cast<int>(arg.size()), nullptr, nullptr);
        args.push_back(arg.c_str());
    }
    LocalFree(wide);
    return args;
}

}  // namespace

int main() {
    const std::vector<std::string> args = Arguments();
    std::size_t i = 0;
    auto next = [&]() -> std::string {
        if (i >= args.size()) Fail("missing argument of " + args[i - 1]);
        return args[i++];
    };
    auto number = [&] { return std::atoi(next().c_str()); };
    while (i < args.size()) {
        const std::string step = next();
        if (step == "start") {
            const std::string program = ToAnsiLossy(next()), text = ToAnsiLossy(next());
            std::string commandLine = "\"" + program + "\"" + (text.empty() ? "" : " " + text);
            STARTUPINFOA startup{};
            startup.cb = sizeof startup;
            if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                &startup, &started))
                Fail("cannot start " + FromAnsi(program) + ": " + sarvo::win32::SystemErrorText(GetLastError()));
        } else if (step == "window" || step == "dialog") {
            const std::string caption = ToAnsiLossy(next());
            HWND& found = step == "window" ? form : dialog;
            found = nullptr;
            WaitUntil([&] { return (found = Find(caption, step == "window" ? nullptr : form)) != nullptr; },
                      "no " + step + " " + FromAnsi(caption));
            // Visible comes before the focus is set; once the program's
            // thread answers a message, it has finished showing the window.
            if (SendMessageTimeoutA(found, WM_NULL, 0, 0, SMTO_NORMAL, 30000, nullptr) == 0)
                Fail("the " + step + " does not answer");
            if (step == "window") dialog = form;
        } else if (step == "dump") {
            Dump();
        } else if (step == "settext") {
            HWND h = Control(next());
            SendMessageA(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(ToAnsiLossy(next()).c_str()));
        } else if (step == "click" || step == "post-click") {
            HWND h = Control(next());
            if (step == "click") SendMessageA(h, BM_CLICK, 0, 0);
            else PostMessageA(h, BM_CLICK, 0, 0);
        } else if (step == "select") {
            HWND h = Control(next());
            SendMessageA(h, CB_SETCURSEL, static_cast<WPARAM>(number()), 0);
            SendMessageA(form, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), CBN_SELCHANGE), reinterpret_cast<LPARAM>(h));
        } else if (step == "expect-text" || step == "expect-check" || step == "expect-index") {
            const std::string selector = next();
            HWND h = Control(selector);
            const std::string actual = step == "expect-text"    ? TextOf(h)
                                       : step == "expect-check" ? std::to_string(SendMessageA(h, BM_GETCHECK, 0, 0))
                                                                : std::to_string(SendMessageA(h, CB_GETCURSEL, 0, 0));
            Expect(actual, next(), selector);
        } else if (step == "expect-item") {
            const int id = number();
            Expect(TextOf(GetDlgItem(dialog, id)), next(), "dialog item " + std::to_string(id));
        } else if (step == "set-item") {
            const int id = number();
            SendDlgItemMessageA(dialog, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(ToAnsiLossy(next()).c_str()));
        } else if (step == "answer" || step == "close") {
            HWND h = step == "answer" ? dialog : form;
            if (step == "answer") {
                const int id = number();
                PostMessageA(h, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(h, id)));
            } else {
                PostMessageA(h, WM_CLOSE, 0, 0);
            }
            WaitUntil([&] { return !IsWindow(h); }, step + ": the window is still open");
        } else if (step == "exit-code") {
            const std::string expected = next();
            if (WaitForSingleObject(started.hProcess, 30000) != WAIT_OBJECT_0) Fail("the program did not end");
            DWORD code = 0;
            GetExitCodeProcess(started.hProcess, &code);
            Expect(std::to_string(code), expected, "exit code");
        } else {
            Fail("unknown step " + step);
        }
    }
    return 0;
}
