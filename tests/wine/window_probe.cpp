// window_probe.dll (see window_probe.h): runs inside the driven program, on
// its window's thread, as a hook the window driver sets.
#include <windows.h>
#include <commctrl.h>

#include <cstdarg>
#include <cstdio>

#include "window_probe.h"

namespace {

struct Report {
    char* at;
    char* end;
    void Add(const char* format, ...) {
        va_list list;
        va_start(list, format);
        const int n = std::vsnprintf(at, static_cast<std::size_t>(end - at), format, list);
        va_end(list);
        if (n > 0) at += n < end - at ? n : end - at - 1;
    }
};

// `text` in the control's font: broken into lines at `width` as a label
// breaks it, or on one line when `width` is 0.
SIZE Extent(HWND control, const char* text, int width) {
    HDC dc = GetDC(control);
    const HGDIOBJ was = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT r{0, 0, width, 0};
    DrawTextA(dc, *text != '\0' ? text : " ", -1, &r,
              DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (width > 0 ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, was);
    ReleaseDC(control, dc);
    return {r.right - r.left, r.bottom - r.top};
}

// What the control's text needs, and where it has to fit: a label's lines as
// it breaks them; a button's or check box's caption as the button itself
// lays it out (with the check mark); one line of an edit control; the chosen
// item of a list beside its arrow. False for controls without a text.
bool Measure(HWND control, SIZE& need, RECT& room) {
    char kind[32] = {};
    char text[4096] = {};
    GetClassNameA(control, kind, sizeof kind);
    GetWindowTextA(control, text, sizeof text);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    GetClientRect(control, &room);
    if (lstrcmpiA(kind, "Static") == 0) {
        if ((style & SS_TYPEMASK) == SS_ICON || text[0] == '\0') return false;
        need = Extent(control, text, room.right);
    } else if (lstrcmpiA(kind, "Button") == 0) {
        if (text[0] == '\0') return false;
        need = {};
        if (SendMessageA(control, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&need)) == 0)
            need = Extent(control, text, 0);  // a button of the old common controls cannot say
    } else if (lstrcmpiA(kind, "Edit") == 0) {
        SendMessageA(control, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&room));
        need = {0, Extent(control, "", 0).cy};
    } else if (lstrcmpiA(kind, "ComboBox") == 0) {
        need = Extent(control, text, 0);
        need.cx += GetSystemMetrics(SM_CXVSCROLL);
    } else {
        return false;
    }
    return true;
}

// The size of the icon a picture button or picture shows; false for others.
bool PictureSize(HWND control, SIZE& size) {
    char kind[32] = {};
    GetClassNameA(control, kind, sizeof kind);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    LRESULT icon = 0;
    if (lstrcmpiA(kind, "Button") == 0 && (style & BS_ICON) != 0)
        icon = SendMessageA(control, BM_GETIMAGE, IMAGE_ICON, 0);
    else if (lstrcmpiA(kind, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON)
        icon = SendMessageA(control, STM_GETIMAGE, IMAGE_ICON, 0);
    ICONINFO info{};
    if (icon == 0 || !GetIconInfo(reinterpret_cast<HICON>(icon), &info)) return false;
    BITMAP mask{};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    size = {mask.bmWidth, info.hbmColor != nullptr ? mask.bmHeight : mask.bmHeight / 2};
    DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    return true;
}

void MeasureAll(HWND window) {
    char lines[16 * 1024] = {};
    Report report{lines, lines + sizeof lines};
    int checked = 0;
    for (HWND h = GetWindow(window, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
        char kind[32] = {};
        GetClassNameA(h, kind, sizeof kind);
        SIZE need{};
        if (PictureSize(h, need)) report.Add("picture %s %ldx%ld\n", kind, need.cx, need.cy);
        RECT room{};
        if (!Measure(h, need, room)) continue;
        ++checked;
        char text[256] = {};
        GetWindowTextA(h, text, sizeof text);
        if (need.cx > room.right - room.left || need.cy > room.bottom - room.top)
            report.Add("cut \"%s\" takes %ldx%ld where there is %ldx%ld\n", text, need.cx, need.cy,
                       room.right - room.left, room.bottom - room.top);
    }
    HANDLE shared = OpenFileMappingA(FILE_MAP_WRITE, FALSE, kReportName);
    if (shared == nullptr) return;
    if (auto* view = static_cast<char*>(MapViewOfFile(shared, FILE_MAP_WRITE, 0, 0, kReportSize))) {
        std::snprintf(view, kReportSize, "checked %d\n%s", checked, lines);
        UnmapViewOfFile(view);
    }
    CloseHandle(shared);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK MeasureTexts(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == RegisterWindowMessageA(kMeasureMessage)) MeasureAll(call->hwnd);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
