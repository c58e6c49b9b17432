#include "ui/GeraeteNamenAendernDialog.h"

#include "bus/BusConstants.h"
#include "tools/Tf_GeraeteNamenAendern.h"
#include "ui/ToolDialogs.h"
#include "ui/ToolLineEdit.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using tooldialogs::showLabel;

GeraeteNamenAendernDialog::GeraeteNamenAendernDialog(Tf_GeraeteNamenAendern& window, QWidget* parent)
    : QDialog(parent), w(window) {
    setObjectName(QStringLiteral("f_GeraeteNamenAendern"));
    setWindowTitle(w.caption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    tooldialogs::Panel panel = tooldialogs::infoPanel(this, w.Panel1);
    panelCaption = panel.caption;
    address = tooldialogs::infoLabel(panel, w.l_Adresse, 1);
    idNumber = tooldialogs::infoLabel(panel, w.l_IDNummer, 2);
    type = tooldialogs::infoLabel(panel, w.l_GeraeteTyp, 3);
    nameCaption = tooldialogs::infoLabel(panel, w.l_Bezeichnung, 4, 0, 1);
    name = tooldialogs::infoLabel(panel, w.l_GeraeteNamen, 4, 1, 1);
    // Room for the widest name an instrument can hold.
    const QString widestName(bus::kNameLength, QLatin1Char('W'));
    tooldialogs::fitTexts(name, {widestName});

    information = new QPushButton(this);
    information->setObjectName(w.b_Informationen.name);
    newName = new ToolLineEdit(this);
    newName->setObjectName(w.Edit1.name);
    tooldialogs::fitTexts(newName, {widestName, w.Edit1.text});
    changeName = new QPushButton(this);
    changeName->setObjectName(w.b_NamenAendern.name);
    status = tooldialogs::statusBar(this, w.StatusBar1,
                                    {QStringLiteral("Informationen Einlesen fehlgeschlagen.")});
    // Enter must not press a button behind the user's back.
    information->setAutoDefault(false);
    changeName->setAutoDefault(false);

    auto* entry = new QHBoxLayout;
    entry->addWidget(newName, 1);
    entry->addWidget(changeName);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel.frame);
    layout->addWidget(information);
    layout->addLayout(entry);
    layout->addWidget(status->parentWidget());
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(information, &QPushButton::clicked, this, [this] { run([this] { w.b_InformationenClick(); }); });
    connect(changeName, &QPushButton::clicked, this, [this] { run([this] { w.b_NamenAendernClick(); }); });
    // The filter decides before the edit sees the key; the edit then reports its new text.
    newName->setKeyFilter([this](QChar key, int start, int length, int caret) {
        return w.Edit1KeyPress(key, start, length, caret);
    });
    connect(newName, &QLineEdit::textEdited, this,
            [this](const QString& text) { run([this, text] { w.Edit1Edited(text); }); });
    connect(newName, &ToolLineEdit::doubleClicked, this, [this] { run([this] { w.Edit1DblClick(); }); });
    render();
}

void GeraeteNamenAendernDialog::run(const std::function<void()>& handler) {
    if (rendering) return;
    handler();
    render();
}

void GeraeteNamenAendernDialog::done(int result) {
    if (!closed) {
        closed = true;
        w.FormClose();
    }
    QDialog::done(result);
}

void GeraeteNamenAendernDialog::render() {
    rendering = true;
    panelCaption->setText(w.Panel1.labelCaption);
    showLabel(address, w.l_Adresse);
    showLabel(idNumber, w.l_IDNummer);
    showLabel(type, w.l_GeraeteTyp);
    showLabel(nameCaption, w.l_Bezeichnung);
    showLabel(name, w.l_GeraeteNamen);
    information->setText(w.b_Informationen.caption);
    information->setToolTip(w.b_Informationen.hint);
    information->setEnabled(w.b_Informationen.enabled);
    newName->showText(w.Edit1.text);
    newName->setToolTip(w.Edit1.hint);
    newName->setEnabled(w.Edit1.enabled);
    changeName->setText(w.b_NamenAendern.caption);
    changeName->setToolTip(w.b_NamenAendern.hint);
    changeName->setEnabled(w.b_NamenAendern.enabled);
    status->setText(w.StatusBar1.text);
    rendering = false;
}
