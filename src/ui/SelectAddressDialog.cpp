#include "ui/SelectAddressDialog.h"

#include "tools/SelectAddressWindow.h"
#include "ui/ToolDialogs.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

SelectAddressDialog::SelectAddressDialog(SelectAddressWindow& window, QWidget* parent)
    : BusToolDialog(window, QStringLiteral("SelectDeviceAddress"), parent), w(window) {
    auto label = [this](const QString& objectName) {
        auto* l = new QLabel(this);
        l->setObjectName(objectName);
        return l;
    };
    addressCaption = label(w.ls_Adresse.name);
    typeCaption = label(w.ls_GeraeteTyp.name);
    type = label(w.l_Geraetetyp.name);
    serialCaption = label(w.ls_SerienNummer.name);
    serial = label(w.l_Seriennummer.name);
    using W = SelectAddressWindow;
    addressField =
        field(w.te_SelectedDeviceAddress, {std::bind_front(&W::te_SelectedDeviceAddressKeyPress, &w),
                                           std::bind_front(&W::te_SelectedDeviceAddressEdited, &w),
                                           std::bind_front(&W::te_SelectedDeviceAddressExit, &w),
                                           std::bind_front(&W::te_SelectedDeviceAddressDblClick, &w)});
    check = button(w.btn_Check, std::bind_front(&W::btn_CheckClick, &w));
    ok = button(w.btn_OK, std::bind_front(&W::btn_OKClick, &w));
    auto* statusBar = new QStatusBar(this);
    statusBar->setObjectName(w.StatusBar1.name);
    status = new QLabel(statusBar);
    statusBar->addWidget(status, 1);

    auto* grid = new QGridLayout;
    grid->addWidget(addressCaption, 0, 0);
    grid->addWidget(addressField, 0, 1);
    grid->addWidget(check, 0, 2);
    grid->addWidget(typeCaption, 1, 0);
    grid->addWidget(type, 1, 1, 1, 2);
    grid->addWidget(serialCaption, 2, 0);
    grid->addWidget(serial, 2, 1, 1, 2);
    grid->addWidget(ok, 3, 2);
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addWidget(statusBar);
    resize(w.clientWidth, w.clientHeight);
    render();
    check->setFocus();
}

void SelectAddressDialog::renderControls() {
    tooldialogs::showLabel(addressCaption, w.ls_Adresse);
    showField(addressField, w.te_SelectedDeviceAddress);
    showButton(check, w.btn_Check);
    tooldialogs::showLabel(typeCaption, w.ls_GeraeteTyp);
    tooldialogs::showLabel(type, w.l_Geraetetyp);
    tooldialogs::showLabel(serialCaption, w.ls_SerienNummer);
    tooldialogs::showLabel(serial, w.l_Seriennummer);
    showButton(ok, w.btn_OK);
    status->setText(w.StatusBar1.text);
}
