#include "tools/LiveValueWindow.h"

#include "config/MainWindowModel.h"
#include "config/NumberFormat.h"
#include "files/CsvTable.h"

#include <QRegularExpression>

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

QList<QList<QPointF>> LiveTrend::lines(qint64 fromMs, qint64 toMs, qint64 breakMs) const {
    QList<QList<QPointF>> out;
    qint64 lastMs = 0;
    bool open = false;
    for (const TrendPoint& p : points(fromMs, toMs)) {
        if (p.gap()) {
            open = false;
            continue;
        }
        const qint64 at = p.ms + (p.untilMs - p.ms) / 2;
        // Measured from the last reading before: folded spans follow each other without a gap.
        if (!open || p.ms - lastMs > breakMs) out.append(QList<QPointF>{});
        out.last().append(QPointF(double(at), p.mean));
        // A span with failed polls in it ends its line too: the gap stays visible when folded.
        open = p.failed == 0;
        lastMs = p.untilMs;
    }
    return out;
}

QList<qint64> LiveTrend::failures(qint64 fromMs, qint64 toMs) const {
    QList<qint64> out;
    for (const TrendPoint& p : points(fromMs, toMs))
        if (p.failed > 0) out.append(p.ms + (p.untilMs - p.ms) / 2);
    return out;
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

namespace {

QString plainCaption(QString text) {
    text.remove(QLatin1Char('&'));
    while (text.endsWith(QLatin1Char(':')) || text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

// "Anzeige bei 4mA" names the input "4 mA".
QString inputEnd(const QString& caption) {
    static const QRegularExpression end(QStringLiteral("bei ([0-9]+)\\s*(m?[AV])$"));
    const QRegularExpressionMatch match = end.match(caption);
    return match.hasMatch() ? match.captured(1) + QLatin1Char(' ') + match.captured(2) : QString();
}

// Item indexes of `rgInput` whose ends are a voltage or a current.
constexpr int kVoltageInput = 0;
constexpr int kCurrentInput = 1;

} // namespace

LiveView LiveView::of(const MainWindowModel& m, QChar separator) {
    LiveView v;
    v.separator = separator;
    v.decimals = std::clamp(m.neAnzeigeLow.Nachkommastellen, 0, 6);
    // The display's unit, else the unit of a temperature or flow input.
    if (m.cb_AnzeigeEinheit.visible) v.unit = m.cb_AnzeigeEinheit.selectedText().trimmed();
    else if (m.cbAnzeigeUnit.visible) v.unit = m.cbAnzeigeUnit.selectedText().trimmed();
    const auto value = [&](const NumericField& f) -> std::optional<double> {
        bool ok = false;
        const double d = NumberFormat::parseNumber(f.text, separator, &ok);
        return ok ? std::optional<double>(d) : std::nullopt;
    };
    struct Shown {
        const GroupBox& group;
        const Label& label;
        const NumericField& field;
    };
    const Shown shown[] = {
        {m.gpOut1Parameter, m.lOut1Einschaltpunkt, m.neOut1Einschaltpunkt},
        {m.gpOut1Parameter, m.lOut1Ausschaltpunkt, m.neOut1Ausschaltpunkt},
        {m.gpOut2Parameter, m.lOut2Einschaltpunkt, m.neOut2Einschaltpunkt},
        {m.gpOut2Parameter, m.lOut2Ausschaltpunkt, m.neOut2Ausschaltpunkt},
        {m.gpPIDRegler, m.lPID_SP1, m.nePID_SP1},
    };
    for (const Shown& s : shown) {
        if (!s.group.visible || !s.field.visible) continue;
        if (const auto d = value(s.field))
            v.lines.append({plainCaption(s.group.caption) + QStringLiteral(": ") + plainCaption(s.label.caption), *d});
    }
    const int kind = m.rgInput.itemIndex;
    const auto low = value(m.neAnzeigeLow);
    const auto high = value(m.neAnzeigeHigh);
    LoopCheck::Settings loop;
    loop.lowInput = inputEnd(m.lAnzeigeLow.caption);
    loop.highInput = inputEnd(m.lAnzeigeHigh.caption);
    if (m.rgInput.visible && (kind == kVoltageInput || kind == kCurrentInput) && low && high && *low != *high &&
        !loop.lowInput.isEmpty() && !loop.highInput.isEmpty()) {
        loop.displayLow = *low;
        loop.displayHigh = *high;
        loop.decimals = v.decimals;
        loop.separator = separator;
        v.loop = loop;
    }
    return v;
}

QString LiveView::number(double value) const {
    return QString::number(value, 'f', decimals).replace(QLatin1Char('.'), separator);
}

QByteArray liveCsvHead() {
    return QByteArray("\xEF\xBB\xBF") +
           csvtable::line({QStringLiteral("Zeit"), QStringLiteral("Wert"), QStringLiteral("Status")});
}
