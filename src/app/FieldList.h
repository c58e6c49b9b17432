#pragma once

#include "config/MainWindowModel.h"

#include <QList>
#include <QString>
#include <QStringList>

// One shown field of the main window: the group it sits in, its label as the
// window shows it, and its value as text.
struct ShownField {
    QString group;
    QString label;
    QString value;
    QString control; // component name, stable across models and languages
    bool numeric = false; // the value is a number, written with the program's separator
};

// The fields the window shows for its current configuration, group by group in
// the window's order. A field counts when it, its group and (where it has one)
// its label are visible; the label's caption is taken as the window draws it.
QList<ShownField> shownFields(const MainWindowModel& m);
// The component names of every field any model shows, in the window's order.
QStringList fieldControls();

// A field's name as the window shows it, for messages: the group's caption and, where the
// field has a label of its own, the label ("Schaltausgang 1: Ausgangsart"). The component
// name itself when the window has no such field.
QString fieldTitle(const MainWindowModel& m, const QString& control);

// Fields that differ between two listings, matched by group and label; a field
// only one side shows differs with an empty value on the other side.
struct FieldDifference {
    QString group;
    QString label;
    QString a;
    QString b;
    bool numeric = false;
};
QList<FieldDifference> differences(const QList<ShownField>& a, const QList<ShownField>& b);

// The differences as lines "group | field | a | b" under a head line naming the two sides.
QString differenceListing(const QList<FieldDifference>& rows, const QString& a, const QString& b);
// How many fields differ, as the compare listing heads them ("Keine Unterschiede", "1 Unterschied", …).
QString differenceCount(const QList<FieldDifference>& rows);
// The fields' names in one line, comma-separated ("Schaltausgang 1: Schaltpunkt, …").
QString differenceNames(const QList<FieldDifference>& rows);
// "1 Abweichung", "3 Abweichungen": how many fields reading back or a verification found differing.
QString deviationCount(qsizetype count);
