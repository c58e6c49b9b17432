#include "ui/LiveValueDialog.h"

#include "app/LiveValueSession.h"
#include "ui/PushButton.h"

#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QDir>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QScrollBar>
#include <QShowEvent>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

// The trend is drawn again at most this often at the shortest spans, less often at longer
// ones: the value itself is shown at every poll.
qint64 chartEveryMs(qint64 spanMs) {
    return spanMs <= 300'000 ? 250 : 2000;
}

const QColor kTrendColour(0, 90, 170);
const QColor kFailedColour(200, 0, 0);

} // namespace

LiveValueDialog::LiveValueDialog(LiveValueSession& session, Prompter& prompts, QString startFolder, QWidget* parent)
    : QWidget(parent, Qt::Window), s(session), prompter(prompts), folder(std::move(startFolder)) {
    setObjectName(QStringLiteral("LiveValues"));
    setWindowTitle(QStringLiteral("Messwert"));
    resize(640, 600);

    value = new QLabel(this);
    QFont big = value->font();
    big.setPointSize(34);
    big.setBold(true);
    value->setFont(big);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setMinimumWidth(260);
    unit = new QLabel(this);
    QFont unitFont = unit->font();
    unitFont.setPointSize(18);
    unit->setFont(unitFont);
    answer = new QLabel(this);
    status = new QLabel(this);
    status->setWordWrap(true);

    auto* top = new QHBoxLayout;
    top->addWidget(value);
    top->addWidget(unit);
    top->addStretch();
    auto* info = new QVBoxLayout;
    info->addWidget(answer);
    info->addWidget(status);
    top->addLayout(info, 1);

    interval = new QComboBox(this);
    interval->addItems(LiveValueSession::intervalTexts());
    span = new QComboBox(this);
    span->addItems(LiveValueSession::spanTexts());
    back = new QScrollBar(Qt::Horizontal, this);
    back->setToolTip(QStringLiteral("Zurückblättern, bis 24 Stunden"));
    back->setInvertedAppearance(true);
    back->setInvertedControls(true);
    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel(QStringLiteral("Intervall:"), this));
    controls->addWidget(interval);
    controls->addSpacing(12);
    controls->addWidget(new QLabel(QStringLiteral("Zeitraum:"), this));
    controls->addWidget(span);
    controls->addSpacing(12);
    controls->addWidget(back, 1);

    chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    // Numbers on the axes with the window's decimal separator.
    const QLocale numbers = s.view().separator == QLatin1Char(',') ? QLocale(QLocale::German, QLocale::Germany)
                                                                   : QLocale::c();
    chart->setLocale(numbers);
    chart->setLocalizeNumbers(true);
    timeAxis = new QDateTimeAxis;
    timeAxis->setFormat(QStringLiteral("HH:mm:ss"));
    timeAxis->setTickCount(5);
    valueAxis = new QValueAxis;
    chart->addAxis(timeAxis, Qt::AlignBottom);
    chart->addAxis(valueAxis, Qt::AlignLeft);
    failures = new QScatterSeries;
    failures->setName(QStringLiteral("keine Antwort"));
    failures->setColor(kFailedColour);
    failures->setBorderColor(kFailedColour);
    failures->setMarkerSize(7);
    chart->addSeries(failures);
    failures->attachAxis(timeAxis);
    failures->attachAxis(valueAxis);
    view = new QChartView(chart, this);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(260);

    lineNames = new QLabel(this);
    lineNames->setWordWrap(true);
    lineNames->setTextFormat(Qt::RichText);
    stats = new QLabel(this);
    recordState = new QLabel(this);
    recordState->setWordWrap(true);

    loopBox = new QGroupBox(QStringLiteral("Schleifentest"), this);
    loopPrompt = new QLabel(loopBox);
    loopPrompt->setWordWrap(true);
    tolerance = new QDoubleSpinBox(loopBox);
    tolerance->setRange(0.01, 10.0);
    tolerance->setDecimals(2);
    tolerance->setSingleStep(0.1);
    tolerance->setValue(0.5);
    tolerance->setSuffix(QStringLiteral(" % der Spanne"));
    tolerance->setLocale(numbers);
    loopStart = new PushButton(QStringLiteral("Starten"), loopBox);
    loopNext = new PushButton(QStringLiteral("Weiter"), loopBox);
    loopCancel = new PushButton(QStringLiteral("Abbrechen"), loopBox);
    auto* loopButtons = new QHBoxLayout;
    loopButtons->addWidget(new QLabel(QStringLiteral("Toleranz:"), loopBox));
    loopButtons->addWidget(tolerance);
    loopButtons->addStretch();
    loopButtons->addWidget(loopStart);
    loopButtons->addWidget(loopNext);
    loopButtons->addWidget(loopCancel);
    auto* loopLayout = new QVBoxLayout(loopBox);
    loopLayout->addWidget(loopPrompt);
    loopLayout->addLayout(loopButtons);
    loopBox->hide();

    recordButton = new PushButton(QStringLiteral("Aufzeichnen…"), this);
    loopButton = new PushButton(QStringLiteral("Schleifentest…"), this);
    auto* close = new PushButton(QStringLiteral("Schließen"), this);
    auto* foot = new QHBoxLayout;
    foot->addWidget(recordButton);
    foot->addWidget(loopButton);
    foot->addStretch();
    foot->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(controls);
    layout->addWidget(view, 1);
    layout->addWidget(lineNames);
    layout->addWidget(stats);
    layout->addWidget(recordState);
    layout->addWidget(loopBox);
    layout->addLayout(foot);

    connect(interval, &QComboBox::activated, this, [this](int index) {
        s.setInterval(index);
        render();
    });
    connect(span, &QComboBox::activated, this, [this](int index) {
        s.setSpan(index);
        render();
    });
    connect(back, &QScrollBar::valueChanged, this, [this](int minutes) { scrolled(minutes); });
    connect(recordButton, &QPushButton::clicked, this, [this] {
        s.bAufzeichnenClick(prompter, folder);
        render();
    });
    connect(loopButton, &QPushButton::clicked, this, [this] {
        loopBox->setVisible(!loopBox->isVisible());
        render();
    });
    connect(loopStart, &QPushButton::clicked, this, [this] {
        s.startLoopCheck(tolerance->value());
        render();
    });
    connect(loopNext, &QPushButton::clicked, this, [this] {
        s.loopApplied();
        render();
    });
    connect(loopCancel, &QPushButton::clicked, this, [this] {
        s.cancelLoopCheck();
        render();
    });
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    ticker.setSingleShot(true);
    connect(&ticker, &QTimer::timeout, this, [this] { tick(); });
    render();
}

