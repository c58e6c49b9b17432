#pragma once

#include "bus/BusCommands.h"
#include "bus/BusLibrary.h"

#include <QPointF>

#include <QList>
#include <QString>

#include <deque>
#include <optional>

// The live value window without its widgets: the trend of the readings and the loop check.
// Time is in milliseconds of the caller's clock, so tests feed readings without waiting.

// One point of the trend: a single reading, or a span of older readings folded into one.
struct TrendPoint {
    qint64 ms = 0;      // the reading's time, or the start of the folded span
    qint64 untilMs = 0; // equal to ms for a single reading
    double min = 0, max = 0, mean = 0;
    int readings = 0; // answered polls in it
    int failed = 0;   // unanswered polls in it; a point with no reading is a gap
    bool gap() const { return readings == 0; }
};

// The readings of the last day in bounded memory: the recent minutes as they came, older ones
// folded into spans of a few seconds, anything older than a day dropped. At 0.2 s a day holds
// some 3000 recent readings and 8640 spans, however long the window runs.
class LiveTrend {
  public:
    struct Limits {
        qint64 recentMs = 10 * 60 * 1000;  // kept reading by reading
        qint64 spanMs = 10 * 1000;         // older readings fold into spans this long
        qint64 keepMs = 24 * 3600 * 1000;  // the trend reaches back this far
    };
    LiveTrend() : LiveTrend(Limits{}) {}
    explicit LiveTrend(Limits limits) : limits(limits) {}

    void add(qint64 ms, const bus::Reading& reading);
    // The points from fromMs to toMs, oldest first.
    QList<TrendPoint> points(qint64 fromMs, qint64 toMs) const;

    struct Stats {
        std::optional<double> min, max, mean; // none when nothing answered in the span
        int readings = 0;
        int failed = 0;
    };
    Stats stats(qint64 fromMs, qint64 toMs) const;
    std::size_t size() const { return folded.size() + recent.size(); }

    // The trend as lines to draw (x: ms, y: value; a folded span at its middle with its mean):
    // a failed poll, or no reading for longer than `breakMs`, ends a line.
    QList<QList<QPointF>> lines(qint64 fromMs, qint64 toMs, qint64 breakMs) const;
    // When the polls in the span failed (a folded span at its middle).
    QList<qint64> failures(qint64 fromMs, qint64 toMs) const;

  private:
    void fold(qint64 nowMs);
    Limits limits;
    std::deque<TrendPoint> folded; // older spans, oldest first
    std::deque<TrendPoint> recent; // single readings, oldest first
};

// The loop check ("Schleifentest"): the technician applies the low end of the input, the
// check waits until the value is steady and compares it with the configured display low
// within a tolerance of the span; the same for the high end; passed when both are in.
class LoopCheck {
  public:
    enum class Step { Idle, ApplyLow, SettlingLow, ApplyHigh, SettlingHigh, Passed, Failed };
    struct Settings {
        QString lowInput;  // what to apply, as the configuration names it: "4 mA", "0 V"
        QString highInput; // "20 mA", "10 V"
        double displayLow = 0;
        double displayHigh = 1000;
        double tolerancePercent = 0.5; // of the display span
        qint64 steadyMs = 3000;        // the value must stay within the band this long
        double steadyPercent = 0.1;    // band of the display span
        int decimals = 0;
        QChar separator = QLatin1Char(',');
    };
    struct End {
        std::optional<double> reading; // the steady value taken
        bool ok = false;
    };

    void start(const Settings& settings);
    // The technician says the end is applied: the check waits for a steady value.
    void applied();
    void add(qint64 ms, const bus::Reading& reading);
    void cancel() { at = Step::Idle; }

    Step step() const { return at; }
    const End& low() const { return ends[0]; }
    const End& high() const { return ends[1]; }
    // What the window says now, in German.
    QString prompt() const;

  private:
    int endIndex() const { return at == Step::SettlingHigh || at == Step::ApplyHigh ? 1 : 0; }
    QString number(double v) const;
    Settings settings;
    Step at = Step::Idle;
    End ends[2];
    std::deque<std::pair<qint64, double>> window; // readings since the value last left the band
};

struct MainWindowModel;

// What the live value window takes from the main window's configuration.
struct LiveView {
    QString unit;     // as the display shows it; empty without a unit
    int decimals = 0; // of the display
    QChar separator = QLatin1Char(',');
    // The switch points, alarm limits and set point, drawn into the trend as lines.
    struct Line {
        QString name; // "Schaltausgang 1: Einschaltpunkt"
        double value = 0;
    };
    QList<Line> lines;
    // For an analog input (voltage or current): the ends of the loop check; none otherwise.
    std::optional<LoopCheck::Settings> loop;

    static LiveView of(const MainWindowModel& m, QChar separator);
    QString number(double v) const;
};

// The window's state: every poll goes into the trend and, while one runs, the loop check.
// A failed poll is a gap and a red status, never a value; the next answer clears it.
class LiveValueWindow {
  public:
    bus::Reading poll(BusLibrary& library, int16_t address, qint64 ms);

    LiveTrend trend;
    LoopCheck loopCheck;
    std::optional<double> lastValue;   // the last answer's value
    std::optional<qint64> lastAnswerMs; // when it came
    int16_t lastStatus = 0;            // of the last poll; negative: shown red
};

// A recording of live values as CSV (semicolons, as the bus monitor's): this head line, then one
// line per poll (time stamp, value, status), each added to the file as it comes.
QByteArray liveCsvHead();
