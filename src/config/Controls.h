#pragma once

#include <QString>
#include <QStringList>

// Plain state of the main window's controls. The widget layer renders these;
// every rule reads and writes them. `visible` is the control's own flag, never
// the effective visibility through a hidden parent.

struct Geometry {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool operator==(const Geometry&) const = default;
};

struct Control {
    QString name; // component name, as messages quote it
    bool visible = true;
    bool enabled = true;
    Geometry geometry;
    bool operator==(const Control&) const = default;
};

struct Label : Control {
    QString caption;
    bool operator==(const Label&) const = default;
};

struct GroupBox : Control {
    QString caption;
    bool operator==(const GroupBox&) const = default;
};

struct Button : Control {
    QString caption;
    bool operator==(const Button&) const = default;
};

// Radio group or combo box: items and the selected index (-1 for none).
struct ItemList : Control {
    QString caption; // radio group title; unused for combo boxes
    QStringList items;
    int itemIndex = -1;

    QString selectedText() const {
        return itemIndex >= 0 && itemIndex < items.size() ? items.at(itemIndex) : QString();
    }
    // Sets the index as the toolkit does: an index outside the list selects nothing.
    void setItemIndex(int index) { itemIndex = index >= 0 && index < items.size() ? index : -1; }
    void setItems(const QStringList& list) {
        items = list;
        itemIndex = -1;
    }
    bool operator==(const ItemList&) const = default;
};
using RadioGroup = ItemList;
using ComboBox = ItemList;

struct TextField : Control {
    QString text;
    int maxLength = 0; // 0: unlimited
    bool operator==(const TextField&) const = default;
};

// The numeric entry field's properties (`Vorkommastellen`, `Nachkommastellen`, `Seperator`).
struct NumericField : Control {
    QString text;
    int Vorkommastellen = 10;
    int Nachkommastellen = 2;
    QString Seperator = QStringLiteral(",");
    bool ShowErrorMessage = false;
    int maxLength = 0; // 0: unlimited
    bool operator==(const NumericField&) const = default;
};

struct MenuItem {
    QString name;
    QString caption;
    bool visible = true;
    bool enabled = true;
    bool checked = false;
    QString shortcut; // key sequence in portable text ("Ctrl+Z"); empty: none
    bool operator==(const MenuItem&) const = default;
};

struct StatusBar : Control {
    QString panels[4];
    int panelWidths[4] = {40, 155, 440, 40};
    int repaints = 0; // counts explicit repaint requests; the widget repaints at once
    bool operator==(const StatusBar&) const = default;
};
