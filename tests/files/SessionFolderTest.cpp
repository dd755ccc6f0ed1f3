#include <gtest/gtest.h>

#include <filesystem>

#include <sys/wait.h>
#include <unistd.h>

#include "files/SessionFolder.h"

namespace zelm {
namespace {

namespace fs = std::filesystem;

// A session's folder is held while it lives, for another process too, and only then can it
// be removed. (Listing and pruning are tested with the recovery store.)
TEST(SessionFolders, HeldWhileTheSessionLivesAlsoForAnotherProcess) {
    std::string dir = (fs::temp_directory_path() / "zelm-sessions-XXXXXX").string();
    ASSERT_NE(::mkdtemp(dir.data()), nullptr);
    std::string path;
    {
        SessionFolder session(dir, 1'700'000'000);
        path = session.Path();
        ASSERT_EQ(SessionFolder::Started(path), 1'700'000'000);
        const pid_t child = ::fork();
        if (child == 0) _exit(SessionFolder::Held(path) && !SessionFolder::Remove(path) ? 0 : 1);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_FALSE(SessionFolder::Held(path));
    EXPECT_TRUE(SessionFolder::Remove(path));
    EXPECT_FALSE(fs::exists(path));
    fs::remove_all(dir);
}

} // namespace
} // namespace zelm
