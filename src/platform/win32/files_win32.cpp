// Whole files through the Win32 file API, with ANSI paths. Reading shares the
// file with writers and deleters, so a picture being copied or moved by
// another program does not make the suite fail or block it.
#include <windows.h>

#include "ansi_win32.h"
#include "platform/files.h"
#include "replace_win32.h"

namespace sarvo::platform {

namespace {

std::string Failure(const std::string& path, DWORD error) {
    return path + ": " + win32::SystemErrorText(error);
}

// Writes all of `size` bytes, in pieces the API can count.
bool WriteAll(HANDLE file, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const DWORD piece = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, data, piece, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes, std::size_t limit,
                   std::string& why) {
    bytes.clear();
    std::string ansi;
    if (!win32::ToAnsi(path, ansi)) {
        why = Failure(path, ERROR_NO_UNICODE_TRANSLATION);
        return false;
    }
    HANDLE file = CreateFileA(ansi.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        why = Failure(path, GetLastError());
        return false;
    }
    bool ok = true;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        why = Failure(path, GetLastError());
        ok = false;
    } else if (static_cast<unsigned long long>(size.QuadPart) > limit) {
        why = "ファイルが大きすぎます（" + std::to_string(size.QuadPart) + " バイト）：" + path;
        ok = false;
    } else {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const std::size_t left = bytes.size() - done;
            const DWORD piece = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
            DWORD read = 0;
            if (!ReadFile(file, bytes.data() + done, piece, &read, nullptr)) {
                why = Failure(path, GetLastError());
                ok = false;
                break;
            }
            if (read == 0) break;  // the file shrank while being read
            done += read;
        }
        bytes.resize(done);
    }
    CloseHandle(file);
    if (!ok) bytes.clear();
    return ok;
}

bool WriteFileReplacing(const std::string& path, const void* data, std::size_t size,
                        std::string& why) {
    std::string target;
    if (!win32::ToAnsi(path, target)) {
        why = Failure(path, ERROR_NO_UNICODE_TRANSLATION);
        return false;
    }
    if (win32::IsReadOnlyFile(target)) {
        why = "読み取り専用のファイルです：" + path;
        return false;
    }
    std::string temp;
    if (!win32::CreateTempBeside(path, temp, why)) return false;
    HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = file != INVALID_HANDLE_VALUE;
    DWORD error = ok ? 0 : GetLastError();
    if (ok) {
        ok = WriteAll(file, static_cast<const unsigned char*>(data), size) && FlushFileBuffers(file);
        if (!ok) error = GetLastError();
        CloseHandle(file);
    }
    if (!ok) {
        DeleteFileA(temp.c_str());
        why = Failure(path, error);
        return false;
    }
    return win32::MoveOver(temp, target, why);
}

}  // namespace sarvo::platform

