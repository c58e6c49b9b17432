#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QTimer>
#include <QWidget>

class LiveValueSession;
class Prompter;
class QChart;
class QChartView;
class QComboBox;
class QDateTimeAxis;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QLineSeries;
class QPushButton;
class QScatterSeries;
class QScrollBar;
class QValueAxis;

// "Messwert": the live value window beside the main window. It renders its headless session
// and forwards every event to it; the session's timer ticks come from here.
class LiveValueDialog : public QWidget {
  public:
    LiveValueDialog(LiveValueSession& session, Prompter& prompter, QString folder, QWidget* parent = nullptr);
    // Everything from the session as it is now, the trend included.
    void render();
    // One tick of the session's clock, as the timer gives it; for tests and the benchmark.
    void tick();
    QChartView* chartView() const { return view; }

  protected:
    void closeEvent(class QCloseEvent* event) override;
    void showEvent(class QShowEvent* event) override;
    void keyPressEvent(class QKeyEvent* event) override;

  private:
    void renderValue();
    void renderChart();
    void renderLoopCheck();
    void scrolled(int minutesBack);

    LiveValueSession& s;
    Prompter& prompter;
    QString folder;
    QLabel* value = nullptr;
    QLabel* unit = nullptr;
    QLabel* answer = nullptr;
    QLabel* status = nullptr;
    QLabel* stats = nullptr;
    QLabel* recordState = nullptr;
    QLabel* lineNames = nullptr; // the switch points and limits with their colours
    QComboBox* interval = nullptr;
    QComboBox* span = nullptr;
    QScrollBar* back = nullptr;
    QChart* chart = nullptr;
    QChartView* view = nullptr;
    QDateTimeAxis* timeAxis = nullptr;
    QValueAxis* valueAxis = nullptr;
    QList<QLineSeries*> trend;  // one series a line of the trend
    QList<QLineSeries*> limits; // one a switch point or alarm limit
    QScatterSeries* failures = nullptr;
    QPushButton* recordButton = nullptr;
    QPushButton* loopButton = nullptr;
    QGroupBox* loopBox = nullptr;
    QLabel* loopPrompt = nullptr;
    QDoubleSpinBox* tolerance = nullptr;
    QPushButton* loopStart = nullptr;
    QPushButton* loopNext = nullptr;
    QPushButton* loopCancel = nullptr;
    QTimer ticker;
    QElapsedTimer sinceChart;
    bool limitsShown = false;
};
