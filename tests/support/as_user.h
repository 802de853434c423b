// Running a check without root's privileges, so that tests about files and
// folders a user may not read mean the same when the suite runs as root.
#pragma once

#include <functional>

namespace sarvo::test {

// Runs `check` as it is when the process is not root. As root, runs it in a
// child process that has become the unprivileged user "nobody" (uid and gid
// 65534) and returns its result; everything the check touches must then be
// reachable by that user. False also when the child cannot be made.
bool RunWithoutPrivileges(const std::function<bool()>& check);

}  // namespace sarvo::test