namespace sarvo::win32 {

namespace {

// Every temporary file of the suite is named ".sarvo-tmp-PID-N": the mark,
// the id of the process that writes it and a number of that process's own.
// Only files so named are ever removed as leftovers, and only once the
// process that wrote them has ended.
constexpr char kTemporaryMark[] = ".sarvo-tmp-";

// The id of the process that wrote the temporary file `name`; 0 when the
// name is no temporary file's.
DWORD WriterOf(const std::string& name) {
    const std::size_t mark = sizeof kTemporaryMark - 1;
    const std::size_t dash = name.find('-', mark);
    if (name.compare(0, mark, kTemporaryMark) != 0 || dash == mark || dash == std::string::npos) return 0;
    DWORD pid = 0;
    for (std::size_t i = mark; i < dash; ++i) {
        if (name[i] < '0' || name[i] > '9' || pid > 0xFFFFFFFu) return 0;
        pid = pid * 10 + static_cast<DWORD>(name[i] - '0');
    }
    return pid;
}

// Whether the process `pid` still runs. One that cannot be asked (another
// user's) counts as running: its files are not ours to judge.
bool ProcessRuns(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool runs = !GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
    CloseHandle(process);
    return runs;
}

}  // namespace

// Temporary files of writers that were killed before they could rename or
// remove them (up to a whole bitmap each), whatever their age, in a folder
// named with its final separator. A process id taken again by a later
// process keeps its leftovers until that one ends too: never a file too
// many is removed.
void RemoveLeftovers(const std::string& ansiFolder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((ansiFolder + kTemporaryMark + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const DWORD writer = WriterOf(found.cFileName);
        if (writer != 0 && !ProcessRuns(writer)) DeleteFileA((ansiFolder + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

bool CreateTempBeside(const std::string& utf8Target, std::string& ansiTemp, std::string& why) {
    // The folder is cut off in UTF-8, where no byte of a character can be
    // taken for a separator, and only then converted.
    const std::size_t cut = utf8Target.find_last_of("\\/");
    const std::string folder = cut == std::string::npos ? ".\\" : utf8Target.substr(0, cut + 1);
    std::string ansiFolder;
    if (!ToAnsi(folder, ansiFolder)) {
        why = utf8Target + ": " + SystemErrorText(ERROR_NO_UNICODE_TRANSLATION);
        return false;
    }
    RemoveLeftovers(ansiFolder);
    static LONG counter = 0;
    const std::string stem = ansiFolder + kTemporaryMark + std::to_string(GetCurrentProcessId()) + "-";
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string name = stem + std::to_string(InterlockedIncrement(&counter));
        HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            ansiTemp = name;
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            why = "ファイルの隣に一時ファイルを作成できませんでした：" + utf8Target + "（" + SystemErrorText(error) + "）";
            return false;
        }
    }
    why = "ファイルの隣に一時ファイルを作成できませんでした：" + utf8Target + "（" + SystemErrorText(ERROR_FILE_EXISTS) + "）";
    return false;
}

bool IsReadOnlyFile(const std::string& ansiPath) {
    const DWORD attributes = GetFileAttributesA(ansiPath.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
           (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool MoveOver(const std::string& ansiTemp, const std::string& ansiTarget, std::string& why) {
    if (MoveFileExA(ansiTemp.c_str(), ansiTarget.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    const DWORD error = GetLastError();
    DeleteFileA(ansiTemp.c_str());
    why = "ファイルを置き換えられませんでした：" + FromAnsi(ansiTarget) + "（" + SystemErrorText(error) + "）";
    return false;
}

}  // namespace sarvo::win32

namespace sarvo::platform {

namespace {

bool Ansi(const std::string& path, std::string& ansi, std::string& why) {
    if (win32::ToAnsi(path, ansi)) return true;
    why = Failure(path, ERROR_NO_UNICODE_TRANSLATION);
    return false;
}

bool Exists(DWORD error) { return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS; }

MoveResult Refused(const std::string& path, DWORD code, FileError& error) {
    error = FileError{static_cast<int>(code), win32::SystemErrorText(code), path};
    return MoveResult::Failed;
}

// Which path a move on one volume that failed with `code` was refused: the
// picture when it is gone or cannot be taken (locked, read-only medium),
// the target when its folder is missing or the name cannot be made there.
const std::string& RefusedByMove(const std::string& ansiFrom, const std::string& from, const std::string& to,
                                 DWORD code) {
    if (GetFileAttributesA(ansiFrom.c_str()) == INVALID_FILE_ATTRIBUTES) return from;
    switch (code) {
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_DIRECTORY:
        case ERROR_FILENAME_EXCED_RANGE: return to;
        default: return from;
    }
}

// The source of a move across drives, once its copy is in place. A
// read-only file moves within a drive, so it goes here too.
bool DeleteSource(const std::string& ansi, DWORD attributes) {
    if (DeleteFileA(ansi.c_str())) return true;
    const DWORD error = GetLastError();
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0 ||
        !SetFileAttributesA(ansi.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
        SetLastError(error);
        return false;
    }
    if (DeleteFileA(ansi.c_str())) return true;
    const DWORD again = GetLastError();
    SetFileAttributesA(ansi.c_str(), attributes);
    SetLastError(again);
    return false;
}

}  // namespace

std::vector<unsigned char> ReadFilePart(const std::string& path, std::uint64_t offset, std::size_t count) {
    std::vector<unsigned char> bytes;
    std::string ansi, why;
    if (!Ansi(path, ansi, why)) return bytes;
    HANDLE file = CreateFileA(ansi.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    if (GetFileType(file) == FILE_TYPE_DISK) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        bytes.resize(count);
        DWORD read = 0;
        if (!ReadFile(file, bytes.data(), static_cast<DWORD>(count), &read, &at)) read = 0;
        bytes.resize(read);
    }
    CloseHandle(file);
    return bytes;
}

std::vector<unsigned char> ReadFileHead(const std::string& path, std::size_t count) {
    return ReadFilePart(path, 0, count);
}

bool OrdinaryFileExists(const std::string& path) {
    std::string ansi, why;
    if (path.empty() || !Ansi(path, ansi, why)) return false;
    const DWORD attributes = GetFileAttributesA(ansi.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

MoveResult MoveFileNoReplace(const std::string& from, const std::string& to, FileError& error) {
    std::string aFrom, aTo;
    if (!win32::ToAnsi(from, aFrom)) return Refused(from, ERROR_NO_UNICODE_TRANSLATION, error);
    if (!win32::ToAnsi(to, aTo)) return Refused(to, ERROR_NO_UNICODE_TRANSLATION, error);
    // A move onto the file itself (another spelling of its name) would
    // succeed as a no-op; it counts as a taken name, as on every platform.
    if (GetFileAttributesA(aTo.c_str()) != INVALID_FILE_ATTRIBUTES) return MoveResult::TargetExists;
    // Without MOVEFILE_REPLACE_EXISTING the move never overwrites, and
    // without MOVEFILE_COPY_ALLOWED it is a rename on one volume only.
    if (MoveFileExA(aFrom.c_str(), aTo.c_str(), 0)) return MoveResult::Moved;
    DWORD code = GetLastError();
    if (Exists(code)) return MoveResult::TargetExists;
    if (code != ERROR_NOT_SAME_DEVICE) return Refused(RefusedByMove(aFrom, from, to, code), code, error);
    // Another drive: a whole copy beside the target first, then the name.
    std::string temp, why;
    if (!win32::CreateTempBeside(to, temp, why)) return Refused(to, ERROR_CANNOT_MAKE, error);
    if (!CopyFileA(aFrom.c_str(), temp.c_str(), FALSE)) {
        code = GetLastError();
        DeleteFileA(temp.c_str());
        return Refused(from, code, error);
    }
    SetFileAttributesA(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!MoveFileExA(temp.c_str(), aTo.c_str(), MOVEFILE_WRITE_THROUGH)) {
        code = GetLastError();
        DeleteFileA(temp.c_str());
        if (Exists(code)) return MoveResult::TargetExists;
        return Refused(to, code, error);
    }
    const DWORD attributes = GetFileAttributesA(aFrom.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(aTo.c_str(), attributes);
    if (!DeleteSource(aFrom, attributes)) {
        // The original cannot go: take the copy back, so that the picture
        // is in one place only.
        code = GetLastError();
        SetFileAttributesA(aTo.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(aTo.c_str());
        return Refused(from, code, error);
    }
    return MoveResult::Moved;
}

bool DeleteFileIfPresent(const std::string& path, std::string& why) {
    std::string ansi;
    if (!Ansi(path, ansi, why)) return false;
    if (DeleteFileA(ansi.c_str())) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
    why = Failure(path, error);
    return false;
}

namespace {

// Whether the folder holds any entry, hidden and system ones included.
bool HoldsAnything(const std::string& ansiFolder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((ansiFolder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool any = false;
    do {
        const std::string name = found.cFileName;
        any = name != "." && name != "..";
    } while (!any && FindNextFileA(search, &found));
    FindClose(search);
    return any;
}

}  // namespace

void RemoveTemporaryLeftovers(const std::string& folder) {
    std::string ansi, why;
    if (Ansi(folder + "\\", ansi, why)) win32::RemoveLeftovers(ansi);
}

bool RemoveFolderIfEmpty(const std::string& folder, std::string& why) {
    std::string ansi;
    if (!Ansi(folder, ansi, why)) return false;
    if (RemoveDirectoryA(ansi.c_str())) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_DIR_NOT_EMPTY) return true;
    // A folder we may not remove is still left alone without complaint when
    // it holds something.
    if (HoldsAnything(ansi)) return true;
    why = Failure(folder, error);
    return false;
}

}  // namespace sarvo::platform

namespace sarvo::platform {

// NTFS promises no order between a file's data and a rename, so every
// replacement is flushed before it takes the name, whatever its durability.
struct FileReplacement::State {
    std::string path;        // as given, for messages
    std::string target;      // ANSI
    std::string temp;        // ANSI; empty when none was made
    HANDLE file = INVALID_HANDLE_VALUE;
    std::string failure;     // the first thing that went wrong
    bool committed = false;

    void Fail(DWORD error) {
        if (failure.empty()) failure = Failure(path, error);
    }
};

FileReplacement::FileReplacement(const std::string& path, Durability) : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.path = path;
    if (!win32::ToAnsi(path, s.target)) {
        s.failure = Failure(path, ERROR_NO_UNICODE_TRANSLATION);
        return;
    }
    if (win32::IsReadOnlyFile(s.target)) {
        s.failure = "読み取り専用のファイルです：" + path;
        return;
    }
    if (!win32::CreateTempBeside(path, s.temp, s.failure)) {
        s.temp.clear();
        return;
    }
    s.file = CreateFileA(s.temp.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (s.file == INVALID_HANDLE_VALUE) s.Fail(GetLastError());
}

FileReplacement::~FileReplacement() {
    State& s = *state_;
    if (s.file != INVALID_HANDLE_VALUE) CloseHandle(s.file);
    if (!s.committed && !s.temp.empty()) DeleteFileA(s.temp.c_str());
}

void FileReplacement::Reserve(std::size_t) {}

void FileReplacement::WriteAt(std::size_t offset, const unsigned char* data, std::size_t size) {
    State& s = *state_;
    if (s.file == INVALID_HANDLE_VALUE || !s.failure.empty()) return;
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(s.file, at, nullptr, FILE_BEGIN) || !WriteAll(s.file, data, size)) s.Fail(GetLastError());
}

bool FileReplacement::Commit(std::string& why) {
    State& s = *state_;
    if (s.committed) return true;
    if (s.failure.empty() && !FlushFileBuffers(s.file)) s.Fail(GetLastError());
    if (s.file != INVALID_HANDLE_VALUE) {
        CloseHandle(s.file);
        s.file = INVALID_HANDLE_VALUE;
    }
    if (!s.failure.empty()) {
        why = s.failure;
        return false;
    }
    // MoveOver removes the temporary file when it fails.
    s.committed = true;
    return win32::MoveOver(s.temp, s.target, why);
}

bool KeepFileAs(const std::string& path, const std::string& keep, std::string& why) {
    std::string from, to;
    if (!Ansi(path, from, why) || !Ansi(keep, to, why)) return false;
    if (!DeleteFileA(to.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
        why = Failure(keep, GetLastError());
        return false;
    }
    // A second name for the same file where the volume has them (NTFS); a
    // copy elsewhere (FAT).
    if (CreateHardLinkA(to.c_str(), from.c_str(), nullptr)) return true;
    if (CopyFileA(from.c_str(), to.c_str(), FALSE)) return true;
    why = Failure(keep, GetLastError());
    DeleteFileA(to.c_str());
    return false;
}

bool RenameReplacing(const std::string& from, const std::string& to, std::string& why) {
    std::string source, target;
    if (!Ansi(from, source, why) || !Ansi(to, target, why)) return false;
    if (MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    why = Failure(to, GetLastError());
    return false;
}

}  // namespace sarvo::platform
