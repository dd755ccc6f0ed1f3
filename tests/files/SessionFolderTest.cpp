#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/wait.h>
#include <unistd.h>

#include "files/SessionFolder.h"

namespace zelm {
namespace {

namespace fs = std::filesystem;

class SessionFolders : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zelm-sessions-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern + "/";
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string dir_;
};

// A session's folder is held while it lives, by whichever process asks, and can be removed,
// with its files, only once it is given up; the newest session is listed first.
TEST_F(SessionFolders, HeldWhileTheSessionLivesAndListedNewestFirst) {
    std::string older, newer;
    {
        SessionFolder first(dir_, 1'700'000'000);
        SessionFolder second(dir_, 1'700'000'100);
        SessionFolder sameSecond(dir_, 1'700'000'100);
        older = first.Path();
        newer = second.Path();
        ASSERT_FALSE(older.empty());
        EXPECT_NE(sameSecond.Path(), newer);
        std::ofstream(newer + "Regels1.wes") << "x";
        EXPECT_TRUE(SessionFolder::Held(newer));
        EXPECT_FALSE(SessionFolder::Remove(newer));
        const pid_t child = ::fork();
        if (child == 0) _exit(SessionFolder::Held(newer) && !SessionFolder::Remove(newer) ? 0 : 1);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "another process sees it held";
        const std::vector<std::string> listed = SessionFolder::List(dir_);
        ASSERT_EQ(listed.size(), 3u);
        EXPECT_EQ(listed.back(), older);
        EXPECT_EQ(SessionFolder::Started(older), 1'700'000'000);
    }
    EXPECT_FALSE(SessionFolder::Held(newer));
    EXPECT_TRUE(SessionFolder::Remove(newer));
    EXPECT_FALSE(fs::exists(newer));
    fs::create_directories(dir_ + "Sessies/not-a-session");
    EXPECT_EQ(SessionFolder::List(dir_).size(), 2u);
}

} // namespace
} // namespace zelm
