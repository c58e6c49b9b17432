#include "ui/HelpDialogs.h"

#include "app/ExtendedWordsWindow.h"
#include "tools/FlowCalculatorWindow.h"
#include "ui/ExtendedWordsDialog.h"
#include "ui/FlowCalculatorDialog.h"
#include "ui/QtPrompter.h"

void registerHelpDialogs(QtPrompter& prompter) {
    prompter.registerWindow(QStringLiteral("Ttf_Spezialkonfiguration"), [](ModalWindow& w, QWidget* parent) {
        ExtendedWordsDialog dialog(static_cast<ExtendedWordsWindow&>(w), parent);
        dialog.exec();
    });
    prompter.registerWindow(QStringLiteral("TForm1"), [](ModalWindow& w, QWidget* parent) {
        FlowCalculatorDialog dialog(static_cast<FlowCalculatorWindow&>(w), parent);
        dialog.exec();
    });
}
