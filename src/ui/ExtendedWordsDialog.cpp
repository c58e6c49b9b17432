#include "ui/ExtendedWordsDialog.h"
#include "ui/DialogFrame.h"
#include "ui/PushButton.h"

#include "app/ExtendedWordsWindow.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

using dialogframe::place;

ExtendedWordsDialog::ExtendedWordsDialog(ExtendedWordsWindow& window, QWidget* parent)
    : QDialog(parent), w(window) {
    // The captions were laid out for a small dialog font.
    dialogframe::setUp(this, QStringLiteral("tf_Spezialkonfiguration"), w.caption, w.clientWidth,
                       w.clientHeight, 7);
    for (int p = 0; p < ExtendedWordsWindow::kWordCount; ++p) {
        const ExtendedWordsWindow::WordPanel& model = w.panels[p];
        QFrame* frame = new QFrame(this);
        frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
        place(frame, model);
        panels[p] = frame;
        labels[p] = new QLabel(model.label.caption, frame);
        QFont bold = labels[p]->font();
        bold.setBold(true);
        labels[p]->setFont(bold);
        place(labels[p], model.label);
        for (int b = 0; b < 8; ++b) {
            QCheckBox* box = new QCheckBox(model.bits[b].caption, frame);
            place(box, model.bits[b]);
            boxes[p][b] = box;
            connect(box, &QCheckBox::clicked, this, [this, p, b](bool checked) {
                run([this, p, b, checked] { w.setChecked(p, b, checked); });
            });
        }
    }
    ok = new PushButton(w.b_OK.caption, this);
    place(ok, w.b_OK);
    ok->setDefault(true);
    cancel = new PushButton(w.b_Abbrechen.caption, this);
    place(cancel, w.b_Abbrechen);
    connect(ok, &QPushButton::clicked, this, [this] { run([this] { w.b_OKClick(); }); });
    connect(cancel, &QPushButton::clicked, this, [this] { run([this] { w.b_AbbrechenClick(); }); });
    render();
}

void ExtendedWordsDialog::run(const std::function<void()>& handler) {
    if (rendering) return;
    handler();
    render();
    if (w.closeRequested) {
        if (w.modalResult == ExtendedWordsWindow::Result::Ok)
            accept();
        else
            reject();
    }
}

void ExtendedWordsDialog::render() {
    rendering = true;
    for (int p = 0; p < ExtendedWordsWindow::kWordCount; ++p) {
        const ExtendedWordsWindow::WordPanel& model = w.panels[p];
        panels[p]->setEnabled(model.enabled);
        for (int b = 0; b < 8; ++b) {
            const ExtendedWordsWindow::CheckBox& bit = model.bits[b];
            QCheckBox* box = boxes[p][b];
            box->setText(bit.caption);
            box->setChecked(bit.checked);
            box->setHidden(!bit.visible);
            box->setEnabled(bit.enabled);
            box->setToolTip(bit.showHint ? bit.hint : QString());
        }
    }
    rendering = false;
}
