// A window station without WSF_VISIBLE (a service, a scheduled task run
// without a session) takes windows nobody sees; under Wine without a display
// no window can be created at all. In either case a dialog would wait for
// nobody or fail, so callers say what they would have asked instead.
#include "owner_win32.h"

#include "ansi_win32.h"

namespace sarvo::win32 {

namespace {

HWND owner = nullptr;

}  // namespace

HWND OwnerWindow() { return owner; }

void SetOwnerWindow(HWND window) { owner = window; }

bool CanShowWindows(std::string& why) {
    if (owner != nullptr) return true;
    USEROBJECTFLAGS flags{};
    if (GetUserObjectInformationA(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags, nullptr) &&
        (flags.dwFlags & WSF_VISIBLE) == 0) {
        why = "対話できるデスクトップがないので、表示できません。";
        return false;
    }
    HWND probe = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    if (probe == nullptr) {
        why = "ここではウィンドウを表示できません（" + SystemErrorText(GetLastError()) + "）。";
        return false;
    }
    DestroyWindow(probe);
    return true;
}

}  // namespace sarvo::win32
