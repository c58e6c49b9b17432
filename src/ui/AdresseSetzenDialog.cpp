#include "ui/AdresseSetzenDialog.h"

#include "tools/Tf_AdresseSetzen.h"
#include "ui/ToolDialogs.h"
#include "ui/ToolLineEdit.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using tooldialogs::showLabel;

AdresseSetzenDialog::AdresseSetzenDialog(Tf_AdresseSetzen& window, QWidget* parent)
    : QDialog(parent), w(window) {
    setObjectName(QStringLiteral("f_AdresseSetzen"));
    setWindowTitle(w.caption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    tooldialogs::Panel panel = tooldialogs::infoPanel(this, w.Panel1);
    panelCaption = panel.caption;
    address = tooldialogs::infoLabel(panel, w.l_Adresse, 1);
    idNumber = tooldialogs::infoLabel(panel, w.l_IDNummer, 2);
    type = tooldialogs::infoLabel(panel, w.l_GeraeteTyp, 3);

    information = new QPushButton(this);
    information->setObjectName(w.b_Informationen.name);
    newAddress = new ToolLineEdit(this);
    newAddress->setObjectName(w.eAdresse.name);
    setAddress = new QPushButton(this);
    setAddress->setObjectName(w.b_AdresseSetzen.name);
    status = tooldialogs::statusBar(this, w.StatusBar1,
                                    {QStringLiteral("Konnte Port 255nicht öffnen Fehler -32768"),
                                     QStringLiteral("Informationen Einlesen fehlgeschlagen -32768")});
    // Enter must not press a button behind the user's back.
    information->setAutoDefault(false);
    setAddress->setAutoDefault(false);

    auto* entry = new QHBoxLayout;
    entry->addWidget(newAddress, 1);
    entry->addWidget(setAddress);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel.frame);
    layout->addWidget(information);
    layout->addLayout(entry);
    layout->addWidget(status->parentWidget());
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(information, &QPushButton::clicked, this, [this] { run([this] { w.b_InformationenClick(); }); });
    connect(setAddress, &QPushButton::clicked, this, [this] { run([this] { w.b_AdresseSetzenClick(); }); });
    // The filter decides before the edit sees the key; the edit then reports its new text.
    newAddress->setKeyFilter([this](QChar key, int start, int length, int caret) {
        return w.eAdresseKeyPress(key, start, length, caret);
    });
    connect(newAddress, &QLineEdit::textEdited, this,
            [this](const QString& text) { run([this, text] { w.eAdresseEdited(text); }); });
    connect(newAddress, &ToolLineEdit::exited, this, [this] { run([this] { w.eAdresseExit(); }); });
    connect(newAddress, &ToolLineEdit::doubleClicked, this,
            [this] { run([this] { w.eAdresseDblClick(); }); });
    render();
}

void AdresseSetzenDialog::run(const std::function<void()>& handler) {
    if (rendering) return;
    handler();
    render();
}

void AdresseSetzenDialog::done(int result) {
    if (!closed) {
        closed = true;
        w.FormClose();
    }
    QDialog::done(result);
}

void AdresseSetzenDialog::render() {
    rendering = true;
    panelCaption->setText(w.Panel1.labelCaption);
    showLabel(address, w.l_Adresse);
    showLabel(idNumber, w.l_IDNummer);
    showLabel(type, w.l_GeraeteTyp);
    information->setText(w.b_Informationen.caption);
    information->setToolTip(w.b_Informationen.hint);
    information->setEnabled(w.b_Informationen.enabled);
    newAddress->showText(w.eAdresse.text);
    newAddress->setToolTip(w.eAdresse.hint);
    newAddress->setEnabled(w.eAdresse.enabled);
    setAddress->setText(w.b_AdresseSetzen.caption);
    setAddress->setToolTip(w.b_AdresseSetzen.hint);
    setAddress->setEnabled(w.b_AdresseSetzen.enabled);
    status->setText(w.StatusBar1.text);
    rendering = false;
}
