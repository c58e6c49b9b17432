#include "ui/BusScanDialog.h"

#include "ui/DialogFrame.h"
#include "ui/PushButton.h"

#include "app/ScanSheet.h"
#include "tools/BusScanWindow.h"
#include "ui/SheetPainter.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTableWidget>
#include <QVBoxLayout>

BusScanDialog::BusScanDialog(BusScanWindow& window, QWidget* parent) : QDialog(parent), w(window) {
    setObjectName(QLatin1String(w.windowClass()));
    setWindowTitle(w.caption);
    resize(720, 460);

    port = new QLabel(this);
    port->setObjectName(w.l_Port.name);
    const auto field = [this](const HintEdit& model, void (BusScanWindow::*edited)(const QString&)) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(model.name);
        edit->setMaxLength(3);
        edit->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
        edit->setToolTip(model.hint);
        connect(edit, &QLineEdit::textEdited, this,
                [this, edited](const QString& text) { run([&] { (w.*edited)(text); }); });
        return edit;
    };
    from = field(w.eVon, &BusScanWindow::eVonEdited);
    to = field(w.eBis, &BusScanWindow::eBisEdited);
    scan = button(w.b_Durchsuchen, [this] { w.b_DurchsuchenClick(); });
    cancel = button(w.b_Abbrechen, [this] { w.b_AbbrechenClick(); });
    address = button(w.b_AdresseAendern, [this] {
        bool ok = false;
        const QString text = QInputDialog::getText(this, w.b_AdresseAendern.caption, w.addressQuestion(),
                                                   QLineEdit::Normal, QString(), &ok);
        if (ok) w.b_AdresseAendernClick(text);
    });
    name = button(w.b_BezeichnungAendern, [this] {
        bool ok = false;
        const QString text = QInputDialog::getText(this, w.b_BezeichnungAendern.caption, w.nameQuestion(),
                                                   QLineEdit::Normal, w.selectedName(), &ok);
        if (ok) w.b_BezeichnungAendernClick(text);
    });
    read = button(w.b_Einlesen, [this] { w.b_EinlesenClick(); });
    exportCsv = button(w.b_Exportieren, [this] { w.b_ExportierenClick(); });
    printTable = button(w.b_Drucken, [this] { w.b_DruckenClick(); });
    close = button(w.b_Schliessen, [this] { w.b_SchliessenClick(); });

    progress = new QProgressBar(this);
    progress->setObjectName(QStringLiteral("pbDurchsuchen"));
    progress->setTextVisible(true);

    rows = dialogframe::rowTable(this, BusScanWindow::ColumnCount, {70, 110, 110, 80});
    connect(rows, &QTableWidget::currentCellChanged, this,
            [this](int row) { run([&] { w.rowSelected(row); }); });
    connect(rows, &QTableWidget::cellDoubleClicked, this, [this] { read->click(); });

    status = new QLabel(this);
    status->setObjectName(w.StatusBar1.name);
    status->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);

    auto* range = new QHBoxLayout;
    range->addWidget(port);
    range->addSpacing(12);
    range->addWidget(new QLabel(QStringLiteral("Von Adresse"), this));
    range->addWidget(from);
    range->addWidget(new QLabel(QStringLiteral("bis"), this));
    range->addWidget(to);
    range->addSpacing(12);
    range->addWidget(scan);
    range->addWidget(cancel);
    range->addStretch(1);
    auto* actions = new QHBoxLayout;
    actions->addWidget(read);
    actions->addWidget(address);
    actions->addWidget(name);
    actions->addStretch(1);
    actions->addWidget(exportCsv);
    actions->addWidget(printTable);
    actions->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(range);
    layout->addWidget(progress);
    layout->addWidget(rows, 1);
    layout->addLayout(actions);
    layout->addWidget(status);

    // The scan calls back after each address: the table grows, and "Abbrechen" is heard.
    w.repaint = [this] {
        render();
        QCoreApplication::processEvents();
    };
    // The sheet's pages without a picture of the main window.
    w.print = [this] {
        QtSheetPrinter printer({});
        printer.setParent(this);
        switch (printer.print(scanSheet(w, QDateTime::currentDateTime()))) {
        case SheetPrinter::Printed::Done:
            return BusScanWindow::Printed::Done;
        case SheetPrinter::Printed::Cancelled:
            return BusScanWindow::Printed::Cancelled;
        default:
            return BusScanWindow::Printed::Failed;
        }
    };
    render();
}

BusScanDialog::~BusScanDialog() {
    w.repaint = nullptr;
    w.print = nullptr;
}

QPushButton* BusScanDialog::button(const HintButton& model, const std::function<void()>& click) {
    auto* b = new PushButton(this);
    b->setObjectName(model.name);
    b->setToolTip(model.hint);
    connect(b, &QPushButton::clicked, this, [this, click] { run(click); });
    return b;
}

void BusScanDialog::run(const std::function<void()>& handler) {
    if (rendering) return;
    handler();
    render();
    if (w.closeRequested) accept();
}

void BusScanDialog::reject() {
    if (w.FormCloseQuery()) QDialog::reject();
}

void BusScanDialog::render() {
    rendering = true;
    port->setText(w.l_Port.caption);
    const auto showEdit = [](QLineEdit* edit, const HintEdit& model) {
        if (edit->text() != model.text) edit->setText(model.text);
        edit->setEnabled(model.enabled);
    };
    showEdit(from, w.eVon);
    showEdit(to, w.eBis);
    const std::pair<QPushButton*, const HintButton*> buttons[] = {
        {scan, &w.b_Durchsuchen},  {cancel, &w.b_Abbrechen}, {address, &w.b_AdresseAendern},
        {name, &w.b_BezeichnungAendern}, {read, &w.b_Einlesen}, {exportCsv, &w.b_Exportieren},
        {printTable, &w.b_Drucken}, {close, &w.b_Schliessen}};
    for (const auto& [widget, model] : buttons) {
        widget->setText(model->caption);
        widget->setEnabled(model->enabled);
    }
    progress->setRange(0, std::max(1, w.progress.total));
    progress->setValue(w.progress.done);
    progress->setFormat(w.progressText());
    progress->setVisible(w.progress.total > 0);

    QStringList titles;
    for (int c = 0; c < BusScanWindow::ColumnCount; ++c)
        titles.append(BusScanWindow::columnTitle(c));
    rows->setHorizontalHeaderLabels(titles);
    const int count = static_cast<int>(w.rows.size());
    if (rows->rowCount() != count) rows->setRowCount(count);
    rows->clearSpans();
    for (int r = 0; r < count; ++r) {
        const bool collision = w.rows.at(r).collision;
        for (int c = 0; c < BusScanWindow::ColumnCount; ++c) {
            auto* item = new QTableWidgetItem(w.cell(r, c));
            if (c == BusScanWindow::Adresse) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (collision) item->setForeground(QColor(0xB0, 0x00, 0x00));
            rows->setItem(r, c, item);
        }
        // The collision text runs over the columns the row has nothing for.
        if (collision) rows->setSpan(r, BusScanWindow::Seriennummer, 1, BusScanWindow::ColumnCount - 1);
    }
    if (w.selectedRow != rows->currentRow()) {
        if (w.selectedRow < 0)
            rows->clearSelection();
        else
            rows->selectRow(w.selectedRow);
        rows->setCurrentCell(w.selectedRow, w.selectedRow < 0 ? -1 : 0);
    }
    status->setText(w.StatusBar1.text);
    rendering = false;
}
