#pragma once

#include "config/ControlTable.h"

#include <QList>
#include <QObject>

#include <functional>
#include <memory>

class MainHandlers;
class Prompter;
class QAction;
class QKeyEvent;
class QWidget;

// What a view needs of its window: the window's way of running a handler (which renders
// afterwards; `endsEdit` false: no undo step), whether it is rendering just now (the
// widgets' own change signals are then no user input), and the handlers.
struct ViewContext {
    std::function<void(const std::function<void()>&, bool endsEdit)> run;
    const bool& rendering;
    MainHandlers& handlers;
    Prompter& prompter;
    QList<QAction*> undoItems; // the window's undo and redo items
};

// One control of the main window on screen: creates its widget from the control table,
// shows the model's state in it and forwards the user's input. One subclass per kind.
class ControlView : public QObject {
public:
    ControlView(const ControlSpec& entry, Control& control) : entry(entry), control(control) {}
    // The view of the control's kind, its widget created inside `parent`.
    static std::unique_ptr<ControlView> create(const ControlSpec& entry, MainWindowModel& m, QWidget* parent,
                                               const ViewContext& context);

    QWidget* widget() const { return w; }
    // Place, state and the kind's content, then visibility.
    void render();

    const ControlSpec& entry;
    Control& control;

protected:
    virtual void show() = 0;
    QWidget* w = nullptr;
};

// Hands a widget's key presses to `handler`, which swallows one by returning true. Tab and
// Shift+Tab always move the focus on.
void forwardKeys(QWidget* widget, std::function<bool(QKeyEvent*)> handler);
// Calls `handler` when the widget loses the focus by the user's doing, not to a popup or
// another window.
void forwardFocusOut(QWidget* widget, std::function<void()> handler);
