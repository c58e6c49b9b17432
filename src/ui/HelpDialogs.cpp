#include "ui/HelpDialogs.h"

#include "app/SpecialConfigWindow.h"
#include "tools/FlowCalculatorWindow.h"
#include "ui/FlowCalculatorDialog.h"
#include "ui/QtPrompter.h"
#include "ui/SpecialConfigDialog.h"

void registerHelpDialogs(QtPrompter& prompter) {
    prompter.registerWindow(QStringLiteral("Ttf_Spezialkonfiguration"), [](ModalWindow& w, QWidget* parent) {
        SpecialConfigDialog dialog(static_cast<SpecialConfigWindow&>(w), parent);
        dialog.exec();
    });
    prompter.registerWindow(QStringLiteral("TForm1"), [](ModalWindow& w, QWidget* parent) {
        FlowCalculatorDialog dialog(static_cast<FlowCalculatorWindow&>(w), parent);
        dialog.exec();
    });
}
