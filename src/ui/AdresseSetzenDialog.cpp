#include "ui/AdresseSetzenDialog.h"

#include "tools/Tf_AdresseSetzen.h"
#include "ui/ToolLineEdit.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {
void showLabel(QLabel* widget, const Label& l) {
    widget->setText(l.caption);
    widget->setVisible(l.visible);
}
} // namespace

AdresseSetzenDialog::AdresseSetzenDialog(Tf_AdresseSetzen& window, QWidget* parent)
    : QDialog(parent), w(window) {
    setObjectName(QStringLiteral("f_AdresseSetzen"));
    setWindowTitle(w.caption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto* panel = new QFrame(this);
    panel->setObjectName(w.Panel1.name);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* panelLayout = new QVBoxLayout(panel);
    panelCaption = new QLabel(panel);
    panelCaption->setObjectName(QStringLiteral("Label1"));
    address = new QLabel(panel);
    address->setObjectName(w.l_Adresse.name);
    idNumber = new QLabel(panel);
    idNumber->setObjectName(w.l_IDNummer.name);
    type = new QLabel(panel);
    type->setObjectName(w.l_GeraeteTyp.name);
    for (QWidget* label : {static_cast<QWidget*>(panelCaption), static_cast<QWidget*>(address),
                           static_cast<QWidget*>(idNumber), static_cast<QWidget*>(type)})
        panelLayout->addWidget(label);
    panel->setMinimumHeight(100);

    information = new QPushButton(this);
    information->setObjectName(w.b_Informationen.name);
    newAddress = new ToolLineEdit(this);
    newAddress->setObjectName(w.eAdresse.name);
    setAddress = new QPushButton(this);
    setAddress->setObjectName(w.b_AdresseSetzen.name);
    auto* statusBar = new QStatusBar(this);
    statusBar->setObjectName(w.StatusBar1.name);
    statusBar->setSizeGripEnabled(false);
    status = new QLabel(statusBar);
    statusBar->addWidget(status, 1);
    // Enter must not press a button behind the user's back.
    information->setAutoDefault(false);
    setAddress->setAutoDefault(false);

    auto* entry = new QHBoxLayout;
    entry->addWidget(newAddress);
    entry->addWidget(setAddress);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addWidget(information);
    layout->addLayout(entry);
    layout->addWidget(statusBar);
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
