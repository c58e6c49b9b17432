#include "ui/FlowCalculatorDialog.h"
#include "ui/DialogFrame.h"
#include "ui/PushButton.h"

#include "tools/FlowCalculatorWindow.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using dialogframe::place;

FlowCalculatorDialog::FlowCalculatorDialog(FlowCalculatorWindow& window, QWidget* parent)
    : QDialog(parent), w(window) {
    dialogframe::setUp(this, QStringLiteral("Form1"), w.caption, w.clientWidth, w.clientHeight);

    addLabel(w._lDaten_des_gebers, this, true);
    addLabel(w._lMessbereich_max, this);
    addEdit(w.eMax, &FlowCalculatorWindow::eMaxChange);
    addList(w.cbEinheit, &FlowCalculatorWindow::cbEinheitChange);
    addLabel(w._lAnzahl_der_Impulse_Liter, this);
    addEdit(w.eImpulszahl, &FlowCalculatorWindow::eImpulszahlChange);
    addList(w.cbImpulsePro, &FlowCalculatorWindow::cbImpulseProChange);
    addLabel(w._lAusgangssignal, this);
    addList(w.cbAusgangssignal, &FlowCalculatorWindow::cbAusgangssignalChange);
    addLabel(w._lAnzeigeoptionen, this, true);
    addLabel(w._lAnzeigeeinheit, this);
    addList(w.cbAnzeigeeinheit, &FlowCalculatorWindow::cbAnzeigeeinheitChange);
    addLabel(w._lAnzahl_der_Dezimalstellen, this);
    addList(w.cbDp, &FlowCalculatorWindow::cbDpChange);

    memo = new QPlainTextEdit(this);
    place(memo, w.mKurzanleitung);
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont memoFont = memo->font();
    memoFont.setPointSize(8);
    memo->setFont(memoFont);
    memo->setPlainText(w.mKurzanleitung.lines.join(QLatin1Char('\n')));

    results = new QFrame(this);
    results->setFrameStyle(QFrame::Panel | QFrame::Raised);
    place(results, w.pErgenisse);
    addLabel(w._lEinstellwerte, results, true);
    for (FlowCalculatorWindow::ResultRow* row : w.rows()) {
        addLabel(row->name, results, true);
        addLabel(row->value, results);
    }

    addButton(w.bEinstellwerte_zeigen, &FlowCalculatorWindow::bEinstellwerte_zeigenClick);
    addButton(w.bDurchFlussMessungEinstellungUebernehmen,
              &FlowCalculatorWindow::bDurchFlussMessungEinstellungUebernehmenClick);
    addButton(w.bDurchFlussMessungEinstellungAbbrechen,
              &FlowCalculatorWindow::bDurchFlussMessungEinstellungAbbrechenClick);
    render();
}

QLabel* FlowCalculatorDialog::addLabel(const Label& model, QWidget* parent, bool bold) {
    QLabel* label = new QLabel(parent);
    place(label, model);
    if (bold) {
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
    }
    labels.insert(&model, label);
    return label;
}

QLineEdit* FlowCalculatorDialog::addEdit(const TextField& model,
                                         void (FlowCalculatorWindow::*changed)(const QString&)) {
    QLineEdit* edit = new QLineEdit(this);
    place(edit, model);
    connect(edit, &QLineEdit::textEdited, this,
            [this, changed](const QString& text) { run([this, changed, text] { (w.*changed)(text); }); });
    edits.insert(&model, edit);
    return edit;
}

QComboBox* FlowCalculatorDialog::addList(const ComboBox& model, void (FlowCalculatorWindow::*changed)(int)) {
    QComboBox* list = new QComboBox(this);
    place(list, model);
    list->addItems(model.items);
    connect(list, &QComboBox::activated, this,
            [this, changed](int index) { run([this, changed, index] { (w.*changed)(index); }); });
    lists.insert(&model, list);
    return list;
}

QPushButton* FlowCalculatorDialog::addButton(const Button& model, void (FlowCalculatorWindow::*clicked)()) {
    QPushButton* button = new PushButton(this);
    place(button, model);
    connect(button, &QPushButton::clicked, this,
            [this, clicked] { run([this, clicked] { (w.*clicked)(); }); });
    buttons.insert(&model, button);
    return button;
}

void FlowCalculatorDialog::run(const std::function<void()>& handler) {
    if (rendering) return;
    handler();
    render();
    if (w.closeRequested) accept();
}

void FlowCalculatorDialog::render() {
    rendering = true;
    for (auto it = labels.begin(); it != labels.end(); ++it) {
        it.value()->setText(it.key()->caption);
        it.value()->setHidden(!it.key()->visible);
    }
    for (auto it = edits.begin(); it != edits.end(); ++it) {
        if (it.value()->text() != it.key()->text) it.value()->setText(it.key()->text);
    }
    for (auto it = lists.begin(); it != lists.end(); ++it)
        it.value()->setCurrentIndex(it.key()->itemIndex);
    for (auto it = buttons.begin(); it != buttons.end(); ++it) {
        it.value()->setText(it.key()->caption);
        it.value()->setEnabled(it.key()->enabled);
    }
    memo->setHidden(!w.mKurzanleitung.visible);
    results->setHidden(!w.pErgenisse.visible);
    rendering = false;
}