void LiveValueDialog::tick() {
    // One steady clock for every window the session ever has.
    QElapsedTimer now;
    now.start();
    const qint64 next = s.tick(now.msecsSinceReference(), QDateTime::currentDateTime());
    renderValue();
    renderLoopCheck();
    if (!sinceChart.isValid() || sinceChart.elapsed() >= chartEveryMs(s.spanMs())) renderChart();
    if (isVisible()) ticker.start(int(std::clamp<qint64>(next, 0, 60'000)));
}

void LiveValueDialog::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!ticker.isActive()) ticker.start(0);
}

void LiveValueDialog::closeEvent(QCloseEvent* event) {
    ticker.stop();
    s.close();
    QWidget::closeEvent(event);
}

void LiveValueDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void LiveValueDialog::scrolled(int minutesBack) {
    s.backMs = qint64(minutesBack) * 60'000;
    renderChart();
}

void LiveValueDialog::render() {
    interval->setCurrentIndex(s.intervalIndex());
    span->setCurrentIndex(s.spanIndex());
    const int most = int((LiveValueSession::kKeepMs - s.spanMs()) / 60'000);
    back->setRange(0, most);
    back->setPageStep(std::max(1, int(s.spanMs() / 60'000)));
    limitsShown = false;
    valueAxis->setLabelFormat(QStringLiteral("%.") + QString::number(s.view().decimals) + QStringLiteral("f"));
    renderValue();
    renderLoopCheck();
    renderChart();
}

void LiveValueDialog::renderValue() {
    value->setText(s.valueText());
    unit->setText(s.view().unit);
    answer->setText(s.answerText());
    status->setText(s.pollState());
    // A poll without an answer is red; a value is never made up for it.
    status->setStyleSheet(s.failed() ? QStringLiteral("color: rgb(200,0,0); font-weight: bold;") : QString());
    value->setStyleSheet(s.failed() ? QStringLiteral("color: rgb(150,150,150);") : QString());
    recordButton->setText(s.recording() ? QStringLiteral("Aufzeichnung beenden") : QStringLiteral("Aufzeichnen…"));
    if (s.recording())
        recordState->setText(QStringLiteral("Aufzeichnung in %1: %2 Zeilen")
                                 .arg(QDir::toNativeSeparators(s.recordingFile()))
                                 .arg(s.recordedLines));
    else if (!s.recordProblem.isEmpty())
        recordState->setText(QStringLiteral("Aufzeichnung beendet: ") + s.recordProblem);
    else
        recordState->clear();
    recordState->setStyleSheet(!s.recording() && !s.recordProblem.isEmpty() ? QStringLiteral("color: rgb(200,0,0);")
                                                                             : QString());
    recordState->setVisible(!recordState->text().isEmpty());
}

void LiveValueDialog::renderLoopCheck() {
    loopButton->setEnabled(s.canCheckLoop());
    if (!s.canCheckLoop()) {
        loopButton->setToolTip(QStringLiteral("Nur für Geräte mit Strom- oder Spannungseingang"));
        loopBox->hide();
        return;
    }
    const LoopCheck& check = s.state.loopCheck;
    using Step = LoopCheck::Step;
    const Step step = check.step();
    const bool idle = step == Step::Idle || step == Step::Passed || step == Step::Failed;
    if (step != Step::Idle) loopBox->show();
    loopPrompt->setText(step == Step::Idle ? QStringLiteral("Prüft, ob Anfang und Ende des Eingangs die "
                                                            "eingestellte Anzeige ergeben.")
                                           : check.prompt());
    loopPrompt->setStyleSheet(step == Step::Passed   ? QStringLiteral("color: rgb(0,130,0); font-weight: bold;")
                              : step == Step::Failed ? QStringLiteral("color: rgb(200,0,0); font-weight: bold;")
                                                     : QString());
    loopStart->setVisible(idle);
    tolerance->setEnabled(idle);
    loopNext->setVisible(step == Step::ApplyLow || step == Step::ApplyHigh);
    loopCancel->setVisible(!idle);
}

void LiveValueDialog::renderChart() {
    sinceChart.start();
    const qint64 from = s.shownFromMs();
    const qint64 until = s.shownUntilMs();
    const auto wall = [this](qint64 ms) { return double(s.wallTime(ms).toMSecsSinceEpoch()); };
    timeAxis->setFormat(s.spanMs() > 3'600'000 ? QStringLiteral("dd.MM. HH:mm") : QStringLiteral("HH:mm:ss"));
    timeAxis->setRange(s.wallTime(from), s.wallTime(until));

    const QList<QList<QPointF>> lines = s.state.trend.lines(from, until, s.breakMs());
    // Only the newest lines are drawn when a span is cut into very many.
    constexpr int kMostLines = 200;
    const int first = std::max(0, int(lines.size()) - kMostLines);
    double low = INFINITY;
    double high = -INFINITY;
    int used = 0;
    for (int i = first; i < lines.size(); ++i, ++used) {
        if (used == trend.size()) {
            auto* series = new QLineSeries;
            series->setColor(kTrendColour);
            QPen pen = series->pen();
            pen.setWidthF(1.6);
            series->setPen(pen);
            chart->addSeries(series);
            series->attachAxis(timeAxis);
            series->attachAxis(valueAxis);
            // One entry in the legend for the whole trend.
            for (QLegendMarker* marker : chart->legend()->markers(series))
                marker->setVisible(trend.isEmpty());
            series->setName(QStringLiteral("Messwert"));
            trend.append(series);
        }
        QList<QPointF> points = lines.at(i);
        for (QPointF& p : points) {
            p.setX(wall(qint64(p.x())));
            low = std::min(low, p.y());
            high = std::max(high, p.y());
        }
        trend.at(used)->replace(points);
    }
    for (int i = used; i < trend.size(); ++i)
        trend.at(i)->clear();

    if (!limitsShown) {
        for (QLineSeries* line : limits) {
            chart->removeSeries(line);
            delete line;
        }
        limits.clear();
        static const QColor colours[] = {QColor(220, 120, 0), QColor(150, 60, 170), QColor(0, 140, 120),
                                         QColor(200, 40, 110), QColor(90, 90, 90)};
        // Named below the chart, where long names fit; the legend keeps the trend's own entries.
        QStringList names;
        for (const LiveView::Line& l : s.view().lines) {
            const QColor colour = colours[std::size_t(limits.size()) % std::size(colours)];
            names.append(QStringLiteral("<span style=\"color:%1\">&#9472;&#9472;</span>&nbsp;%2&nbsp;%3")
                             .arg(colour.name(), l.name.toHtmlEscaped(), s.view().number(l.value)));
            auto* series = new QLineSeries;
            QPen pen(colour);
            pen.setStyle(Qt::DashLine);
            pen.setWidthF(1.2);
            series->setPen(pen);
            chart->addSeries(series);
            series->attachAxis(timeAxis);
            series->attachAxis(valueAxis);
            for (QLegendMarker* marker : chart->legend()->markers(series))
                marker->setVisible(false);
            limits.append(series);
        }
        lineNames->setText(names.join(QStringLiteral(" &nbsp; ")));
        lineNames->setVisible(!names.isEmpty());
        limitsShown = true;
    }
    const QList<LiveView::Line>& shownLines = s.view().lines;
    for (int i = 0; i < limits.size() && i < shownLines.size(); ++i) {
        const double y = shownLines.at(i).value;
        limits.at(i)->replace({QPointF(wall(from), y), QPointF(wall(until), y)});
        low = std::min(low, y);
        high = std::max(high, y);
    }
    if (!std::isfinite(low)) {
        low = 0;
        high = 1;
    }
    const double pad = std::max((high - low) * 0.08, std::max(std::abs(high) * 0.01, 0.5));
    valueAxis->setRange(low - pad, high + pad);
    // Failed polls sit on the bottom line of the chart, where no value is claimed.
    QList<QPointF> failed;
    for (qint64 at : s.state.trend.failures(from, until))
        failed.append(QPointF(wall(at), low - pad * 0.6));
    failures->replace(failed);
    stats->setText(s.statsText() + QStringLiteral("   (angezeigter Zeitraum)"));
}
