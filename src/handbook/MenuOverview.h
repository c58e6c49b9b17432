#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// The main window's menus as the user sees them, read from the program's own menu table,
// so the handbook names every item the way the menu bar writes it.
namespace handbook {

struct MenuRow {
    QString name;     // component name, the key of its description
    QString menu;     // the menu it sits in, as shown ("Datei"); for the popup, where it opens
    QString caption;  // as shown, without mnemonic markers
    QString keys;     // its shortcut as shown ("Strg+Z"); empty: none
    bool bar = false; // a menu of the bar itself
};

// A caption without its mnemonic markers: "Konfiguration &speichern" -> "Konfiguration speichern", "&&" -> "&".
QString shownCaption(const QString& caption);
// A portable key sequence as a German keyboard labels it: "Ctrl+Z" -> "Strg+Z".
QString shownKeys(const QString& portable);

// Every menu and item in menu-bar order; the models of "Typ" are one row named after the menu.
QList<MenuRow> menuRows();

// "Datei › Konfiguration speichern" for an item's component name (or a menu's); problem when unknown.
QString menuPath(const QString& name, QStringList& problems);

// The overview table: every row of menuRows() with its description from `descriptions`
// (component name -> text). An item without a description, or a description without its
// item, is a problem that stops the build.
QString menuOverview(const QJsonObject& descriptions, QStringList& problems);

} // namespace handbook
