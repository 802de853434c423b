// Starting programs, with the real Linux services.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/program.h"
#include "spawn_linux.h"
#include "support/temp_dir.h"

using namespace sarvo;
using namespace sarvo::test;
namespace fs = std::filesystem;

namespace {

std::string Script(const TempDir& dir, const std::string& name, const std::string& body) {
    const std::string path = (dir.path() / name).string();
    WriteFile(path, "#!/bin/sh\n" + body);
    fs::permissions(path, fs::perms::owner_all);
    return path;
}

// Waits for the file a started program writes by renaming it into place.
bool AppearsWithin(const fs::path& path, std::chrono::seconds limit) {
    for (const auto end = std::chrono::steady_clock::now() + limit; !fs::exists(path); std::this_thread::sleep_for(std::chrono::milliseconds(10)))
        if (std::chrono::steady_clock::now() > end) return false;
    return true;
}

}  // namespace

TEST(StartProgram, TheArgumentTextArrivesAsOneArgumentWithoutAShellAndLeavesNoChild) {
    TempDir dir;
    const std::string script = Script(dir, "record me.sh",
                                      "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.tmp\"\n"
                                      "mv \"$0.tmp\" \"$0.out\"\n");
    std::string why;
    const std::string text = "/add/p/a b \"$HOME\" `x`;.jpg";
    ASSERT_TRUE(platform::StartProgram(script, text, platform::WindowStyle::Normal, why)) << why;
    // The starter keeps no child of its own: nothing is left to reap.
    EXPECT_TRUE(waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD);
    ASSERT_TRUE(AppearsWithin(script + ".out", std::chrono::seconds(10)));
    EXPECT_EQ(ReadFile(script + ".out"), text + "\n");

    EXPECT_FALSE(platform::StartProgram((dir.path() / "missing").string(), "", platform::WindowStyle::Normal, why));
    EXPECT_NE(why.find("missing"), std::string::npos) << why;
}

TEST(RunAndWait, GivesTheExitStatusAndOutputAndEndsAProgramThatOverstays) {
    TempDir dir;
    using platform::linux_spawn::RunAndWait;
    platform::linux_spawn::RunResult result;
    std::string why;
    ASSERT_TRUE(RunAndWait({Script(dir, "three.sh", "echo out; echo err >&2; exit 3\n"), "a b"}, 10000, result, why)) << why;
    EXPECT_EQ(std::to_string(result.exitStatus) + result.output, "3out\nerr\n");

    // A daemon left behind with the output pipe open does not hold the wait.
    ASSERT_TRUE(RunAndWait({Script(dir, "daemon.sh", "sleep 30 &\nexit 0\n")}, 10000, result, why)) << why;
    EXPECT_EQ(result.exitStatus, 0);

    EXPECT_FALSE(RunAndWait({Script(dir, "slow.sh", "exec sleep 30\n")}, 100, result, why));
    EXPECT_NE(why.find("did not end"), std::string::npos) << why;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << "the overstaying program was not reaped";

    EXPECT_FALSE(RunAndWait({"sarvo-no-such-program"}, 1000, result, why));
    EXPECT_NE(why.find("not found"), std::string::npos) << why;
}
