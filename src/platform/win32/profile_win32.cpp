// The settings file through the Windows profile functions, so that its format
// and reading rules are exactly the system's: CRLF lines in the ANSI code
// page, names matched without regard to case, 255 bytes per read. Texts are
// converted between UTF-8 and the code page here and nowhere else.
//
// The profile functions rewrite a file in place; a crash or a second program
// at the same moment could leave half a file. So a write goes to a copy
// beside the file, which then replaces it in one move.
#include <windows.h>

#include <cstring>

#include "ansi_win32.h"
#include "core/pure/profile_text.h"
#include "platform/profile.h"
#include "replace_win32.h"

namespace sarvo::platform {

namespace {

constexpr DWORD kReadBufferSize = 256;

// A value cut at the byte limit may end in the first byte of a two-byte
// character; that byte alone is no character, so it is dropped.
std::size_t WholeCharacters(const char* text, std::size_t length) {
    std::size_t i = 0;
    while (i < length) {
        const std::size_t step =
            IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(text[i])) ? 2 : 1;
        if (i + step > length) break;
        i += step;
    }
    return i;
}

}  // namespace

std::string ProfileReadString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& defaultText) {
    std::string aFile, aSection, aKey;
    if (!win32::ToAnsi(file, aFile) || !win32::ToAnsi(section, aSection) ||
        !win32::ToAnsi(key, aKey))
        return TrimTrailingBlanks(defaultText);
    const std::string aDefault = win32::ToAnsiLossy(defaultText);
    char buffer[kReadBufferSize] = {};
    GetPrivateProfileStringA(aSection.c_str(), aKey.c_str(), aDefault.c_str(), buffer,
                             kReadBufferSize, aFile.c_str());
    buffer[kReadBufferSize - 1] = '\0';
    return win32::FromAnsi(std::string_view(buffer, WholeCharacters(buffer, std::strlen(buffer))));
}

long ProfileReadInt(const std::string& file, const std::string& section, const std::string& key,
                    long defaultValue) {
    std::string aFile, aSection, aKey;
    if (!win32::ToAnsi(file, aFile) || !win32::ToAnsi(section, aSection) ||
        !win32::ToAnsi(key, aKey))
        return defaultValue;
    const UINT value = GetPrivateProfileIntA(aSection.c_str(), aKey.c_str(),
                                             static_cast<INT>(defaultValue), aFile.c_str());
    return static_cast<INT>(value);
}

bool ProfileWriteString(const std::string& file, const std::string& section,
                        const std::string& key, const std::string& value) {
    // The profile functions write a line break in a value as it is: the
    // value would be cut and the rest would become a line of its own, even a
    // key of ours. Such texts are refused, and so are keys holding '='.
    if (value.find_first_of("\r\n") != std::string::npos ||
        key.find_first_of("\r\n=") != std::string::npos ||
        section.find_first_of("\r\n]") != std::string::npos)
        return false;
    std::string aFile, aSection, aKey, aValue;
    if (!win32::ToAnsi(file, aFile) || !win32::ToAnsi(section, aSection) ||
        !win32::ToAnsi(key, aKey) || !win32::ToAnsi(value, aValue))
        return false;
    // A read-only settings file stays as it is. Checked first: the copy
    // below would take the attribute over and could then be neither written
    // nor deleted.
    if (win32::IsReadOnlyFile(aFile)) return false;
    std::string temp, why;
    if (!win32::CreateTempBeside(file, temp, why)) return false;
    // The copy starts as the current file; when there is none yet, the
    // empty temporary file stands for it. Its attributes are the copy's own.
    if (!CopyFileA(aFile.c_str(), temp.c_str(), FALSE) &&
        GetLastError() != ERROR_FILE_NOT_FOUND) {
        DeleteFileA(temp.c_str());
        return false;
    }
    SetFileAttributesA(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!WritePrivateProfileStringA(aSection.c_str(), aKey.c_str(), aValue.c_str(),
                                    temp.c_str())) {
        DeleteFileA(temp.c_str());
        return false;
    }
    return win32::MoveOver(temp, aFile, why);
}

}  // namespace sarvo::platform
