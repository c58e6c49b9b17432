#pragma once

#include "ui/BusToolDialog.h"
#include "ui/ToolDialogs.h"

class DeviceInfoWindow;
class QLabel;

// The dialog of a tool window that reads the instrument's information first:
// `Panel1` with the device labels, "Informationen Einlesen", the window's own
// field with its button beside it, and the status bar. The window learns of
// every close, however the dialog is closed.
class DeviceInfoDialog : public BusToolDialog {
    Q_OBJECT
  public:
    void done(int result) override;

  protected:
    DeviceInfoDialog(DeviceInfoWindow& window, const QString& objectName, QWidget* parent);

    // Adds the information button, the window's field and button and the status
    // bar (wide enough for the longest of its texts), and lays the dialog out.
    // Returns the field. Called once by every dialog, before its first render.
    ToolLineEdit* addEntry(const HintEdit& fieldModel, const FieldHandlers& fieldHandlers,
                           const HintButton& buttonModel, const std::function<void()>& click,
                           const QStringList& longestStatusTexts);
    void renderControls() override;

    tooldialogs::Panel panel;

  private:
    DeviceInfoWindow& w;
    QLabel* address;
    QLabel* idNumber;
    QLabel* type;
    QPushButton* information = nullptr;
    ToolLineEdit* entry = nullptr;
    const HintEdit* entryModel = nullptr;
    QPushButton* action = nullptr;
    const HintButton* actionModel = nullptr;
    QLabel* status = nullptr;
    bool closed = false;
};
