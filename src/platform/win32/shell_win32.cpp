// The file manager and the web browser through ShellExecuteA, owned by the
// program's window when one is open. ShellExecuteA reports success with a
// value above 32 and a failure with a number at most 32.
#include <windows.h>
#include <shellapi.h>

#include "ansi_win32.h"
#include "owner_win32.h"
#include "platform/shell.h"

namespace sarvo::platform {

namespace {

bool Succeeded(HINSTANCE result, const std::string& what, std::string& why) {
    const auto code = reinterpret_cast<INT_PTR>(result);
    if (code > 32) return true;
    if (code == SE_ERR_NOASSOC || code == SE_ERR_ASSOCINCOMPLETE) {
        why = "開くプログラムが設定されていません：" + what;
        return false;
    }
    // The small numbers below 32 that are no system error codes come with
    // the system's own error.
    const DWORD error = GetLastError();
    why = what + ": " + win32::SystemErrorText(error != 0 ? error : static_cast<DWORD>(code));
    return false;
}

}  // namespace

bool OpenFolderWindow(const std::string& folder, std::string& why) {
    std::string aFolder;
    if (!win32::ToAnsi(folder, aFolder)) {
        why = folder + ": " + win32::SystemErrorText(ERROR_NO_UNICODE_TRANSLATION);
        return false;
    }
    // Explorer reads its switches up to each comma, so the folder is quoted:
    // a folder whose name holds a comma or blanks stays one path.
    const std::string parameters = "/n,\"" + aFolder + "\"";
    return Succeeded(ShellExecuteA(win32::OwnerWindow(), "open", "explorer.exe", parameters.c_str(), nullptr, SW_SHOW),
                     folder, why);
}

bool OpenWebAddress(const std::string& address, std::string& why) {
    // Anything else handed to ShellExecuteA could start a program.
    if (address.rfind("http://", 0) != 0 && address.rfind("https://", 0) != 0) {
        why = "Web のアドレスではありません：" + address;
        return false;
    }
    std::string aAddress;
    if (!win32::ToAnsi(address, aAddress)) {
        why = address + ": " + win32::SystemErrorText(ERROR_NO_UNICODE_TRANSLATION);
        return false;
    }
    return Succeeded(ShellExecuteA(win32::OwnerWindow(), "open", aAddress.c_str(), "", "", SW_SHOW), address, why);
}

}  // namespace sarvo::platform
