#include "ui/CompareDialog.h"

#include "ui/DifferenceTable.h"
#include "ui/ProgressBarView.h"
#include "ui/PushButton.h"

#include "app/CompareWindow.h"
#include "ui/QtPrompter.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

CompareDialog::CompareDialog(CompareWindow& window, QWidget* parent) : QDialog(parent), w(window) {
    setObjectName(QLatin1String(w.windowClass()));
    setWindowTitle(w.caption);
    resize(760, 420);

    file = new PushButton(this);
    file->setObjectName(w.b_Datei.name);
    instrument = new PushButton(this);
    instrument->setObjectName(w.b_Geraet.name);
    close = new PushButton(this);
    close->setObjectName(w.b_Schliessen.name);
    source = new QLabel(this);
    source->setObjectName(w.l_Quelle.name);
    result = new QLabel(this);
    result->setObjectName(w.l_Ergebnis.name);
    QFont bold = result->font();
    bold.setBold(true);
    result->setFont(bold);
    result->setWordWrap(true);

    rows = new DifferenceTable(this);

    progress = new QProgressBar(this);
    progress->setObjectName(QStringLiteral("pbBusRun"));
    progress->setFormat(QStringLiteral("%v/%m"));
    progress->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(file);
    buttons->addWidget(instrument);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(source);
    layout->addWidget(result);
    layout->addWidget(progress);
    layout->addWidget(rows, 1);

    connect(file, &QPushButton::clicked, this, [this] { run(&CompareWindow::b_DateiClick); });
    connect(instrument, &QPushButton::clicked, this, [this] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        run(&CompareWindow::b_GeraetClick);
        QApplication::restoreOverrideCursor();
    });
    connect(close, &QPushButton::clicked, this, [this] { run(&CompareWindow::b_SchliessenClick); });
    w.repaint = [this] {
        render();
        repaint();
    };
    connect(&ticker, &QTimer::timeout, this, [this] { renderProgress(); });
    ticker.start(100);
    render();
}

QTableWidget* CompareDialog::table() const {
    return rows;
}

CompareDialog::~CompareDialog() {
    w.repaint = nullptr;
}

void CompareDialog::renderProgress() {
    showBusProgress(*progress, w.progress());
}

void CompareDialog::run(void (CompareWindow::*handler)()) {
    (w.*handler)();
    render();
    if (w.closeRequested) accept();
}

void CompareDialog::render() {
    file->setText(w.b_Datei.caption);
    instrument->setText(w.b_Geraet.caption);
    instrument->setEnabled(w.b_Geraet.enabled);
    close->setText(w.b_Schliessen.caption);
    source->setText(w.l_Quelle.caption);
    source->setVisible(!w.l_Quelle.caption.isEmpty());
    result->setText(w.l_Ergebnis.caption);
    QStringList titles;
    for (int c = 0; c < CompareWindow::ColumnCount; ++c)
        titles.append(w.columnTitle(c));
    rows->setRows(w.rows, titles);
    rows->setVisible(!w.rows.isEmpty());
    renderProgress();
}

void registerCompareDialog(QtPrompter& prompter) {
    prompter.registerWindow(QStringLiteral("TVergleich"), [](ModalWindow& window, QWidget* parent) {
        CompareDialog dialog(static_cast<CompareWindow&>(window), parent);
        dialog.exec();
    });
}
