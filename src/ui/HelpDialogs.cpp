#include "ui/HelpDialogs.h"

#include "app/Ttf_Spezialkonfiguration.h"
#include "tools/FlowCalculatorWindow.h"
#include "ui/FlowCalculatorDialog.h"
#include "ui/QtPrompter.h"
#include "ui/SpezialkonfigurationDialog.h"

void registerHelpDialogs(QtPrompter& prompter) {
    prompter.registerWindow(QStringLiteral("Ttf_Spezialkonfiguration"), [](ModalWindow& w, QWidget* parent) {
        SpezialkonfigurationDialog dialog(static_cast<Ttf_Spezialkonfiguration&>(w), parent);
        dialog.exec();
    });
    prompter.registerWindow(QStringLiteral("TForm1"), [](ModalWindow& w, QWidget* parent) {
        FlowCalculatorDialog dialog(static_cast<FlowCalculatorWindow&>(w), parent);
        dialog.exec();
    });
}
