// The crash state: the document stored in this session's folder a moment after the typing
// stops, so that a crash, a kill or a power cut costs seconds of work, not the current line.
// A key only notes the change and its time; the file is written by a thread of its own. A clean
// close removes the state; the next start offers the one a crashed session left.
#pragma once

#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace zelm {

class DocumentHost;

/// The name a session folder gives its crash state: "Noodkopie-" + caption + ".wes".
QString CrashStateName(const QString& caption);
/// The name of the state once it has been offered: "Afsluiting-" + caption + ".wes".
QString OfferedStateName(const QString& caption);

class CrashState {
public:
    using Clock = std::chrono::steady_clock;

    explicit CrashState(DocumentHost& host);
    /// Waits for a write under way; the state on disk stays (only a clean close removes it).
    ~CrashState();

    /// Keeps track of changes from now on, and offers, once the event loop runs, the crash
    /// state of a session that no running instance holds.
    void StartAtLaunch();
    /// A line's text changed: notes when. The first change after a store arms the timer.
    void Changed();
    /// A clean close: no more stores, and the states this run wrote are removed.
    void Remove();
    /// Offers the newest crash state that a session left which no instance holds; it is
    /// renamed to its offered name whatever the answer, and loaded when it is taken.
    void OfferLeftState();
    /// Waits until the last state handed to the writer is on disk (tests, benchmarks).
    void Flush();

    /// A store comes this long after the last change...
    std::chrono::milliseconds idleDelay{2000};
    /// ...or this long after the first change not yet stored, while typing goes on.
    std::chrono::milliseconds longestDelay{30000};
    /// Asks whether to take a left state back; true is "Ja". Empty: a question box over the
    /// window. Tests replace it.
    std::function<bool(const QString& question)> ask = defaultAsk;
    /// What `ask` is in a new window (the widget tests answer every question with "Nee").
    static inline std::function<bool(const QString& question)> defaultAsk;

private:
    class Writer;

    void TimerFired();
    void Store();
    /// The crash state of the newest session that no instance holds; empty when none.
    QString LeftState() const;
    void Take(const QString& file, const QString& caption);

    DocumentHost& host_;
    QTimer timer_;
    bool tracking_ = false;
    bool pending_ = false; ///< a change not yet stored
    Clock::time_point firstChange_, lastChange_;
    std::unique_ptr<Writer> writer_;
};

} // namespace zelm
