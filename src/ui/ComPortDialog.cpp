#include "ui/ComPortDialog.h"
#include "ui/DialogFrame.h"
#include "ui/PushButton.h"

#include "app/ComPortWindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

using dialogframe::place;

ComPortDialog::ComPortDialog(ComPortWindow& window, QWidget* parent) : QDialog(parent), w(window) {
    dialogframe::setUp(this, QStringLiteral("f_ComPort"), w.caption, w.clientWidth, w.clientHeight, 7);
    list = new PushButton(this);
    place(list, w.b_ComPortsEinlesen);
    ports = new QComboBox(this);
    ports->setEditable(true);
    ports->setInsertPolicy(QComboBox::NoInsert);
    place(ports, w.cb_ComPorts);
    choose = new PushButton(this);
    place(choose, w.b_ComPortAuswaehlen);

    connect(list, &QPushButton::clicked, this, [this] { run([this] { w.b_ComPortsEinlesenClick(); }); });
    connect(ports, &QComboBox::activated, this, [this](int index) { run([this, index] { w.cb_ComPortsChange(index); }); });
    connect(ports->lineEdit(), &QLineEdit::textEdited, this,
            [this](const QString& text) { run([this, text] { w.cb_ComPortsEdited(text); }); });
    connect(choose, &QPushButton::clicked, this, [this] { run([this] { w.b_ComPortAuswaehlenClick(); }); });
    render();
}

void ComPortDialog::run(const std::function<void()>& handler) {
    if (rendering)
        return;
    handler();
    render();
    if (w.closeRequested)
        accept();
}

void ComPortDialog::render() {
    rendering = true;
    list->setText(w.b_ComPortsEinlesen.caption);
    list->setEnabled(w.b_ComPortsEinlesen.enabled);
    QStringList shown;
    for (int i = 0; i < ports->count(); ++i)
        shown.append(ports->itemText(i));
    if (shown != w.cb_ComPorts.items) {
        ports->clear();
        ports->addItems(w.cb_ComPorts.items);
    }
    ports->setCurrentIndex(w.cb_ComPorts.itemIndex);
    if (ports->currentText() != w.cb_ComPorts.caption)
        ports->setEditText(w.cb_ComPorts.caption);
    ports->setEnabled(w.cb_ComPorts.enabled);
    choose->setText(w.b_ComPortAuswaehlen.caption);
    choose->setEnabled(w.b_ComPortAuswaehlen.enabled);
    rendering = false;
}
