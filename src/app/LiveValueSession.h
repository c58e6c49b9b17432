#pragma once

#include "bus/BusGuard.h"
#include "bus/BusLibrary.h"
#include "config/Clock.h"
#include "config/Prompter.h"
#include "tools/LiveValueWindow.h"

#include <QDateTime>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// "Messwert anzeigen": the live value window beside the main window, without its widgets.
//
// It polls the instrument of the main window (its port, converter and address) through a
// binding of its own, kept loaded while the window exists, and holds the port open between
// polls while the bus is free. The window's timer calls `tick`; a poll is taken when it is due
// and no run of the main window or a tool has the bus (see BusGuard). A poll that gets no
// answer is a gap in the trend and a red status, never a value; polling goes on, and after a
// few misses in a row the port is opened anew.
class LiveValueSession {
  public:
    struct Place {
        int16_t comPort = 1;
        int16_t converterCode = 0;
        int16_t address = -1; // -1: asked of the bus when the port is reached
    };
    LiveValueSession(std::unique_ptr<BusLibrary> library, BusGuard& guard, Clock& clock);
    ~LiveValueSession();
    LiveValueSession(const LiveValueSession&) = delete;
    LiveValueSession& operator=(const LiveValueSession&) = delete;

    // The instrument and what the configuration shows of it; a different instrument starts
    // the trend afresh.
    void configure(const Place& place, const LiveView& view);
    const Place& place() const { return where; }
    const LiveView& view() const { return shownAs; }

    bool shown = false;
    void show() { shown = true; }
    // The window closes: the port is let go and a recording ends.
    void close();

    // Called by the window's timer with the time of a steady clock (ms) and the wall time.
    // Polls when due and the bus is free; returns how long until it wants to be called again.
    qint64 tick(qint64 ms, const QDateTime& now);
    // True while a run has the bus and the window waits.
    bool waiting() const { return paused; }

    // --- Interval ---
    static QStringList intervalTexts(); // "so schnell wie möglich", "0,2 s", … "5 s"
    int intervalIndex() const { return interval; }
    void setInterval(int index);
    qint64 intervalMs() const;

    // --- The shown span of the trend ---
    static QStringList spanTexts(); // "1 min", … "24 h"
    int spanIndex() const { return span; }
    void setSpan(int index);
    qint64 spanMs() const;
    // How far back the shown span ends before the newest poll (0: it follows the polls).
    qint64 backMs = 0;
    static constexpr qint64 kKeepMs = 24 * 3600 * 1000;
    // The shown span in ms of the trend, and its wall time for the axis.
    qint64 shownUntilMs() const;
    qint64 shownFromMs() const { return shownUntilMs() - spanMs(); }
    QDateTime wallTime(qint64 ms) const;
    // A line ends where polls were this far apart (a pause for a bus run).
    qint64 breakMs() const;
    LiveTrend::Stats shownStats() const;

    // --- What the window says ---
    QString valueText() const;  // the last answer's value, "–" before the first
    QString answerText() const; // "Letzte Antwort: 14:03:12"
    QString pollState() const; // "ok", the failure, or the wait for a run
    bool failed() const { return state.lastStatus < 0; }
    QString statsText() const;  // "Min … Max … Mittel …" of the shown span

    // --- Recording to CSV: semicolons, time stamp, value, status ---
    // Starts a new file (replacing one of that name); false with `recordProblem` when it
    // cannot be written.
    bool startRecording(const QString& path);
    // "Aufzeichnen…" asks where to (starting in `folder`) and starts; while recording it stops.
    void bAufzeichnenClick(Prompter& prompter, const QString& folder);
    void stopRecording();
    bool recording() const { return !recordPath.isEmpty(); }
    QString recordingFile() const { return recordPath; }
    // Why the recording stopped by itself; empty while it runs or when the user stopped it.
    QString recordProblem;
    int recordedLines = 0;

    // --- Loop check ---
    bool canCheckLoop() const { return shownAs.loop.has_value(); }
    void startLoopCheck(double tolerancePercent);
    void loopApplied() { state.loopCheck.applied(); }
    void cancelLoopCheck() { state.loopCheck.cancel(); }
    // Called once when a loop check ends, passed or failed; its prompt then says the result
    // with both readings.
    std::function<void(const LoopCheck&)> loopFinished;

    LiveValueWindow state;
    // The identity word the instrument answered when the port was reached (0: not yet).
    int32_t identity = 0;
    int polls = 0;
    int failedPolls = 0;

  private:
    void poll(qint64 ms, const QDateTime& now);
    // Opens the port and learns the address when it is not known; the status of the first
    // step that failed, else of the last.
    int16_t reach();
    // Closes the port held between polls.
    void letGo();
    void record(const QDateTime& now, const bus::Reading& reading);

    std::unique_ptr<BusLibrary> lib;
    BusGuard& guard;
    Clock& clock;
    Place where;
    int16_t address = -1; // as reached
    LiveView shownAs;
    bool portOpen = false;
    bool paused = false;
    int interval = 3; // 1 s
    int span = 1;     // 5 min
    std::optional<qint64> lastPollMs; // when the last poll was due: the schedule
    qint64 newestMs = 0;              // when it went: the trend's newest point
    qint64 wallOffsetMs = 0; // wall time minus steady time, from the first poll
    QString failure;         // of the last poll
    QString recordPath;
    bool loopTold = false;
    int failedInRow = 0;
};
