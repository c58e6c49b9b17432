#pragma once

#include "config/MainWindowModel.h"

#include <span>

// What a control is on screen; the widget layer has one view per kind.
enum class ControlKind {
    Frame,   // the window's own panel and status bar
    Label,   // caption text
    Group,   // framed group of rows
    Radio,   // radio group: a frame of its own
    List,    // drop-down list
    Numeric, // numeric entry field
    Text,    // plain text field
    Button,
};

// One control of the main window: which member holds it, its component name, its kind,
// the group it sits in and its row there. The table lists them in the order the window
// builds them and the field listing names them: frame by frame, inside a frame row by row.
struct ControlSpec {
    const char* name;
    ControlKind kind;
    Control& (*get)(MainWindowModel&);
    const char* group = nullptr;                 // the frame it sits in; nullptr: the panel itself
    int row = -1;                                // its row inside the group; -1: placed by hand
    Label MainWindowModel::* label = nullptr;    // the label in front of a field
    bool labelDecides = false;                   // the row shows when its label does, not its field

    Control& in(MainWindowModel& m) const { return get(m); }
    const Control& in(const MainWindowModel& m) const { return get(const_cast<MainWindowModel&>(m)); }
    bool isFrame() const { return kind == ControlKind::Group || kind == ControlKind::Radio; }
    // A control that holds a value of the configuration (not a label, frame or button).
    bool isField() const {
        return kind == ControlKind::Radio || kind == ControlKind::List || kind == ControlKind::Numeric ||
               kind == ControlKind::Text;
    }
};

// One item of the main window's menus, in the order the menu bar shows them.
struct MenuSpec {
    enum Place { Bar, Item, Popup }; // a menu of the bar, an item of the last menu, a popup's item
    const char* name;
    MenuItem& (*get)(MainWindowModel&); // nullptr: the models' items of "&Typ", in catalogue order
    Place place = Item;
    bool separatorBefore = false;
    bool checkable = false;
};

namespace controltable {

std::span<const ControlSpec> all();
std::span<const MenuSpec> menus();
// The entry of a component name; nullptr when the window has no such control.
const ControlSpec* find(const QString& name);
// The controls inside one group, in table order.
QList<const ControlSpec*> inside(const char* group);
// Stacks the shown rows of a group top to bottom and sizes it (RowLayout); `unused` is a
// field the current model leaves out of its row. Returns the count of shown rows.
int stackRows(MainWindowModel& m, Control& group, const Control* unused = nullptr);

} // namespace controltable
