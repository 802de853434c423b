// Drives a program's window through the controls' own messages, step by step;
// a failing step ends the run (and the program) with exit code 1 and a line on
// standard error. Arguments come in the ANSI code page. SEL is CLASS:TEXT or
// CLASS#N (the Nth of that class in Z order, from 0). Steps:
//   start EXE ARGUMENT-TEXT | window CAPTION (shown and answering messages)
//   dialog CAPTION (owned by the window) | answer ID
//   dump: each control in Z order: class "text" left,top,width,height [tab] [focus],
//         then "client W,H" and "tool tips N"
//   settext SEL TEXT | click SEL | post-click SEL | select SEL INDEX
//   expect-text SEL TEXT | expect-check SEL 0|1 | expect-index SEL INDEX
//   expect-item ID TEXT (in the dialog)
//   tab N | shift-tab N: that key N times, posted to the focused control, each
//         time waiting for the focus to move; prints "focus CLASS "first line"" each time
//   escape: Escape posted to the focused control (a later step sees its effect)
//   end-session: the log-off's two questions, then the program is ended as the
//         system ends it; prints what it answered
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "ansi_win32.h"

namespace {

HWND form = nullptr;
HWND dialog = nullptr;
PROCESS_INFORMATION started{};

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "FAIL: %s\n", sarvo::win32::FromAnsi(what).c_str());
    if (started.hProcess != nullptr) TerminateProcess(started.hProcess, 99);
    std::exit(1);
}

std::string ClassOf(HWND h) {
    char name[64] = {};
    return GetClassNameA(h, name, sizeof name) ? name : "";
}

std::string TextOf(HWND h) {
    std::vector<char> text(static_cast<std::size_t>(SendMessageA(h, WM_GETTEXTLENGTH, 0, 0)) + 1);
    SendMessageA(h, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

void WaitUntil(const std::function<bool()>& done, const std::string& what) {  // for 30 s
    for (const DWORD start = GetTickCount(); !done(); Sleep(50))
        if (GetTickCount() - start > 30000) Fail(what);
}

HWND Find(const std::string& caption, HWND owner) {  // visible, of the started program
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

HWND Focused() {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &gui);
    return gui.hwndFocus;
}

std::string Describe(HWND h, bool firstLine = false) {  // CLASS "text"
    std::string text;
    for (char c : TextOf(h)) {  // no second byte of a double-byte character is CR or LF
        if (firstLine && (c == '\r' || c == '\n')) break;
        text += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
    }
    return ClassOf(h) + " \"" + text + "\"";
}

void Dump() {
    const HWND focus = Focused();
    for (HWND h : Children()) {
        RECT r;
        GetWindowRect(h, &r);
        MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
        std::printf("%s %ld,%ld,%ld,%ld%s%s\n", sarvo::win32::FromAnsi(Describe(h)).c_str(), r.left, r.top,
                    r.right - r.left, r.bottom - r.top, (GetWindowLongA(h, GWL_STYLE) & WS_TABSTOP) ? " tab" : "",
                    focus == h ? " focus" : "");
    }
    RECT client;
    GetClientRect(form, &client);
    LRESULT tools = 0;  // the tool tips: windows of their own, owned by the window
    for (HWND h = nullptr; (h = FindWindowExA(nullptr, h, TOOLTIPS_CLASSA, nullptr)) != nullptr;)
        if (GetWindow(h, GW_OWNER) == form) tools += SendMessageA(h, TTM_GETTOOLCOUNT, 0, 0);
    std::printf("client %ld,%ld\ntool tips %ld\n", client.right, client.bottom, static_cast<long>(tools));
    std::fflush(stdout);
}

// A key pressed and let go on `control`, as the keyboard would queue it for the program's thread.
void PostKey(HWND control, WPARAM key) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(control, WM_KEYDOWN, key, scan | 1);
    PostMessageA(control, WM_KEYUP, key, scan | 1 | 0xC0000000);
}

// Tab pressed on the focused control. Shift is part of the program thread's
// key state, which this thread shares while attached to it.
void Walk(int times, bool shift) {
    const DWORD self = GetCurrentThreadId();
    const DWORD program = GetWindowThreadProcessId(form, nullptr);
    if (!AttachThreadInput(self, program, TRUE)) Fail("cannot share the program's key state");
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    for (int n = 0; n < times; ++n) {
        const HWND before = Focused();
        PostKey(before, VK_TAB);
        WaitUntil([&] {
            if (!IsWindow(form)) Fail("the window closed");
            return Focused() != nullptr && Focused() != before;
        }, "the focus stays on " + Describe(before));
        std::printf("focus %s\n", sarvo::win32::FromAnsi(Describe(Focused(), true)).c_str());
    }
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    AttachThreadInput(self, program, FALSE);
    std::fflush(stdout);
}

void Expect(const std::string& actual, const std::string& expected, const std::string& what) {
    if (actual != expected) Fail(what + ": expected \"" + expected + "\", got \"" + actual + "\"");
}

}  // namespace

int main(int argc, char** argv) {
    int i = 1;
    auto next = [&]() -> std::string {
        if (i >= argc) Fail(std::string("missing argument of ") + argv[i - 1]);
        return argv[i++];
    };
    auto number = [&] { return std::atoi(next().c_str()); };
    while (i < argc) {
        const std::string step = next();
        if (step == "start") {
            const std::string program = next();
            const std::string text = next();
            std::string commandLine = "\"" + program + "\"" + (text.empty() ? "" : " " + text);
            STARTUPINFOA startup{};
            startup.cb = sizeof startup;
            if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                &startup, &started))
                Fail("cannot start " + program + ": " + sarvo::win32::SystemErrorText(GetLastError()));
        } else if (step == "window" || step == "dialog") {
            const std::string caption = next();
            HWND& found = step == "window" ? form : dialog;
            found = nullptr;
            WaitUntil([&] { return (found = Find(caption, step == "window" ? nullptr : form)) != nullptr; },
                      "no " + step + " " + caption);
            // Visible comes before the focus is set; an answer comes once the window is shown.
            if (SendMessageTimeoutA(found, WM_NULL, 0, 0, SMTO_NORMAL, 30000, nullptr) == 0)
                Fail("the " + step + " does not answer");
            if (step == "window") dialog = form;
        } else if (step == "dump") {
            Dump();
        } else if (step == "settext") {
            HWND h = Control(next());
            SendMessageA(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(next().c_str()));
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
        } else if (step == "answer") {
            const int id = number();
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
            WaitUntil([&] { return !IsWindow(dialog); }, "answer: the window is still open");
        } else if (step == "tab" || step == "shift-tab") {
            Walk(number(), step == "shift-tab");
        } else if (step == "escape") {
            PostKey(Focused(), VK_ESCAPE);
        } else if (step == "end-session") {
            // Once the last answer is in, the system may end the program at any moment.
            DWORD_PTR agreed = 0;
            DWORD_PTR done = 0;
            if (!SendMessageTimeoutA(form, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 30000, &agreed) ||
                !SendMessageTimeoutA(form, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 30000, &done))
                Fail("the window does not answer the end of the session");
            if (agreed == 0) Fail("the program refuses to end the session");
            TerminateProcess(started.hProcess, 0);
        } else {
            Fail("unknown step " + step);
        }
    }
    return 0;
}
