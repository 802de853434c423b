#include "spawn_linux.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "io_linux.h"

extern char** environ;

namespace sarvo::platform::linux_spawn {

namespace {

constexpr std::size_t kOutputLimit = 64 * 1024;

// The program file `name` stands for: itself when it holds a slash, else the
// first executable file of that name in PATH. Resolved before any fork, so
// that the forked child only has to call execve.
bool Resolve(const std::string& name, std::string& path, std::string& why) {
    if (name.empty()) {
        why = "起動するプログラムが指定されていません。";
        return false;
    }
    if (name.find('/') != std::string::npos) {
        path = name;
        return true;
    }
    const char* search = std::getenv("PATH");
    std::string list = search != nullptr ? search : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        const std::string folder = end > start ? list.substr(start, end - start) : ".";
        const std::string candidate = folder + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) {
            path = candidate;
            return true;
        }
        start = end + 1;
    }
    why = "PATH の中にプログラムが見つかりません：" + name;
    return false;
}

// What both ways of starting a program need before they fork: the program
// file, resolved first so that a forked child only has to call execve, and
// the argument vector in execve's form.
class Command {
public:
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;
    Command(const std::vector<std::string>& argv, std::string& why) : arguments_(argv) {
        if (argv.empty()) {
            why = "起動するプログラムが指定されていません。";
            return;
        }
        if (!Resolve(argv[0], path_, why)) return;
        for (std::string& argument : arguments_) pointers_.push_back(argument.data());
        pointers_.push_back(nullptr);
    }

    bool ready() const { return !pointers_.empty(); }
    const char* path() const { return path_.c_str(); }
    char* const* argv() const { return pointers_.data(); }
    // "NAME: " and the system's reason, in the user's language.
    std::string CannotStart(int error) const {
        return arguments_.front() + ": " + linux_io::SystemDescription(error);
    }

private:
    std::vector<std::string> arguments_;
    std::string path_;
    std::vector<char*> pointers_;
};

int StatusOf(int waitStatus) {
    if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus)) return 128 + WTERMSIG(waitStatus);
    return -1;
}

void WaitFor(pid_t pid, int& waitStatus) {
    while (waitpid(pid, &waitStatus, 0) < 0 && errno == EINTR) {
    }
}

// The highest descriptor a child may have inherited, found before any fork.
int DescriptorLimit() {
    const long limit = sysconf(_SC_OPEN_MAX);
    return limit > 0 && limit < 65536 ? static_cast<int>(limit) : 65536;
}

// In a forked child, just before execve: every descriptor but the standard
// three closes on exec, whatever its flags, so that a started program never
// holds the starter's files (its log, /dev/null, a lock). Async-signal-safe.
void CloseOnExecFrom3(int limit) {
    if (close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0) return;
    for (int fd = 3; fd < limit; ++fd) fcntl(fd, F_SETFD, FD_CLOEXEC);
}

}  // namespace

bool FindProgram(const std::string& name, std::string& path, std::string& why) {
    return Resolve(name, path, why);
}

