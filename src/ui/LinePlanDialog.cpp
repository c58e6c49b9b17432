#include "ui/LinePlanDialog.h"

#include "app/LinePlanWindow.h"
#include "ui/DialogFrame.h"
#include "ui/PushButton.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QColor background(LinePlanWindow::Tone tone) {
    switch (tone) {
    case LinePlanWindow::Tone::Good: return QColor(0xD8, 0xF0, 0xD0);
    case LinePlanWindow::Tone::Differs: return QColor(0xFF, 0xF0, 0xC0);
    case LinePlanWindow::Tone::Bad: return QColor(0xF8, 0xD0, 0xD0);
    case LinePlanWindow::Tone::Neutral: break;
    }
    return {};
}

} // namespace

LinePlanDialog::LinePlanDialog(LinePlanWindow& window, QWidget* parent) : QDialog(parent), w(window) {
    setObjectName(QLatin1String(w.windowClass()));
    setWindowTitle(w.caption);
    resize(860, 520);

    planLabel = new QLabel(this);
    planLabel->setObjectName(w.l_Plan.name);
    planLabel->setWordWrap(true);
    open = button(w.b_PlanOeffnen, [this] { w.b_PlanOeffnenClick(); });
    make = button(w.b_PlanAnlegen, [this] { w.b_PlanAnlegenClick(); });
    check = button(w.b_Pruefen, [this] { w.b_PruefenClick(); });
    program = button(w.b_Programmieren, [this] { w.b_ProgrammierenClick(); });
    replace = button(w.b_Ersatz, [this] { w.b_ErsatzClick(); });
    cancel = button(w.b_Abbrechen, [this] { w.b_AbbrechenClick(); });
    close = button(w.b_Schliessen, [this] { w.b_SchliessenClick(); });

    progress = new QProgressBar(this);
    progress->setObjectName(QStringLiteral("pbAnlage"));
    progress->setTextVisible(true);

    rows = dialogframe::rowTable(this, LinePlanWindow::ColumnCount, {60, 130, 140, 120});
    connect(rows, &QTableWidget::currentCellChanged, this,
            [this](int row) { run([&] { w.rowSelected(row); }); });

    details = new QPlainTextEdit(this);
    details->setObjectName(QStringLiteral("mAbweichungen"));
    details->setReadOnly(true);
    details->setMaximumHeight(110);
    details->setPlaceholderText(QStringLiteral("Die abweichenden Felder der gewählten Zeile"));

    status = new QLabel(this);
    status->setObjectName(w.l_Status.name);
    status->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);

    auto* top = new QHBoxLayout;
    top->addWidget(open);
    top->addWidget(make);
    top->addSpacing(12);
    top->addWidget(check);
    top->addWidget(program);
    top->addWidget(cancel);
    top->addStretch(1);
    auto* actions = new QHBoxLayout;
    actions->addWidget(replace);
    actions->addStretch(1);
    actions->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(planLabel);
    layout->addLayout(top);
    layout->addWidget(progress);
    layout->addWidget(rows, 1);
    layout->addWidget(details);
    layout->addLayout(actions);
    layout->addWidget(status);

    // The runs call back between their steps: the table and the bar move, "Abbrechen" is heard.
    w.repaint = [this] {
        render();
        QCoreApplication::processEvents();
    };
    render();
}

LinePlanDialog::~LinePlanDialog() {
    w.repaint = nullptr;
}

QPushButton* LinePlanDialog::button(const Button& model, const std::function<void()>& click) {
    auto* b = new PushButton(this);
    b->setObjectName(model.name);
    connect(b, &QPushButton::clicked, this, [this, click] { run(click); });
    return b;
}

void LinePlanDialog::run(const std::function<void()>& handler) {
    if (rendering) return;
    handler();
    render();
    if (w.closeRequested) accept();
}

void LinePlanDialog::reject() {
    if (w.FormCloseQuery()) QDialog::reject();
}

void LinePlanDialog::render() {
    rendering = true;
    planLabel->setText(w.l_Plan.caption);
    const std::pair<QPushButton*, const Button*> buttons[] = {
        {open, &w.b_PlanOeffnen}, {make, &w.b_PlanAnlegen},   {check, &w.b_Pruefen},   {program, &w.b_Programmieren},
        {replace, &w.b_Ersatz},   {cancel, &w.b_Abbrechen},   {close, &w.b_Schliessen}};
    for (const auto& [widget, model] : buttons) {
        widget->setText(model->caption);
        widget->setEnabled(model->enabled);
    }
    progress->setVisible(w.running);
    progress->setRange(0, std::max(1, w.progressTotal));
    progress->setValue(std::min(w.progressDone, std::max(1, w.progressTotal)));
    progress->setFormat(w.progressText);

    QStringList titles;
    for (int c = 0; c < LinePlanWindow::ColumnCount; ++c)
        titles.append(LinePlanWindow::columnTitle(c));
    rows->setHorizontalHeaderLabels(titles);
    const int count = static_cast<int>(w.lines.size());
    if (rows->rowCount() != count) rows->setRowCount(count);
    for (int r = 0; r < count; ++r) {
        const QColor tone = background(w.lines.at(r).tone);
        for (int c = 0; c < LinePlanWindow::ColumnCount; ++c) {
            auto* item = new QTableWidgetItem(w.cell(r, c));
            if (c == LinePlanWindow::Adresse) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (tone.isValid()) {
                item->setBackground(tone);
                item->setForeground(Qt::black);
            }
            item->setToolTip(w.cell(r, LinePlanWindow::Ergebnis));
            rows->setItem(r, c, item);
        }
    }
    if (w.selectedRow != rows->currentRow()) {
        if (w.selectedRow < 0)
            rows->clearSelection();
        else
            rows->selectRow(w.selectedRow);
        rows->setCurrentCell(w.selectedRow, w.selectedRow < 0 ? -1 : 0);
    }
    const QString text = w.details();
    if (details->toPlainText() != text) details->setPlainText(text);
    status->setText(w.l_Status.caption);
    rendering = false;
}
