// The crash state: typing reaches the session folder a moment after it stops (and while it
// goes on), a session that ended without closing is offered at the next start unless an
// instance still holds it, and a clean close leaves nothing to offer.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "app/MainWindow.h"
#include "files/DocumentCodec.h"
#include "files/FileIO.h"
#include "support/WindowTexts.h"

namespace zelm {
namespace {

using namespace std::chrono_literals;

class CrashStateTest : public ::testing::Test {
protected:
    std::unique_ptr<TBasisMath> Open(std::chrono::milliseconds idle,
                                     std::chrono::milliseconds longest) {
        auto window = std::make_unique<TBasisMath>(dir_.path(), [](const QString&) {});
        window->Crash().idleDelay = idle;
        window->Crash().longestDelay = longest;
        window->Crash().ask = [this](const QString& q) {
            questions_ << q;
            return true;
        };
        QTest::qWait(1); // the start-up offer
        return window;
    }

    static QString StateOf(TBasisMath& window) {
        return window.Recovery().SessionPath() + CrashStateName(window.windowTitle());
    }

    static std::vector<Bytes> FileTexts(const QString& path) {
        std::vector<Bytes> texts;
        for (const TLineRecord& r : DecodeDocument(ReadWholeFile(path.toStdString())))
            texts.push_back(r.text);
        return texts;
    }

    QTemporaryDir dir_;
    QStringList questions_;
};

TEST_F(CrashStateTest, TypingIsStoredWhenItPausesOfferedOnceAfterACrashAndGoneAfterAClose) {
    auto first = Open(100ms, 60s);
    QTest::keyClicks(first->Lines()[0], "abc");
    EXPECT_FALSE(QFile::exists(StateOf(*first))); // nothing on the keystroke path
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(StateOf(*first)); }, 3000));
    first->Crash().Flush();
    EXPECT_EQ(FileTexts(StateOf(*first)), test::TextsOf(*first));

    // While the first instance runs, its state is its own.
    auto second = Open(100ms, 60s);
    EXPECT_TRUE(questions_.isEmpty());
    second.reset();
    const QString crashed = first->Recovery().SessionPath();
    first.reset(); // as a crash leaves it: no closing

    auto third = Open(100ms, 60s);
    ASSERT_EQ(questions_.size(), 1);
    EXPECT_TRUE(questions_[0].endsWith("(ZelmEditor) terugzetten?")) << questions_[0].toStdString();
    EXPECT_EQ(test::TextsOf(*third), std::vector<Bytes>{" abc"});
    EXPECT_EQ(QDir(crashed).entryList({"*.wes"}, QDir::Files),
              QStringList{OfferedStateName("ZelmEditor")});
    third.reset();
    Open(100ms, 60s).reset();
    EXPECT_EQ(questions_.size(), 1); // offered once

    // A clean close removes the state, but only after the closing state is stored.
    auto last = Open(100ms, 60s);
    QTest::keyClicks(last->Lines()[0], "x");
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(StateOf(*last)); }, 3000));
    const QString state = StateOf(*last);
    last->close();
    EXPECT_FALSE(QFile::exists(state));
    EXPECT_EQ(FileTexts(last->HerstelFileName(0)), std::vector<Bytes>{" x"});
}

// Keys every 20 ms never leave the line idle for 150 ms; the state comes all the same once
// 300 ms have passed since the first of them.
TEST_F(CrashStateTest, SteadyTypingIsStoredAfterTheLongestDelay) {
    auto window = Open(150ms, 300ms);
    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(StateOf(*window)) && clock.elapsed() < 3000) {
        QTest::keyClick(window->Lines()[0], 'a');
        QTest::qWait(20);
    }
    EXPECT_LT(clock.elapsed(), 1500);
    window->Crash().Flush();
    EXPECT_GE(FileTexts(StateOf(*window))[0].size(), 10u);
}

} // namespace
} // namespace zelm