bool SpawnDetached(const std::vector<std::string>& argv, std::string& why, int* started, const char* output) {
    const Command command(argv, why);
    if (!command.ready()) return false;
    const int limit = DescriptorLimit();

    // The program's start is reported through this pipe: it closes on a
    // successful execve, or carries the errno of a failed one.
    // The program's process id comes back through this one.
    int report[2], identity[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        why = command.CannotStart(errno);
        return false;
    }
    if (pipe2(identity, O_CLOEXEC) != 0) {
        why = command.CannotStart(errno);
        close(report[0]);
        close(report[1]);
        return false;
    }
    const pid_t intermediate = fork();
    if (intermediate < 0) {
        why = command.CannotStart(errno);
        for (int fd : {report[0], report[1], identity[0], identity[1]}) close(fd);
        return false;
    }
    if (intermediate == 0) {
        // Only async-signal-safe calls from here on: the caller may have
        // threads (Qt has), whose locks a forked child must not touch.
        setsid();
        if (output != nullptr) {
            const int in = open("/dev/null", O_RDONLY);
            const int out = open(output, O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (in >= 0) dup2(in, 0);
            if (out >= 0) {
                dup2(out, 1);
                dup2(out, 2);
            }
        }
        const pid_t program = fork();
        if (program > 0) (void)!write(identity[1], &program, sizeof program);
        if (program == 0) {
            CloseOnExecFrom3(limit);
            execve(command.path(), command.argv(), environ);
            const int error = errno;
            (void)!write(report[1], &error, sizeof error);
            _exit(127);
        }
        if (program < 0) {
            const int error = errno;
            (void)!write(report[1], &error, sizeof error);
        }
        _exit(0);
    }
    close(report[1]);
    close(identity[1]);
    int status = 0;
    WaitFor(intermediate, status);
    pid_t program = 0;
    while (read(identity[0], &program, sizeof program) < 0 && errno == EINTR) {
    }
    close(identity[0]);
    if (started != nullptr) *started = program;
    int error = 0;
    ssize_t got;
    while ((got = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    close(report[0]);
    if (got == static_cast<ssize_t>(sizeof error)) {
        why = command.CannotStart(error);
        return false;
    }
    return true;
}

bool RunAndWait(const std::vector<std::string>& argv, int timeoutMilliseconds, RunResult& result,
                std::string& why) {
    result = RunResult{};
    const Command command(argv, why);
    if (!command.ready()) return false;

    int output[2];
    if (pipe2(output, O_CLOEXEC) != 0) {
        why = command.CannotStart(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_adddup2(&actions, output[1], 2);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, command.path(), &actions, nullptr, command.argv(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(output[1]);
    if (error != 0) {
        close(output[0]);
        why = command.CannotStart(error);
        return false;
    }

    // A pidfd becomes readable when the program ends; the output pipe may
    // stay open longer, when the program leaves a daemon behind, so the end
    // of the program, not of its output, ends the wait.
    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
    bool ended = false, lost = false, outputOpen = true;
    int waitStatus = 0;
    while (!ended) {
        const pid_t waited = waitpid(pid, &waitStatus, WNOHANG);
        if (waited == pid) {
            ended = true;
            break;
        }
        if (waited < 0 && errno == ECHILD) {
            // Reaped already, which only a SIGCHLD set to be ignored does
            // here: the program has ended, its status is lost.
            ended = true;
            lost = true;
            break;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd fds[2] = {{output[0], POLLIN, 0}, {pidfd, POLLIN, 0}};
        // Without a pidfd (kernels before 5.3) the wait falls back to short naps.
        const int wait = pidfd >= 0 ? static_cast<int>(left.count()) : std::min<int>(10, static_cast<int>(left.count()));
        const nfds_t count = pidfd >= 0 ? 2 : 1;
        if (!outputOpen) fds[0].fd = -1;
        if (poll(fds, count, wait) < 0 && errno != EINTR) break;
        if (outputOpen && (fds[0].revents & (POLLIN | POLLHUP))) {
            char buffer[4096];
            const ssize_t n = read(output[0], buffer, sizeof buffer);
            if (n > 0 && result.output.size() < kOutputLimit)
                result.output.append(buffer, std::min<std::size_t>(static_cast<std::size_t>(n), kOutputLimit - result.output.size()));
            if (n == 0) outputOpen = false;
        }
    }
    if (!ended) {
        kill(pid, SIGKILL);
        WaitFor(pid, waitStatus);
        why = std::to_string(timeoutMilliseconds) + "ミリ秒以内に終了しませんでした：" + argv[0];
    } else {
        // What the program wrote just before it ended.
        const int flags = fcntl(output[0], F_GETFL);
        fcntl(output[0], F_SETFL, flags | O_NONBLOCK);
        char buffer[4096];
        ssize_t n;
        while (outputOpen && (n = read(output[0], buffer, sizeof buffer)) > 0 && result.output.size() < kOutputLimit)
            result.output.append(buffer, std::min<std::size_t>(static_cast<std::size_t>(n), kOutputLimit - result.output.size()));
        result.exitStatus = lost ? -1 : StatusOf(waitStatus);
    }
    if (pidfd >= 0) close(pidfd);
    close(output[0]);
    return ended;
}

}  // namespace sarvo::platform::linux_spawn
