#include "app/CrashState.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

#include "app/DocumentFile.h"
#include "app/DocumentHost.h"
#include "app/RecoveryStore.h"
#include "files/FileIO.h"
#include "files/SessionFolder.h"
#include "platform/ErrorReport.h"
#include "platform/Paths.h"
#include "platform/WorkArea.h"

namespace zelm {

namespace {

const QString CrashPrefix = CrashStatePrefix;
const QString OfferedPrefix = ClosingStatePrefix;
const QString StateExtension = ".wes";

// The question at start-up; %1 is the date, %2 the time of the state, %3 its caption.
const QString LeftStateQuestion = "De vorige keer is ZelmEditor niet goed afgesloten. Het werk "
                                  "van %1 %2 (%3) terugzetten?";
const QString Yes = "&Ja";
const QString No = "&Nee";

bool AskInBox(QWidget* parent, const QString& question) {
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), question,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.button(QMessageBox::Yes)->setText(Yes);
    box.button(QMessageBox::No)->setText(No);
    box.setDefaultButton(QMessageBox::Yes);
    box.setAccessibleName("Vraag");
    KeepInWorkArea(box);
    return box.exec() == QMessageBox::Yes;
}

} // namespace

QString CrashStateName(const QString& caption) {
    return CrashPrefix + caption + StateExtension;
}

QString OfferedStateName(const QString& caption) {
    return OfferedPrefix + caption + StateExtension;
}

// One file write at a time, on a thread of its own: a state handed in while another is being
// written waits, and a newer one replaces it. A store whose caption changed removes the file of
// the old caption once the new one is safely written.
class CrashState::Writer {
public:
    ~Writer() {
        Flush();
        {
            const std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

    void Put(std::string path, std::string bytes) {
        {
            const std::lock_guard lock(mutex_);
            if (stopped_) return;
            next_ = Job{std::move(path), std::move(bytes)};
            if (!thread_.joinable()) thread_ = std::thread(&Writer::Run, this);
        }
        wake_.notify_all();
    }

    void Flush() {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return !next_ && !busy_; });
    }

    /// Drops what waits, lets the write under way end, and takes no more; returns the file
    /// that is on disk.
    std::string Stop() {
        std::unique_lock lock(mutex_);
        next_.reset();
        stopped_ = true;
        idle_.wait(lock, [this] { return !busy_; });
        return written_;
    }

private:
    struct Job {
        std::string path, bytes;
    };

    void Run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return quit_ || next_; });
            if (quit_) return;
            const Job job = std::move(*next_);
            next_.reset();
            busy_ = true;
            const std::string previous = written_;
            lock.unlock();
            const bool stored = Write(job);
            if (stored && !previous.empty() && previous != job.path) std::remove(previous.c_str());
            lock.lock();
            if (stored) written_ = job.path;
            busy_ = false;
            idle_.notify_all();
        }
    }

    // A failed store keeps the previous one; the next change tries again.
    static bool Write(const Job& job) {
        try {
            WriteFileAtomically(job.path, job.bytes);
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_, idle_;
    std::optional<Job> next_;
    bool busy_ = false, stopped_ = false, quit_ = false;
    std::string written_;
    std::thread thread_;
};

CrashState::CrashState(DocumentHost& host) : host_(host), writer_(std::make_unique<Writer>()) {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] { TimerFired(); });
}

CrashState::~CrashState() = default;

void CrashState::StartAtLaunch() {
    tracking_ = true;
    // Once the window is up and the command line's document is in: taking the state stores
    // that document first.
    QMetaObject::invokeMethod(
        &timer_, [this] { OfferLeftState(); }, Qt::QueuedConnection);
}

// The keystroke's share: a clock reading, and a timer started only by the first change.
void CrashState::Changed() {
    if (!tracking_ || host_.Document().Loading()) return;
    lastChange_ = Clock::now();
    if (pending_) return;
    pending_ = true;
    firstChange_ = lastChange_;
    timer_.start(std::min(idleDelay, longestDelay));
}

void CrashState::TimerFired() {
    const Clock::time_point now = Clock::now();
    const Clock::duration idleLeft = lastChange_ + idleDelay - now;
    const Clock::duration longestLeft = firstChange_ + longestDelay - now;
    // A load lets events in while it builds the lines: its document is not whole yet.
    if (host_.Document().Loading()) {
        timer_.start(idleDelay);
        return;
    }
    if (idleLeft <= Clock::duration::zero() || longestLeft <= Clock::duration::zero()) {
        Store();
        return;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(std::min(idleLeft, longestLeft));
    timer_.start(left);
}

// The bytes are made here, on the window's thread, which owns the lines; the writer's thread
// only writes them.
void CrashState::Store() {
    pending_ = false;
    const QString folder = host_.Recovery().SessionPath();
    if (folder.isEmpty()) return;
    bool cutLine = false;
    std::string bytes = host_.Document().Encoded(cutLine);
    writer_->Put(NativePath(folder + CrashStateName(host_.Caption())), std::move(bytes));
}

void CrashState::Remove() {
    tracking_ = false;
    pending_ = false;
    timer_.stop();
    const std::string written = writer_->Stop();
    if (!written.empty()) std::remove(written.c_str());
}

void CrashState::Flush() {
    writer_->Flush();
}

QString CrashState::LeftState() const {
    const std::string folder = NativePath(host_.HerstelDir);
    for (const std::string& session : SessionFolder::List(folder)) {
        if (SessionFolder::Held(session)) continue;
        for (const std::string& name : ListFiles(session, StateExtension.toStdString())) {
            const QString file = DecodeFileName(name);
            if (file.startsWith(CrashPrefix)) return DecodeFileName(session) + file;
        }
    }
    return {};
}

// The state is renamed before the question: a second instance started at the same time finds
// it gone, and a state is offered only once, whatever the answer. A session that closed cleanly
// after its last crash state (killed between the two) keeps its closing state.
void CrashState::OfferLeftState() {
    const QString file = LeftState();
    if (file.isEmpty()) return;
    const QFileInfo info(file);
    const QString caption = info.fileName().mid(CrashPrefix.size()).chopped(StateExtension.size());
    const QString offered = info.absolutePath() + "/" + OfferedStateName(caption);
    const QDateTime when = info.lastModified();
    if (QFileInfo::exists(offered)) {
        std::remove(NativePath(file).c_str());
        return;
    }
    if (std::rename(NativePath(file).c_str(), NativePath(offered).c_str()) != 0) return;
    const QString question =
        LeftStateQuestion.arg(when.toString("d-M-yyyy"), when.toString("HH:mm"), caption);
    const bool take = ask ? ask(question) : AskInBox(host_.DialogParent(), question);
    if (take) Take(offered, caption);
}

// As "&Vorige" takes a state: the document on the screen is stored first, then the state comes
// in under its own caption.
void CrashState::Take(const QString& file, const QString& caption) {
    try {
        host_.Recovery().SaveHerstel();
        host_.Document().LoadNamed(file, caption, host_.DocDir, false);
    } catch (const std::exception& error) {
        host_.ReportFailure(QString::fromLocal8Bit(error.what()));
    }
}

} // namespace zelm
