// The program's window, made of the system's standard controls, each created
// with CreateWindowExA from its ControlSpec and bound to its model:
//
//   Label         STATIC, SS_NOTIFY (clicks)          Label::OnClick
//   TextBox       EDIT, one line                      SetText on EN_CHANGE, OnDblClick
//   HelpText      EDIT, multi-line, read-only, WS_VSCROLL
//   CheckBox      BUTTON, BS_AUTOCHECKBOX             SetValue on BN_CLICKED
//   DropDownList  COMBOBOX, CBS_DROPDOWNLIST          SetListIndex on CBN_SELCHANGE
//   Button        BUTTON (BS_ICON for a picture)      Button::OnClick
//   Image         STATIC, SS_ICON | SS_NOTIFY         Image::OnDblClick on STN_DBLCLK
//
// Code's changes come back through each model's Redraw hook. Drawing them
// makes some controls notify as if the user had acted (an edit control sends
// EN_CHANGE for every new text); those echoes are ignored, so a handler runs
// once per change. The message loop goes through IsDialogMessageA, which
// gives the keyboard its dialog behaviour: Tab runs through the controls
// with WS_TABSTOP in their Z order, which is set to the form's focus order.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "ansi_win32.h"
#include "owner_win32.h"
#include "platform/window.h"
#include "resource_ids.h"

namespace sarvo::platform {

namespace {

constexpr char kClassName[] = "SarvoForm";
// Control numbers start clear of IDOK and IDCANCEL, which IsDialogMessageA
// sends for Enter and Escape: the form has no default or cancel button.
constexpr int kFirstId = 1000;
// Posted by a text box when it is double-clicked, so that the handler runs
// after the control has finished with the mouse.
constexpr UINT kDoubleClicked = WM_APP + 1;

struct Bound {
    ControlSpec* spec = nullptr;
    HWND hwnd = nullptr;
    HICON icon = nullptr;
};

struct Window {
    explicit Window(FormSpec& f) : form(f) {}
    FormSpec& form;
    HWND hwnd = nullptr;
    int dpiX = 96, dpiY = 96;
    std::vector<Bound> controls;  // one for each of form.controls, in the same order
    std::vector<HFONT> fonts;
    std::vector<HICON> icons;
    HWND focus = nullptr;       // the control to give the focus back to when the window is active again
    bool drawing = false;       // code's value is being drawn: notifications are echoes
    bool unloaded = false;      // the form's unload handler has run
    std::exception_ptr failure;

    Bound* Find(HWND control) {
        for (Bound& b : controls)
            if (b.hwnd == control) return &b;
        return nullptr;
    }
};

// A failure of the program's code inside the window's callbacks ends the
// window; RunWindow raises it again, outside the callbacks, once the window
// has gone.
void Fail(Window& w, std::exception_ptr failure) {
    if (!w.failure) w.failure = std::move(failure);
    if (IsWindow(w.hwnd)) DestroyWindow(w.hwnd);
}

// Runs a handler of the program, unless the window is already failing.
void Run(Window& w, const std::function<void()>& handler) {
    if (handler && !w.failure) handler();
}

// The form's unload handler, once: on the close, or at the end of the
// session, whichever comes first.
void Unload(Window& w) {
    if (w.unloaded) return;
    w.unloaded = true;
    Run(w, w.form.onUnload);
}

std::string TextOf(HWND control) {
    const int length = GetWindowTextLengthA(control);
    std::string ansi(static_cast<std::size_t>(length) + 1, '\0');
    ansi.resize(static_cast<std::size_t>(GetWindowTextA(control, ansi.data(), length + 1)));
    return win32::FromAnsi(ansi);
}

void Draw(Window& w, HWND control, const std::string& text) {
    const bool was = w.drawing;
    w.drawing = true;
    SetWindowTextA(control, win32::ToAnsiLossy(text).c_str());
    w.drawing = was;
}

int IconResource(Picture picture) {
    switch (picture) {
        case Picture::SettingToolIcon: return SARVO_ICON_SETTING_TOOL;
        case Picture::Folder: return SARVO_ICON_FOLDER;
        case Picture::TrashBox: return SARVO_ICON_TRASH_BOX;
        case Picture::UninstallerIcon: return SARVO_ICON_UNINSTALLER;
        case Picture::None: break;
    }
    return 0;
}

// The picture from the program's resources, at the given size; null when
// the program carries none.
HICON LoadPicture(Window& w, Picture picture, int width, int height) {
    const int id = IconResource(picture);
    if (id == 0) return nullptr;
    auto icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON,
                                              width, height, LR_DEFAULTCOLOR));
    if (icon != nullptr) w.icons.push_back(icon);
    return icon;
}

