// The crash state: typing reaches the session's folder once it pauses (or has gone on long),
// is offered once at the next start unless its instance still runs, and goes with a clean close.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "app/MainWindow.h"
#include "files/FileIO.h"
#include "support/WindowTexts.h"

namespace zelm {
namespace {

struct CrashStateTest : ::testing::Test {
    std::unique_ptr<TBasisMath> Open(int idle = 100) {
        auto w = std::make_unique<TBasisMath>(dir.path(), [](const QString&) {});
        w->Crash().idleDelay = std::chrono::milliseconds(idle);
        w->Crash().longestDelay = 3 * w->Crash().idleDelay;
        w->Crash().ask = [this](const QString& q) { return questions << q, true; };
        QTest::qWait(1); // the start-up offer
        return w;
    }
    // Types `text` a key every `interval` until the crash state is there; its first line.
    static Bytes TypeUntilStored(TBasisMath& w, const std::string& text, int interval) {
        const QString state = w.Recovery().SessionPath() + CrashStateName(w.windowTitle());
        for (const char c : text)
            QTest::keyClick(w.Lines()[0], c), QTest::qWait(interval);
        EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(state); }, 3000));
        w.Crash().Flush();
        return DecodeDocument(ReadWholeFile(state.toStdString())).at(0).text;
    }
    QTemporaryDir dir;
    QStringList questions;
};

TEST_F(CrashStateTest, StoredWhenTypingPausesOfferedOnceAfterACrashGoneAfterAClose) {
    auto first = Open();
    EXPECT_EQ(TypeUntilStored(*first, "abc", 0), " abc");
    Open().reset(); // while the first instance runs, its state is its own
    EXPECT_TRUE(questions.isEmpty());
    const QString crashed = first->Recovery().SessionPath();
    first.reset(); // as a crash leaves it: no closing
    auto second = Open();
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].endsWith("(ZelmEditor) terugzetten?"));
    EXPECT_EQ(test::TextsOf(*second), std::vector<Bytes>{" abc"});
    EXPECT_EQ(QDir(crashed).entryList({"*.wes"}), QStringList{OfferedStateName("ZelmEditor")});
    EXPECT_EQ(TypeUntilStored(*second, "d", 0), " dabc"); // caret at the start
    second->close();
    EXPECT_TRUE(QDir(second->Recovery().SessionPath()).entryList({"Noodkopie-*"}).isEmpty());
    Open().reset();
    EXPECT_EQ(questions.size(), 1);
}

// With a pause that never comes, the state still comes, the longest delay after the first key,
// before the last of 50 keys 20 ms apart.
TEST_F(CrashStateTest, SteadyTypingIsStoredAfterTheLongestDelay) {
    auto w = Open(10000);
    w->Crash().longestDelay = std::chrono::milliseconds(300);
    EXPECT_LT(TypeUntilStored(*w, std::string(50, 'x'), 20).size(), 51u);
}

} // namespace
} // namespace zelm
