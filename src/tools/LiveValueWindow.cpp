#include "tools/LiveValueWindow.h"

#include <algorithm>
#include <cmath>

namespace {

void merge(TrendPoint& into, const TrendPoint& p) {
    if (p.readings > 0) {
        if (into.readings == 0) {
            into.min = p.min;
            into.max = p.max;
        }
        into.min = std::min(into.min, p.min);
        into.max = std::max(into.max, p.max);
        into.mean = (into.mean * into.readings + p.mean * p.readings) / (into.readings + p.readings);
        into.readings += p.readings;
    }
    into.failed += p.failed;
    into.untilMs = std::max(into.untilMs, p.untilMs);
}

bool overlaps(const TrendPoint& p, qint64 fromMs, qint64 toMs) {
    return p.untilMs >= fromMs && p.ms <= toMs;
}

} // namespace

void LiveTrend::add(qint64 ms, const bus::Reading& reading) {
    TrendPoint p;
    p.ms = p.untilMs = ms;
    if (reading.value) {
        p.min = p.max = p.mean = *reading.value;
        p.readings = 1;
    } else {
        p.failed = 1;
    }
    recent.push_back(p);
    fold(ms);
}

void LiveTrend::fold(qint64 nowMs) {
    while (!recent.empty() && recent.front().ms < nowMs - limits.recentMs) {
        const TrendPoint p = recent.front();
        recent.pop_front();
        const qint64 spanStart = p.ms - ((p.ms % limits.spanMs) + limits.spanMs) % limits.spanMs;
        if (folded.empty() || folded.back().ms != spanStart) {
            TrendPoint span;
            span.ms = spanStart;
            span.untilMs = p.ms;
            folded.push_back(span);
        }
        merge(folded.back(), p);
    }
    while (!folded.empty() && folded.front().untilMs < nowMs - limits.keepMs)
        folded.pop_front();
}

QList<TrendPoint> LiveTrend::points(qint64 fromMs, qint64 toMs) const {
    QList<TrendPoint> out;
    for (const auto* list : {&folded, &recent})
        for (const TrendPoint& p : *list)
            if (overlaps(p, fromMs, toMs)) out.append(p);
    return out;
}

LiveTrend::Stats LiveTrend::stats(qint64 fromMs, qint64 toMs) const {
    TrendPoint all;
    for (const TrendPoint& p : points(fromMs, toMs))
        merge(all, p);
    Stats s;
    s.readings = all.readings;
    s.failed = all.failed;
    if (all.readings > 0) {
        s.min = all.min;
        s.max = all.max;
        s.mean = all.mean;
    }
    return s;
}

void LoopCheck::start(const Settings& given) {
    settings = given;
    ends[0] = ends[1] = End{};
    window.clear();
    at = Step::ApplyLow;
}

void LoopCheck::applied() {
    window.clear();
    if (at == Step::ApplyLow) at = Step::SettlingLow;
    else if (at == Step::ApplyHigh) at = Step::SettlingHigh;
}

void LoopCheck::add(qint64 ms, const bus::Reading& reading) {
    if (at != Step::SettlingLow && at != Step::SettlingHigh) return;
    // A poll without an answer proves nothing about steadiness: wait afresh.
    if (!reading.value) {
        window.clear();
        return;
    }
    const double span = std::abs(settings.displayHigh - settings.displayLow);
    window.emplace_back(ms, *reading.value);
    // Drop the oldest readings until the rest lie within the band.
    const auto spread = [this] {
        const auto [lo, hi] = std::minmax_element(window.begin(), window.end(),
                                                  [](const auto& a, const auto& b) { return a.second < b.second; });
        return hi->second - lo->second;
    };
    while (window.size() > 1 && spread() > span * settings.steadyPercent / 100.0)
        window.pop_front();
    if (ms - window.front().first < settings.steadyMs) return;

    double sum = 0;
    for (const auto& [t, v] : window)
        sum += v;
    const int i = endIndex();
    const double expected = i == 0 ? settings.displayLow : settings.displayHigh;
    ends[i].reading = sum / static_cast<double>(window.size());
    ends[i].ok = std::abs(*ends[i].reading - expected) <= span * settings.tolerancePercent / 100.0;
    window.clear();
    if (i == 0) at = Step::ApplyHigh;
    else at = low().ok && high().ok ? Step::Passed : Step::Failed;
}

QString LoopCheck::number(double v) const {
    return QString::number(v, 'f', settings.decimals).replace(QLatin1Char('.'), settings.separator);
}

QString LoopCheck::prompt() const {
    const auto result = [this](const End& e, const QString& input, double expected) {
        return QStringLiteral("%1: %2 (Soll %3)")
            .arg(input, e.reading ? number(*e.reading) : QStringLiteral("–"), number(expected));
    };
    const QString both = result(low(), settings.lowInput, settings.displayLow) + QStringLiteral(", ") +
                         result(high(), settings.highInput, settings.displayHigh);
    switch (at) {
    case Step::Idle:
        return {};
    case Step::ApplyLow:
        return QStringLiteral("Bitte %1 am Eingang anlegen (Anfang des Bereichs), dann „Weiter“.").arg(settings.lowInput);
    case Step::ApplyHigh:
        return QStringLiteral("Bitte %1 am Eingang anlegen (Ende des Bereichs), dann „Weiter“.").arg(settings.highInput);
    case Step::SettlingLow:
    case Step::SettlingHigh:
        return QStringLiteral("Warte auf einen ruhigen Messwert …");
    case Step::Passed:
        return QStringLiteral("Schleifentest bestanden. ") + both;
    case Step::Failed:
        return QStringLiteral("Schleifentest nicht bestanden. ") + both;
    }
    return {};
}

bus::Reading LiveValueWindow::poll(BusLibrary& library, int16_t address, qint64 ms) {
    const bus::Reading reading = bus::readMeasurement(library, address);
    lastStatus = reading.status;
    if (reading.value) {
        lastValue = reading.value;
        lastAnswerMs = ms;
    }
    trend.add(ms, reading);
    loopCheck.add(ms, reading);
    return reading;
}
