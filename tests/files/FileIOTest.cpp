#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <utility>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include "files/FileIO.h"
#include "formula/Errors.h"

namespace zelm {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class FileIO : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zelm-fileio-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    void Plant(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }

    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // The message of the ZelmError that `action` throws; empty when it throws none.
    template <class Action> static std::string MessageOf(Action action) {
        try {
            action();
        } catch (const ZelmError& e) {
            return e.what();
        }
        return "";
    }

    std::string dir_;
};

TEST_F(FileIO, AtomicWriteCreatesAndReplacesAndLeavesNoTemporaryFile) {
    const std::string target = Path("doc.mds");
    WriteFileAtomically(target, "first version, longer than the second");
    EXPECT_EQ(ReadWholeFile(target), "first version, longer than the second");

    const std::string bytes = "second\0version"s;
    WriteFileAtomically(target, bytes);
    EXPECT_EQ(ReadWholeFile(target), bytes);
    EXPECT_EQ(Entries(), std::vector<std::string>{"doc.mds"});

    WriteFileAtomically(target, "");
    EXPECT_EQ(ReadWholeFile(target), "");
}

TEST_F(FileIO, ReplacingKeepsTheFilesPermissionsAndWritesThroughALink) {
    Plant("real.mds", "old");
    ::chmod(Path("real.mds").c_str(), 0640);
    fs::create_symlink(Path("real.mds"), Path("link.mds"));

    WriteFileAtomically(Path("link.mds"), "new");
    EXPECT_TRUE(fs::is_symlink(Path("link.mds")));
    EXPECT_EQ(ReadWholeFile(Path("real.mds")), "new");
    struct stat st;
    ASSERT_EQ(::stat(Path("real.mds").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(FileIO, AWriteThatFailsHalfwayLeavesTheOldFileWhole) {
    // A file-size limit makes the write of the temporary file fail part-way (EFBIG), as a
    // full disk would; root is not exempt from it the way it is from permissions.
    Plant("doc.mds", "the old document");
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const std::string message =
        MessageOf([&] { WriteFileAtomically(Path("doc.mds"), std::string(1000, 'n')); });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(message, "I/O error " + std::to_string(EFBIG));
    EXPECT_EQ(ReadWholeFile(Path("doc.mds")), "the old document");
    EXPECT_EQ(Entries(), std::vector<std::string>{"doc.mds"});
}

TEST_F(FileIO, WritesThatCannotHappenReportTheUsersMessageAndLeaveNothingBehind) {
    fs::create_directory(Path("folder.mds"));
    EXPECT_EQ(MessageOf([&] { WriteFileAtomically(Path("folder.mds"), "x"); }),
              "File access denied");
    EXPECT_TRUE(fs::is_directory(Path("folder.mds")));

    EXPECT_EQ(MessageOf([&] { WriteFileAtomically(Path("missing/doc.mds"), "x"); }),
              "File not found");

    Plant("plain", "a file where a folder should be");
    EXPECT_EQ(MessageOf([&] { WriteFileAtomically(Path("plain/doc.mds"), "x"); }),
              "Invalid filename");
    EXPECT_EQ(ReadWholeFile(Path("plain")), "a file where a folder should be");

    EXPECT_EQ(Entries(), (std::vector<std::string>{"folder.mds", "plain"}));
}

// A pipe, a socket or a device at the name is refused and stays what it was; writing through a
// link to one is refused alike. A device can be made only with the privilege to do so.
TEST_F(FileIO, AnAtomicWriteReplacesOnlyARegularFileOrAMissingName) {
    ASSERT_EQ(::mkfifo(Path("pipe.png").c_str(), 0600), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = Path("socket.png");
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    std::vector<std::string> names{"pipe.png", "socket.png"};
    if (::mknod(Path("null.png").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0)
        names.push_back("null.png");
    for (const std::string& name : std::vector<std::string>(names)) {
        fs::create_symlink(Path(name), Path("link-" + name));
        names.push_back("link-" + name);
    }
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        EXPECT_EQ(MessageOf([&] { WriteFileAtomically(Path(name), "x"); }), "File access denied");
        EXPECT_FALSE(fs::is_regular_file(Path(name)));
    }
    ::close(sock);
    EXPECT_EQ(Entries().size(), names.size()) << "no temporary left";
}

TEST_F(FileIO, ReadingReportsTheUsersMessage) {
    EXPECT_EQ(MessageOf([&] { ReadWholeFile(Path("none.mds")); }), "File not found");
    EXPECT_EQ(MessageOf([&] { ReadWholeFile(dir_); }), "File access denied");
    Plant("plain", "x");
    EXPECT_EQ(MessageOf([&] { ReadWholeFile(Path("plain/doc.mds")); }), "Invalid filename");
}

TEST_F(FileIO, ReadingGivesEveryByte) {
    std::string bytes;
    for (int i = 0; i < 200000; ++i)
        bytes += char(i * 7);
    Plant("big.mds", bytes);
    EXPECT_EQ(ReadWholeFile(Path("big.mds")), bytes);
}

// Only regular files are read, a pipe without blocking; a limit refuses a larger file before
// reading it, and a file exactly at the limit is read whole.
TEST_F(FileIO, OnlyRegularFilesWithinTheLimitAreRead) {
    ASSERT_EQ(::mkfifo(Path("pipe.mds").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", Path("zero.mds"));
    Plant("ten.mds", std::string(10, 'x'));
    fs::create_symlink(Path("ten.mds"), Path("link.mds"));
    struct Row {
        const char* name;
        std::size_t limit;
        std::string result; // the bytes, or the message
    };
    const Row rows[] = {
        {"pipe.mds", SIZE_MAX, "File access denied"},
        {"zero.mds", SIZE_MAX, "File access denied"},
        {"ten.mds", 9, "te groot"},
        {"ten.mds", 10, std::string(10, 'x')},
        {"link.mds", 10, std::string(10, 'x')},
        {"link.mds", 0, "te groot"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.name) + " " + std::to_string(row.limit));
        std::string result;
        const std::string message =
            MessageOf([&] { result = ReadWholeFile(Path(row.name), row.limit, "te groot"); });
        EXPECT_EQ(message.empty() ? result : message, row.result);
    }
}

TEST(FileIONames, OnlyTheNamesOfOwnTemporaryFilesAreRecognised) {
    const std::pair<const char*, bool> rows[] = {
        {".zelm-save-Ab3xZ9", true},     {".zelm-save-000000", true},
        {".zelm-save-abc", false},       {".zelm-save-abcdefg", false},
        {"x.zelm-save-Ab3xZ9", false},   {".zelm-save-ab.xyz", false},
        {".zelm-save-ab\xE9xyz", false}, {"ZelmEditor0.wes", false},
        {".zelm-in-use", false},
    };
    for (const auto& [name, ours] : rows)
        EXPECT_EQ(IsSaveTemporaryName(name), ours) << name;
}

TEST_F(FileIO, AClaimClearsStaleTemporariesOnlyWhenTheFolderIsFree) {
    Plant(".zelm-save-Ab3xZ9", "half a save");
    Plant("doc.mds", "d");
    {
        FolderClaim first(dir_);
        EXPECT_TRUE(first.Cleared());
        Plant(".zelm-save-Cd4yW0", "a save under way");
        FolderClaim second(dir_); // another instance while the first runs
        EXPECT_FALSE(second.Cleared());
        EXPECT_TRUE(fs::exists(Path(".zelm-save-Cd4yW0")));
    }
    EXPECT_EQ(Entries(),
              (std::vector<std::string>{".zelm-in-use", ".zelm-save-Cd4yW0", "doc.mds"}));
    FolderClaim later(dir_);
    EXPECT_TRUE(later.Cleared());
    EXPECT_EQ(Entries(), (std::vector<std::string>{".zelm-in-use", "doc.mds"}));
}

TEST_F(FileIO, AnInjectedWriteFaultKeepsTheOldFileAndLeavesNoTemporary) {
    Plant("doc.mds", "old");
    std::string seen;
    SetWriteFault([&](const std::string& target) {
        seen = target;
        return EIO;
    });
    const std::string message = MessageOf([&] { WriteFileAtomically(Path("doc.mds"), "new"); });
    SetWriteFault(nullptr);
    EXPECT_EQ(message, "I/O error " + std::to_string(EIO));
    EXPECT_EQ(seen, Path("doc.mds"));
    EXPECT_EQ(ReadWholeFile(Path("doc.mds")), "old");
    EXPECT_EQ(Entries(), std::vector<std::string>{"doc.mds"});
}

TEST(FileIOMessages, ErrorNumbersMapToTheMessagesTheUserKnows) {
    EXPECT_EQ(IoErrorMessage(ENAMETOOLONG), "Invalid filename");
    EXPECT_EQ(IoErrorMessage(EMFILE), "Too many open files");
    EXPECT_EQ(IoErrorMessage(EROFS), "File access denied");
    EXPECT_EQ(IoErrorMessage(EDQUOT), "Disk full");
    EXPECT_EQ(IoErrorMessage(ENOSPC), "Disk full");
    EXPECT_EQ(IoErrorMessage(EIO), "I/O error " + std::to_string(EIO));
}

TEST_F(FileIO, RecoveryFilesAreListedByNameAndClearedAlone) {
    Plant("ZelmEditor1.wes", "1");
    Plant("ZelmEditor0.wes", "0");
    Plant("Algebra0.wes", "a");
    Plant("Instellingen.ops", "settings");
    Plant("notes.wes.bak", "b");
    fs::create_directory(Path("sub.wes"));

    EXPECT_EQ(ListFiles(dir_, ".wes"),
              (std::vector<std::string>{"Algebra0.wes", "ZelmEditor0.wes", "ZelmEditor1.wes"}));
    EXPECT_TRUE(ListFiles(Path("missing"), ".wes").empty());

    DeleteMatching(dir_, ".wes", "ZelmEditor0.wes");
    EXPECT_EQ(ListFiles(dir_, ".wes"), std::vector<std::string>{"ZelmEditor0.wes"});
    DeleteMatching(dir_, ".wes");
    EXPECT_EQ(Entries(),
              (std::vector<std::string>{"Instellingen.ops", "notes.wes.bak", "sub.wes"}));
    DeleteMatching(Path("missing"), ".wes"); // nothing to do, nothing to report
}

TEST_F(FileIO, OnlyFilesExist) {
    Plant("doc.mds", "");
    EXPECT_TRUE(FileExists(Path("doc.mds")));
    EXPECT_FALSE(FileExists(Path("other.mds")));
    EXPECT_FALSE(FileExists(dir_));
}

} // namespace
} // namespace zelm
