#include "ui/ToolDialogs.h"

#include "tools/TSelectDeviceAddress.h"
#include "tools/Tf_AdresseSetzen.h"
#include "tools/Tf_GeraeteNamenAendern.h"
#include "ui/AdresseSetzenDialog.h"
#include "ui/GeraeteNamenAendernDialog.h"
#include "ui/QtPrompter.h"
#include "ui/SelectDeviceAddressDialog.h"

void registerToolDialogs(QtPrompter& prompter) {
    prompter.registerWindow(QStringLiteral("Tf_AdresseSetzen"), [](ModalWindow& w, QWidget* parent) {
        AdresseSetzenDialog dialog(static_cast<Tf_AdresseSetzen&>(w), parent);
        dialog.exec();
    });
    prompter.registerWindow(QStringLiteral("Tf_GeraeteNamenAendern"), [](ModalWindow& w, QWidget* parent) {
        GeraeteNamenAendernDialog dialog(static_cast<Tf_GeraeteNamenAendern&>(w), parent);
        dialog.exec();
    });
    prompter.registerWindow(QStringLiteral("TSelectDeviceAddress"), [](ModalWindow& w, QWidget* parent) {
        SelectDeviceAddressDialog dialog(static_cast<TSelectDeviceAddress&>(w), parent);
        dialog.exec();
    });
}
