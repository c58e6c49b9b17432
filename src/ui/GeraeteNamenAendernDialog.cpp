#include "ui/GeraeteNamenAendernDialog.h"

#include "tools/Tf_GeraeteNamenAendern.h"
#include "ui/ToolLineEdit.h"

#include <QFrame>
#include <QGridLayout>
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

GeraeteNamenAendernDialog::GeraeteNamenAendernDialog(Tf_GeraeteNamenAendern& window, QWidget* parent)
    : QDialog(parent), w(window) {
    setObjectName(QStringLiteral("f_GeraeteNamenAendern"));
    setWindowTitle(w.caption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto* panel = new QFrame(this);
    panel->setObjectName(w.Panel1.name);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* panelLayout = new QGridLayout(panel);
    auto label = [panel](const QString& objectName) {
        auto* l = new QLabel(panel);
        l->setObjectName(objectName);
        return l;
    };
    panelCaption = label(QStringLiteral("Label1"));
    address = label(w.l_Adresse.name);
    idNumber = label(w.l_IDNummer.name);
    type = label(w.l_GeraeteTyp.name);
    nameCaption = label(w.l_Bezeichnung.name);
    name = label(w.l_GeraeteNamen.name);
    panelLayout->addWidget(panelCaption, 0, 0, 1, 2);
    panelLayout->addWidget(address, 1, 0, 1, 2);
    panelLayout->addWidget(idNumber, 2, 0, 1, 2);
    panelLayout->addWidget(type, 3, 0, 1, 2);
    panelLayout->addWidget(nameCaption, 4, 0);
    panelLayout->addWidget(name, 4, 1);
    panelLayout->setColumnStretch(1, 1);
    panel->setMinimumSize(240, 120);

    information = new QPushButton(this);
    information->setObjectName(w.b_Informationen.name);
    newName = new ToolLineEdit(this);
    newName->setObjectName(w.Edit1.name);
    changeName = new QPushButton(this);
    changeName->setObjectName(w.b_NamenAendern.name);
    auto* statusBar = new QStatusBar(this);
    statusBar->setObjectName(w.StatusBar1.name);
    statusBar->setSizeGripEnabled(false);
    status = new QLabel(statusBar);
    statusBar->addWidget(status, 1);
    // Enter must not press a button behind the user's back.
    information->setAutoDefault(false);
    changeName->setAutoDefault(false);

    auto* entry = new QHBoxLayout;
    entry->addWidget(newName, 1);
    entry->addWidget(changeName);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addWidget(information);
    layout->addLayout(entry);
    layout->addWidget(statusBar);
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
