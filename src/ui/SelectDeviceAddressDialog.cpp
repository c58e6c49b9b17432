#include "ui/SelectDeviceAddressDialog.h"

#include "tools/TSelectDeviceAddress.h"
#include "ui/ToolDialogs.h"
#include "ui/ToolLineEdit.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

using tooldialogs::showLabel;

SelectDeviceAddressDialog::SelectDeviceAddressDialog(TSelectDeviceAddress& window, QWidget* parent)
    : QDialog(parent), w(window) {
    setObjectName(QStringLiteral("SelectDeviceAddress"));
    setWindowTitle(w.caption);
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
    addressField = new ToolLineEdit(this);
    addressField->setObjectName(w.te_SelectedDeviceAddress.name);
    check = new QPushButton(this);
    check->setObjectName(w.btn_Check.name);
    ok = new QPushButton(this);
    ok->setObjectName(w.btn_OK.name);
    auto* statusBar = new QStatusBar(this);
    statusBar->setObjectName(w.StatusBar1.name);
    status = new QLabel(statusBar);
    statusBar->addWidget(status, 1);
    check->setAutoDefault(false);
    ok->setAutoDefault(false);

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

    connect(check, &QPushButton::clicked, this, [this] { run([this] { w.btn_CheckClick(); }); });
    connect(ok, &QPushButton::clicked, this, [this] { run([this] { w.btn_OKClick(); }); });
    // The filter decides before the edit sees the key; the edit then reports its new text.
    addressField->setKeyFilter([this](QChar key, int start, int length, int caret) {
        return w.te_SelectedDeviceAddressKeyPress(key, start, length, caret);
    });
    connect(addressField, &QLineEdit::textEdited, this,
            [this](const QString& text) { run([this, text] { w.te_SelectedDeviceAddressEdited(text); }); });
    connect(addressField, &ToolLineEdit::exited, this,
            [this] { run([this] { w.te_SelectedDeviceAddressExit(); }); });
    connect(addressField, &ToolLineEdit::doubleClicked, this,
            [this] { run([this] { w.te_SelectedDeviceAddressDblClick(); }); });
    render();
    check->setFocus();
}

void SelectDeviceAddressDialog::run(const std::function<void()>& handler) {
    if (rendering) return;
    handler();
    render();
    if (w.closeRequested) accept();
}

void SelectDeviceAddressDialog::render() {
    rendering = true;
    showLabel(addressCaption, w.ls_Adresse);
    addressField->showText(w.te_SelectedDeviceAddress.text);
    addressField->setEnabled(w.te_SelectedDeviceAddress.enabled);
    check->setText(w.btn_Check.caption);
    check->setEnabled(w.btn_Check.enabled);
    showLabel(typeCaption, w.ls_GeraeteTyp);
    showLabel(type, w.l_Geraetetyp);
    showLabel(serialCaption, w.ls_SerienNummer);
    showLabel(serial, w.l_Seriennummer);
    ok->setText(w.btn_OK.caption);
    ok->setEnabled(w.btn_OK.enabled);
    status->setText(w.StatusBar1.text);
    rendering = false;
}
