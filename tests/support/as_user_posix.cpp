#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/as_user.h"

namespace sarvo::test {

bool RunWithoutPrivileges(const std::function<bool()>& check) {
    if (geteuid() != 0) return check();
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        // Only async-signal-safe calls would be strictly right after fork in a
        // threaded process; the test processes are single-threaded.
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace sarvo::test