struct Look {
    const char* windowClass;
    long style;
    long exStyle;
};

Look LookOf(const ControlSpec& c) {
    switch (c.kind) {
        case ControlKind::Label:
            return {"STATIC", SS_NOTIFY | SS_NOPREFIX | (c.alignment == Alignment::Centre ? SS_CENTER : SS_LEFT), 0};
        case ControlKind::TextBox:
            return {"EDIT", ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
        case ControlKind::HelpText:
            return {"EDIT", ES_LEFT | ES_MULTILINE | ES_READONLY | WS_VSCROLL, WS_EX_CLIENTEDGE};
        case ControlKind::CheckBox:
            return {"BUTTON", BS_AUTOCHECKBOX, 0};
        case ControlKind::DropDownList:
            return {"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL, 0};
        case ControlKind::Button:
            return {"BUTTON", BS_PUSHBUTTON | (c.picture != Picture::None ? BS_ICON : 0), 0};
        case ControlKind::Image:
            return {"STATIC", SS_ICON | SS_NOTIFY | SS_CENTERIMAGE | SS_REALSIZECONTROL, 0};
    }
    return {"STATIC", 0, 0};
}

// The text a control starts with: its model's value, or its caption.
std::string InitialText(const ControlSpec& c) {
    switch (c.kind) {
        case ControlKind::Label:
            return c.model != nullptr ? static_cast<Label*>(c.model)->Caption() : c.caption;
        case ControlKind::TextBox:
        case ControlKind::HelpText:
            return c.model != nullptr ? static_cast<TextBox*>(c.model)->Text() : std::string();
        case ControlKind::Button:
            return c.picture != Picture::None ? std::string() : c.caption;
        case ControlKind::CheckBox:
            return c.caption;
        case ControlKind::DropDownList:
        case ControlKind::Image:
            break;
    }
    return {};
}

HFONT MakeFont(const FontSpec& font, int dpiY) {
    return CreateFontA(-MulDiv(font.points, dpiY, 72), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE,
                       font.underline ? TRUE : FALSE, FALSE, font.japanese ? SHIFTJIS_CHARSET : DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       win32::ToAnsiLossy(font.face).c_str());
}

// Double-clicks in a text box, which the edit control keeps to itself; and
// the keyboard of a help text. A multi-line edit control asks for every key,
// so the message loop would hand it Tab and Escape; it would pass Tab on
// with WM_NEXTDLGCTL and answer Escape by closing its parent, both as in a
// dialog box, which this window is not. Without them it keeps its arrows,
// and Tab and Escape act as on any other control.
LRESULT CALLBACK TextBoxProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                             DWORD_PTR multiLine) {
    if (message == WM_GETDLGCODE && multiLine != 0)
        return DefSubclassProc(control, message, wParam, lParam) & ~(DLGC_WANTALLKEYS | DLGC_WANTTAB);
    if (message == WM_LBUTTONDBLCLK) {
        const LRESULT result = DefSubclassProc(control, message, wParam, lParam);
        PostMessageA(GetParent(control), kDoubleClicked, id, reinterpret_cast<LPARAM>(control));
        return result;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(control, TextBoxProc, id);
    return DefSubclassProc(control, message, wParam, lParam);
}

// Redraws the control whenever code changes its model.
void Bind(Window& w, Bound& b) {
    Control* model = b.spec->model;
    if (model == nullptr) return;
    Window* win = &w;
    const HWND control = b.hwnd;
    switch (b.spec->kind) {
        case ControlKind::Label: {
            auto* label = static_cast<Label*>(model);
            model->Redraw = [win, control, label] { Draw(*win, control, label->Caption()); };
            break;
        }
        case ControlKind::TextBox:
        case ControlKind::HelpText: {
            auto* box = static_cast<TextBox*>(model);
            // The text the user just typed is already there: setting it
            // again would move the caret.
            model->Redraw = [win, control, box] {
                if (TextOf(control) != box->Text()) Draw(*win, control, box->Text());
            };
            break;
        }
        case ControlKind::CheckBox: {
            auto* box = static_cast<CheckBox*>(model);
            model->Redraw = [control, box] {
                SendMessageA(control, BM_SETCHECK, box->Value() != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
            };
            break;
        }
        case ControlKind::DropDownList: {
            auto* list = static_cast<ComboBox*>(model);
            model->Redraw = [control, list] { SendMessageA(control, CB_SETCURSEL, list->ListIndex(), 0); };
            break;
        }
        case ControlKind::Button:
        case ControlKind::Image:
            break;
    }
}

void Unbind(Window& w) {
    for (Bound& b : w.controls)
        if (b.spec->model != nullptr) b.spec->model->Redraw = nullptr;
}

// What the user did with a control, passed on to its model.
void Notify(Window& w, Bound& b, int code) {
    Control* model = b.spec->model;
    if (model == nullptr) return;
    switch (b.spec->kind) {
        case ControlKind::TextBox:
        case ControlKind::HelpText:
            if (code == EN_CHANGE && !w.drawing) {
                auto* box = static_cast<TextBox*>(model);
                Run(w, [&] { box->SetText(TextOf(b.hwnd)); });
            }
            break;
        case ControlKind::CheckBox:
            if (code == BN_CLICKED) {
                auto* box = static_cast<CheckBox*>(model);
                const bool ticked = SendMessageA(b.hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
                Run(w, [&] { box->SetValue(ticked ? 1 : 0); });
            }
            break;
        case ControlKind::DropDownList:
            if (code == CBN_SELCHANGE) {
                auto* list = static_cast<ComboBox*>(model);
                const int index = static_cast<int>(SendMessageA(b.hwnd, CB_GETCURSEL, 0, 0));
                Run(w, [&] { list->SetListIndex(index); });
            }
            break;
        case ControlKind::Button:
            if (code == BN_CLICKED) Run(w, static_cast<Button*>(model)->OnClick);
            break;
        case ControlKind::Label:
            if (code == STN_CLICKED) Run(w, static_cast<Label*>(model)->OnClick);
            break;
        case ControlKind::Image:
            if (code == STN_DBLCLK) Run(w, static_cast<Image*>(model)->OnDblClick);
            break;
    }
}

LRESULT Handle(Window* w, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            const int index = LOWORD(wParam) - kFirstId;
            if (index < 0 || index >= static_cast<int>(w->controls.size())) break;
            Bound& b = w->controls[static_cast<std::size_t>(index)];
            if (b.hwnd != reinterpret_cast<HWND>(lParam)) break;
            Notify(*w, b, HIWORD(wParam));
            return 0;
        }
        case kDoubleClicked: {
            Bound* b = w->Find(reinterpret_cast<HWND>(lParam));
            if (b != nullptr && b->spec->model != nullptr)
                Run(*w, static_cast<TextBox*>(b->spec->model)->OnDblClick);
            return 0;
        }
        case WM_CTLCOLORSTATIC: {
            const Bound* b = w->Find(reinterpret_cast<HWND>(lParam));
            if (b == nullptr) break;
            const auto dc = reinterpret_cast<HDC>(wParam);
            if (b->spec->kind == ControlKind::HelpText) {
                // Read-only, but drawn like any text box.
                SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
                SetBkColor(dc, GetSysColor(COLOR_WINDOW));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
            }
            if (b->spec->colour == TextColour::Default) break;
            SetTextColor(dc, b->spec->colour == TextColour::Highlight ? GetSysColor(COLOR_HIGHLIGHT) : RGB(0, 0, 255));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focused = GetFocus();
                if (focused != nullptr && IsChild(hwnd, focused)) w->focus = focused;
            } else if (w->focus != nullptr && IsWindow(w->focus)) {
                SetFocus(w->focus);
                return 0;
            }
            break;
        case WM_CLOSE:
            Unload(*w);
            DestroyWindow(hwnd);
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            // The session ends: once this returns, the system may end the
            // process at any moment, so what a close saves is saved now.
            if (wParam != FALSE) Unload(*w);
            return 0;
        case WM_DESTROY:
            Unbind(*w);
            win32::SetOwnerWindow(nullptr);
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// No exception may pass through the system's code that called this.
LRESULT CALLBACK FormProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* w = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (w == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
    try {
        return Handle(w, hwnd, message, wParam, lParam);
    } catch (...) {
        Fail(*w, std::current_exception());
        return 0;
    }
}

bool RegisterFormClass(std::string& why) {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = FormProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kClassName;
    if (RegisterClassExA(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        why = "ウィンドウを作成できませんでした（" + win32::SystemErrorText(GetLastError()) + "）。";
        return false;
    }
    registered = true;
    return true;
}

void CreateControls(Window& w) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    // Every font from its size in points at the window's DPI; the system's
    // stock fonts are no measure, as some systems scale them and some not.
    HFONT windowFont = MakeFont(w.form.font, w.dpiY);
    if (windowFont != nullptr) w.fonts.push_back(windowFont);
    w.controls.resize(w.form.controls.size());
    w.drawing = true;
    for (std::size_t i = 0; i < w.form.controls.size(); ++i) {
        ControlSpec& c = w.form.controls[i];
        Bound& b = w.controls[i];
        b.spec = &c;
        const Look look = LookOf(c);
        const int left = TwipsToPixels(c.place.left, w.dpiX), top = TwipsToPixels(c.place.top, w.dpiY);
        const int width = TwipsToPixels(c.place.width, w.dpiX);
        int height = TwipsToPixels(c.place.height, w.dpiY);
        std::vector<std::string> items;
        if (c.kind == ControlKind::DropDownList && c.model != nullptr) {
            items = static_cast<ComboBox*>(c.model)->Items();
            // A combo box's height includes its dropped-down list.
            height += MulDiv(18, w.dpiY, 96) * static_cast<int>(items.size() + 1);
        }
        const auto style = static_cast<DWORD>(WS_CHILD | WS_VISIBLE | look.style | (TakesFocus(c) ? WS_TABSTOP : 0));
        b.hwnd = CreateWindowExA(static_cast<DWORD>(look.exStyle), look.windowClass, win32::ToAnsiLossy(InitialText(c)).c_str(), style,
                                 left, top, width, height, w.hwnd,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstId + static_cast<int>(i))),
                                 instance, nullptr);
        if (b.hwnd == nullptr) continue;
        HFONT font = windowFont;
        if (c.font) {
            if (HFONT own = MakeFont(*c.font, w.dpiY)) {
                w.fonts.push_back(own);
                font = own;
            }
        }
        SendMessageA(b.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        for (const std::string& item : items)
            SendMessageA(b.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win32::ToAnsiLossy(item).c_str()));
        if (c.picture != Picture::None && (c.kind == ControlKind::Button || c.kind == ControlKind::Image)) {
            // A button shows its picture as drawn, in its middle: the largest
            // that leaves room for its raised frame and the focus rectangle
            // (5 pixels at 96 DPI). An image is stretched to its place, and
            // the icon holds the sizes of its place at the usual DPIs.
            const bool button = c.kind == ControlKind::Button;
            const int side = button ? PictureSizeFor(c.picture, height - MulDiv(5, w.dpiY, 96)) : std::min(width, height);
            if (HICON icon = LoadPicture(w, c.picture, side, side))
                SendMessageA(b.hwnd, button ? BM_SETIMAGE : STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
        }
        if (c.kind == ControlKind::TextBox || c.kind == ControlKind::HelpText)
            SetWindowSubclass(b.hwnd, TextBoxProc, i, c.kind == ControlKind::HelpText ? 1 : 0);
        Bind(w, b);
        if (c.model != nullptr && c.model->Redraw) c.model->Redraw();
    }
    w.drawing = false;
}

void AddToolTips(Window& w) {
    HWND tips = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, w.hwnd, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    if (tips == nullptr) return;
    for (const Bound& b : w.controls) {
        if (b.hwnd == nullptr || b.spec->toolTip.empty()) continue;
        std::string text = win32::ToAnsiLossy(b.spec->toolTip);
        TTTOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;  // understood with or without common controls 6
        tool.uFlags = TTF_SUBCLASS | TTF_IDISHWND;
        tool.hwnd = w.hwnd;
        tool.uId = reinterpret_cast<UINT_PTR>(b.hwnd);
        tool.lpszText = text.data();
        SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

// Tab runs through the controls in Z order: the focus order first, each
// placed below the one before it.
HWND ArrangeFocusOrder(Window& w) {
    HWND first = nullptr, previous = HWND_TOP;
    for (const ControlSpec* c : FocusOrder(w.form)) {
        const HWND control = w.controls[static_cast<std::size_t>(c - w.form.controls.data())].hwnd;
        if (control == nullptr) continue;
        SetWindowPos(control, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = control;
        if (first == nullptr) first = control;
    }
    return first;
}

int ShowCommand() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWNORMAL;
}

void SetWindowIcons(Window& w) {
    if (HICON big = LoadPicture(w, w.form.icon, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)))
        SendMessageA(w.hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (HICON small = LoadPicture(w, w.form.icon, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)))
        SendMessageA(w.hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

}  // namespace

bool RunWindow(FormSpec& form, std::string& why) {
    if (!win32::CanShowWindows(why)) return false;
    INITCOMMONCONTROLSEX commonControls{sizeof commonControls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&commonControls);
    if (!RegisterFormClass(why)) return false;

    auto w = std::make_unique<Window>(form);
    HDC screen = GetDC(nullptr);
    w->dpiX = GetDeviceCaps(screen, LOGPIXELSX);
    w->dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);

    // A fixed frame with the client area the form asks for, in the middle
    // of the work area.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN |
                        (form.minimizeBox ? WS_MINIMIZEBOX : 0) | (form.maximizeBox ? WS_MAXIMIZEBOX : 0);
    RECT frame{0, 0, TwipsToPixels(form.clientWidth, w->dpiX), TwipsToPixels(form.clientHeight, w->dpiY)};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int x = work.left + std::max(0, static_cast<int>(work.right - work.left - width) / 2);
    const int y = work.top + std::max(0, static_cast<int>(work.bottom - work.top - height) / 2);

    w->hwnd = CreateWindowExA(0, kClassName, win32::ToAnsiLossy(form.caption).c_str(), style, x, y, width, height,
                              nullptr, nullptr, GetModuleHandleA(nullptr), w.get());
    if (w->hwnd == nullptr) {
        why = "ウィンドウを作成できませんでした（" + win32::SystemErrorText(GetLastError()) + "）。";
        return false;
    }
    SetWindowIcons(*w);
    CreateControls(*w);
    AddToolTips(*w);
    w->focus = ArrangeFocusOrder(*w);
    win32::SetOwnerWindow(w->hwnd);

    ShowWindow(w->hwnd, ShowCommand());
    if (w->focus != nullptr) SetFocus(w->focus);
    UpdateWindow(w->hwnd);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (IsWindow(w->hwnd) && IsDialogMessageA(w->hwnd, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // A handler may have ended the loop itself; the window goes with it.
    if (IsWindow(w->hwnd)) DestroyWindow(w->hwnd);
    // The controls are gone with the window; their pictures and fonts go now.
    for (HICON icon : w->icons) DestroyIcon(icon);
    for (HFONT font : w->fonts) DeleteObject(font);
    if (w->failure) std::rethrow_exception(w->failure);
    return true;
}

}  // namespace sarvo::platform
