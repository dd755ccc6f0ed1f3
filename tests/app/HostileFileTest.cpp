// Documents that are not what they claim: pipes, devices and folders named like a document,
// files beyond the line bound, names that are not valid UTF-8, and loads long enough to be
// cancelled. Each leaves the window's lines as they were, and none may block or exhaust memory.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QThread>

#include <memory>
#include <string>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/MainWindow.h"
#include "files/DocumentCodec.h"
#include "formula/LineKeys.h"
#include "platform/Paths.h"
#include "support/FixedLines.h"
#include "support/WindowTexts.h"

namespace zelm {
namespace {

using test::TextsOf;

std::string Records(int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i) {
        TLineRecord r;
        r.plainText = true;
        r.font = FontToRecord(FontDesc{}, 0);
        r.text = " regel " + std::to_string(i);
        r.top = 24 * i;
        r.width = 480;
        bytes += EncodeLine(r);
    }
    return bytes;
}

const QString TooManyLines =
    "Dit document is te groot om te openen: het heeft meer dan 20000 regels.";

class HostileFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        window_ = Open();
        window_->Lines()[0]->SetText(" eerst");
        window_->CreateEd()->SetText(" tweede");
    }

    std::unique_ptr<TBasisMath> Open(QStringList arguments = {}) {
        return std::make_unique<TBasisMath>(
            dir_.path(), [this](const QString& m) { messages_ << m; }, arguments);
    }

    std::string Native(const QString& name) const { return NativePath(dir_.filePath(name)); }

    void Plant(const QString& name, const std::string& bytes) const {
        QFile f(dir_.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), qint64(bytes.size()));
    }

    test::FixedLines fixed_;
    QTemporaryDir dir_;
    QStringList messages_;
    std::unique_ptr<TBasisMath> window_;
};

// Each row makes a hostile x.mds and expects the message a load gives; the lines stay, and the
// same name on the command line is reported the same way without blocking.
TEST_F(HostileFile, NamesThatAreNoDocumentAreRefusedWithoutBlocking) {
    struct Row {
        const char* what;
        std::function<void(const std::string& path)> make;
        QString message;
    };
    const std::vector<Row> rows = {
        // A pipe without a writer would block open() and read() for ever.
        {"fifo", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
         "File access denied"},
        // Devices never end.
        {"zero", [](const std::string& p) { ASSERT_EQ(::symlink("/dev/zero", p.c_str()), 0); },
         "File access denied"},
        {"urandom",
         [](const std::string& p) { ASSERT_EQ(::symlink("/dev/urandom", p.c_str()), 0); },
         "File access denied"},
        {"folder", [](const std::string& p) { ASSERT_EQ(::mkdir(p.c_str(), 0700), 0); },
         "File access denied"},
        // One record more than the bound (a sparse file: nothing is written), refused before
        // a byte of it is read.
        {"over the bound",
         [](const std::string& p) {
             const int fd = ::creat(p.c_str(), 0600);
             ASSERT_GE(fd, 0);
             ASSERT_EQ(::ftruncate(fd, off_t(TBasisMath::LargestDocumentLines + 1) * 792), 0);
             ::close(fd);
         },
         TooManyLines},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const QString name = QString("x%1.mds").arg(++n);
        row.make(Native(name));
        const std::vector<Bytes> before = TextsOf(*window_);
        const std::vector<TMathEditor*> widgets = window_->Lines();
        EXPECT_EQ(test::MessageOf([&] { window_->Document().Load(dir_.filePath(name)); }),
                  row.message);
        EXPECT_EQ(window_->Lines(), widgets);
        EXPECT_EQ(TextsOf(*window_), before);

        messages_.clear();
        std::unique_ptr<TBasisMath> started = Open({dir_.filePath(name)});
        EXPECT_EQ(messages_, QStringList{row.message});
        EXPECT_EQ(started->Lines().size(), 1u);
    }
}

