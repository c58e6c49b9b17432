#pragma once

#include <QStringList>

class QFrame;
class QGridLayout;
class QLabel;
class QLineEdit;
class QWidget;
class QtPrompter;
struct InfoPanel;
struct Label;
struct SimpleStatusBar;

// Registers the dialogs of the bus tool windows (address assignment, name
// change, address selection, bus scan) with the prompter that shows modal windows.
void registerToolDialogs(QtPrompter& prompter);

// Pieces the bus tool dialogs share.
namespace tooldialogs {

void showLabel(QLabel* widget, const Label& model);

// The framed "Geräte Informationen" panel: its caption on top, the device
// labels in the rows below.
struct Panel {
    QFrame* frame = nullptr;
    QLabel* caption = nullptr;
    QGridLayout* rows = nullptr;
};
Panel infoPanel(QWidget* parent, const InfoPanel& model);
// A device label of the panel. It keeps its room while hidden, so the window
// does not change its size when a device has been read.
QLabel* infoLabel(Panel& panel, const Label& model, int row, int column = 0, int columnSpan = 2);

// The one-panel status bar at the foot of a tool window, wide enough for the
// longest of its texts. Returns the label that shows the text.
QLabel* statusBar(QWidget* parent, const SimpleStatusBar& model, const QStringList& longestTexts);

// Widens the widget so that each of the texts fits without being cut.
void fitTexts(QLineEdit* edit, const QStringList& texts);
void fitTexts(QLabel* label, const QStringList& texts);

} // namespace tooldialogs
