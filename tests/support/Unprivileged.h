#pragma once
// Runs part of a core test as an ordinary user, for file permissions that root would ignore.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>

#ifndef _WIN32
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace dorvane::test {

// Runs body with an ordinary user's rights, handing it folder (an empty folder of the test's
// own) to work in. Under root the body runs in a child process that has become nobody:nogroup
// and owns folder; the child prints its failures and fails the test here.
inline void RunUnprivileged(const std::filesystem::path& folder, const std::function<void()>& body)
{
#ifdef _WIN32
    // Windows keeps only a read-only flag, which a folder ignores: the owner/group/others
    // rights these bodies check do not exist there.
    (void)folder;
    (void)body;
    GTEST_SKIP() << "Windows has no POSIX file permissions";
#else
    if (geteuid() != 0) {
        body();
        return;
    }
    const passwd* user = getpwnam("nobody");
    const group* nogroup = getgrnam("nogroup");
    ASSERT_TRUE(user && nogroup) << "no nobody:nogroup to run as";
    const uid_t uid = user->pw_uid;
    const gid_t gid = nogroup->gr_gid;
    ASSERT_EQ(chown(folder.c_str(), uid, gid), 0);

    std::cout.flush();
    std::fflush(nullptr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0 || geteuid() == 0) {
            std::fprintf(stderr, "could not become nobody\n");
            _exit(2);
        }
        body();
        std::cout.flush();
        std::fflush(nullptr);
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the unprivileged part failed (see above)";
#endif
}

} // namespace dorvane::test