TEST_F(HostileFile, TheLargestDocumentLoadsWithinItsMemoryBound) {
    Plant("groot.mds", Records(TBasisMath::LargestDocumentLines) + std::string(791, 'x'));
    window_->Document().loadProgressDelay = 0;
    bool shown = false;
    window_->Document().onLineLoaded = [&](int) {
        if (auto* dialog = window_->findChild<QProgressDialog*>()) shown |= dialog->isVisible();
    };
    EXPECT_EQ(test::MessageOf([&] { window_->Document().Load(dir_.filePath("groot.mds")); }),
              "Dit document is beschadigd. Gelezen: 20000 van de 20001 regels.");
    EXPECT_TRUE(shown);
    ASSERT_EQ(int(window_->Lines().size()), TBasisMath::LargestDocumentLines);
    EXPECT_EQ(window_->Lines().back()->Text(), " regel 19999");
#if !defined(ZELM_SANITIZED)
    // 300 MB for the program and its libraries, and 5 KB for each line.
    rusage usage;
    ASSERT_EQ(::getrusage(RUSAGE_SELF, &usage), 0);
    EXPECT_LT(usage.ru_maxrss, 300 * 1024 + TBasisMath::LargestDocumentLines * 5);
#endif

    // It grows no further (one line more and no load accepts it), and stores no state for it.
    const QString noRoom =
        "Dit document heeft al 20000 regels, meer dan dat opent het programma niet.";
    const int counter = window_->HerstelNummer;
    int key = VK::Return;
    EXPECT_EQ(test::MessageOf([&] { SplitOrJoin(window_->Lines().back()->Line(), key); }), noRoom);
    EXPECT_EQ(test::MessageOf([&] { window_->Nieuweregel1Click(); }), noRoom);
    EXPECT_EQ(int(window_->Lines().size()), TBasisMath::LargestDocumentLines);
    EXPECT_EQ(window_->HerstelNummer, counter);
}

// A long load shows its progress; cancelling it puts the earlier lines back, caption and all.
TEST_F(HostileFile, ACancelledLoadLeavesTheLinesAsTheyWere) {
    Plant("lang.mds", Records(300));
    window_->setWindowTitle("eerder");
    const std::vector<Bytes> before = TextsOf(*window_);
    const std::vector<TMathEditor*> widgets = window_->Lines();
    window_->Lines()[1]->setFocus();
    window_->Document().loadProgressDelay = 0;
    bool shown = false;
    window_->Document().onLineLoaded = [&](int loaded) {
        QThread::msleep(2); // a slow disk or a slow machine
        auto* dialog = window_->findChild<QProgressDialog*>();
        ASSERT_NE(dialog, nullptr);
        shown |= dialog->isVisible();
        if (loaded == 120) dialog->cancel();
    };
    window_->Document().chooseOpenFile = [&](const QString&) { return dir_.filePath("lang.mds"); };
    window_->Document().MLoadClick();
    EXPECT_TRUE(shown);
    EXPECT_EQ(window_->Lines(), widgets);
    EXPECT_EQ(TextsOf(*window_), before);
    EXPECT_EQ(window_->windowTitle(), "eerder");
    for (const TMathEditor* line : window_->Lines())
        EXPECT_FALSE(line->isHidden());

    // Without a cancel the same file loads whole.
    window_->Document().onLineLoaded = nullptr;
    window_->Document().MLoadClick();
    EXPECT_EQ(window_->Lines().size(), 300u);
    EXPECT_EQ(window_->windowTitle(), "lang");
}

// Names are bytes; one that is not valid UTF-8 still opens from the command line, and its
// recovery states go under the same bytes.
TEST_F(HostileFile, ADocumentWhoseNameIsNotUtf8Opens) {
    const std::string name = "m\xE9t\xFF\xC3.mds"; // Latin-1 é, a stray byte, a cut sequence
    const std::string path = NativePath(dir_.path()) + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    const std::string bytes = Records(2);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);

    std::string argument = path;
    char* argv[] = {const_cast<char*>("ZelmEditor"), argument.data()};
    messages_.clear();
    std::unique_ptr<TBasisMath> started = Open(ProgramArguments(2, argv));
    EXPECT_EQ(messages_, QStringList{});
    ASSERT_EQ(started->Lines().size(), 2u);
    EXPECT_EQ(started->Lines()[1]->Text(), " regel 1");
    EXPECT_EQ(NativePath(started->Recovery().ClosingFileName()), NativePath(started->HerstelDir) +
                                                                     "m\xE9t\xFF\xC3"
                                                                     "0.wes");
    ::unlink(path.c_str()); // Qt cannot remove a name it cannot decode
}

} // namespace
} // namespace zelm
