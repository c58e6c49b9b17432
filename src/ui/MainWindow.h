#pragma once

#include "ui/ModelView.h"

#include <QHash>
#include <QImage>
#include <QMainWindow>
#include <QTimer>

#include <memory>
#include <vector>

class MainHandlers;
class QtPrompter;
class QLabel;
class QScrollArea;
class QAction;
struct Control;
struct MenuItem;

// The main window `TMain`: renders the main window's model and forwards every event
// as one call into the handlers, then renders again. No rule lives here.
class MainWindow : public QMainWindow, public ModelView {
    Q_OBJECT
  public:
    MainWindow(MainHandlers& handlers, QtPrompter& prompter, QWidget* parent = nullptr);
    ~MainWindow() override;

    void render() override;

    QWidget* widget(const QString& controlName) const { return widgets.value(controlName); }
    QAction* action(const QString& menuItemName) const { return actions.value(menuItemName); }
    QLabel* statusPanel(int index) const { return panels[index]; }
    QWidget* panelContent() const { return content; }
    class QProgressBar* progressBar() const {
        return progress;
    }
    class BusMonitorDialog* monitorDialog() const {
        return monitor;
    }
    // The live value window once opened; null before.
    class LiveValueDialog* liveDialog() const {
        return live;
    }
    // Between two library calls of a bus run: shows its progress and lets the window
    // repaint, holding back the user's input until the run ends.
    void betweenCalls();
    // The configured window for the configuration sheet: every shown group, in full even
    // where the panel scrolls, at twice the screen's resolution.
    QImage picture();

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Tab and Shift+Tab go through the controls in the model's tab order.
    bool focusNextPrevChild(bool next) override;

  private:
    void buildMenus();
    void buildControls();
    void connectEvents();
    QAction* addItem(class QMenu* menu, MenuItem& item);
    void onAction(const QString& name, std::function<void()> handler);
    // Runs a handler, then renders; closes the window when the handlers ask for it.
    // `endsEdit`: what the handler changed is one undo step (not so for typed characters).
    void run(const std::function<void()>& handler, bool endsEdit = true);
    void syncTexts();
    void renderStatusBar();
    void fitCaption(QLabel* label);
    void renderMenus();
    void renderProgress();
    void renderMonitor();
    void renderLiveValues();
    void renderFrame();
    void updateTimer();

    MainHandlers& h;
    QtPrompter& prompter;
    QWidget* client = nullptr;
    QScrollArea* panel = nullptr;
    QWidget* content = nullptr;
    QWidget* statusBar = nullptr;
    QLabel* panels[4] = {};
    class QProgressBar* progress = nullptr;
    class BusMonitorDialog* monitor = nullptr;
    class LiveValueDialog* live = nullptr;
    std::vector<std::unique_ptr<class ControlView>> views;
    QHash<QString, QWidget*> widgets;
    QHash<QString, QAction*> actions;
    QHash<QAction*, MenuItem*> menuOf;
    QTimer statusTimer;
    bool rendering = false;
    bool closingByHandler = false;
    bool focusPlaced = false;
    // The status bar shows at once while this is kept.
    std::shared_ptr<void> statusBarRepaint;
};
