// The folder browser (SHBrowseForFolderA) and the input box (a dialog
// template of the program's resources, shown with DialogBoxParamA), both
// modal over the program's window when one is open.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstdio>

#include "ansi_win32.h"
#include "owner_win32.h"
#include "platform/dialogs.h"
#include "resource_ids.h"

namespace sarvo::platform {

namespace {

// Where no one can be asked, what would have been asked goes to standard
// error, and the question counts as cancelled.
bool NobodyToAsk(const std::string& question) {
    std::string why;
    if (win32::CanShowWindows(why)) return false;
    std::fprintf(stderr, "%s: %s\n", win32::ToAnsiLossy(question).c_str(), win32::ToAnsiLossy(why).c_str());
    std::fflush(stderr);
    return true;
}

// Selects the start folder once the browser is up. The browser takes the
// path in the ANSI code page (BFFM_SETSELECTIONA with TRUE: a path, not an
// item list) and keeps its own selection when the folder does not exist.
int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED && start != 0 && *reinterpret_cast<const char*>(start) != '\0')
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, start);
    return 0;
}

// COM for the browser, on this thread, for as long as the browser is open.
class OleSession {
public:
    OleSession() : started_(SUCCEEDED(OleInitialize(nullptr))) {}
    ~OleSession() {
        if (started_) OleUninitialize();
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;

private:
    bool started_;
};

struct InputState {
    std::string caption, prompt, initial;  // ANSI
    std::string answer;                    // ANSI
};

INT_PTR CALLBACK InputBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            const auto* state = reinterpret_cast<const InputState*>(lParam);
            SetWindowTextA(dialog, state->caption.c_str());
            SetDlgItemTextA(dialog, SARVO_INPUT_PROMPT, state->prompt.c_str());
            SetDlgItemTextA(dialog, SARVO_INPUT_ANSWER, state->initial.c_str());
            HWND field = GetDlgItem(dialog, SARVO_INPUT_ANSWER);
            SendMessageA(field, EM_SETSEL, 0, -1);
            SetFocus(field);
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                auto* state = reinterpret_cast<InputState*>(GetWindowLongPtrA(dialog, DWLP_USER));
                HWND field = GetDlgItem(dialog, SARVO_INPUT_ANSWER);
                std::string text(static_cast<std::size_t>(GetWindowTextLengthA(field)) + 1, '\0');
                text.resize(static_cast<std::size_t>(GetWindowTextA(field, text.data(), static_cast<int>(text.size()))));
                state->answer = text;
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

}  // namespace

DialogResult BrowseForFolder(const std::string& title, const std::string& startFolder, std::string& chosen,
                             std::string& why) {
    if (NobodyToAsk(title)) return DialogResult::Cancel;
    const OleSession ole;
    const std::string aTitle = win32::ToAnsiLossy(title);
    // A start folder the code page cannot hold names no folder the browser
    // could select.
    std::string aStart;
    if (!win32::ToAnsi(startFolder, aStart)) aStart.clear();
    char displayName[MAX_PATH] = {};
    BROWSEINFOA info{};
    info.hwndOwner = win32::OwnerWindow();
    info.pszDisplayName = displayName;
    info.lpszTitle = aTitle.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(aStart.c_str());
    PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&info);
    if (item == nullptr) return DialogResult::Cancel;
    char path[MAX_PATH] = {};
    const bool isFolder = SHGetPathFromIDListA(item, path) != FALSE;
    CoTaskMemFree(item);
    if (!isFolder) {
        why = "選択されたものはファイル システムのフォルダではありません。";
        return DialogResult::Error;
    }
    path[MAX_PATH - 1] = '\0';
    chosen = win32::FromAnsi(path);
    return DialogResult::Ok;
}

DialogResult InputBox(const std::string& caption, const std::string& prompt, const std::string& initial,
                      std::string& answer, std::string& why) {
    if (NobodyToAsk(caption + ": " + prompt)) return DialogResult::Cancel;
    InputState state{win32::ToAnsiLossy(caption), win32::ToAnsiLossy(prompt), win32::ToAnsiLossy(initial), {}};
    const INT_PTR result =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(SARVO_DIALOG_INPUT_BOX), win32::OwnerWindow(),
                        InputBoxProc, reinterpret_cast<LPARAM>(&state));
    if (result == IDOK) {
        answer = win32::FromAnsi(state.answer);
        return DialogResult::Ok;
    }
    if (result == IDCANCEL) return DialogResult::Cancel;
    why = "入力ボックスを表示できません。\r\n" + win32::SystemErrorText(GetLastError());
    return DialogResult::Error;
}

}  // namespace sarvo::platform
