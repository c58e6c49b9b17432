#include "ui/ArchiveDialog.h"

#include "app/ArchiveWindow.h"
#include "ui/DifferenceTable.h"
#include "ui/PushButton.h"
#include "ui/QtPrompter.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QTableWidget* listTable(QWidget* parent, const QString& name, int columns, QString (*title)(int)) {
    auto* t = new QTableWidget(0, columns, parent);
    t->setObjectName(name);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->verticalHeader()->hide();
    // One line a row: a long list of changes shows whole in its tooltip.
    t->setWordWrap(false);
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
    t->horizontalHeader()->setStretchLastSection(true);
    t->horizontalHeader()->setMinimumSectionSize(30);
    QStringList titles;
    for (int c = 0; c < columns; ++c)
        titles.append(title(c));
    t->setHorizontalHeaderLabels(titles);
    return t;
}

void fill(QTableWidget* table, int rows, const std::function<QStringList(int)>& cells) {
    table->setRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        const QStringList texts = cells(r);
        for (int c = 0; c < texts.size(); ++c) {
            auto* item = new QTableWidgetItem(texts.at(c));
            item->setToolTip(texts.at(c));
            table->setItem(r, c, item);
        }
    }
}

} // namespace

ArchiveDialog::ArchiveDialog(ArchiveWindow& window, QWidget* parent) : QDialog(parent), w(window) {
    setObjectName(QLatin1String(w.windowClass()));
    setWindowTitle(w.caption);
    resize(1200, 700);

    file = new QLabel(this);
    file->setObjectName(w.l_Archiv.name);
    file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    empty = new QLabel(this);
    empty->setObjectName(w.l_Leer.name);
    empty->setWordWrap(true);
    empty->setAlignment(Qt::AlignCenter);
    filterLabel = new QLabel(QStringLiteral("&Filter:"), this);
    filter = new QLineEdit(this);
    filter->setObjectName(w.e_Filter.name);
    filter->setPlaceholderText(QStringLiteral("Seriennummer, Name oder Typ"));
    filter->setClearButtonEnabled(true);
    filterLabel->setBuddy(filter);
    historyTitle = new QLabel(this);
    historyTitle->setObjectName(w.l_Verlauf.name);
    QFont bold = historyTitle->font();
    bold.setBold(true);
    historyTitle->setFont(bold);
    choice = new QLabel(this);
    choice->setObjectName(w.l_Auswahl.name);
    choice->setWordWrap(true);
    note = new QLabel(this);
    note->setObjectName(w.l_Meldung.name);

    instruments = listTable(this, QStringLiteral("lv_Geraete"), ArchiveWindow::InstrumentColumnCount,
                            &ArchiveWindow::instrumentTitle);
    instruments->setSelectionMode(QAbstractItemView::SingleSelection);
    const int instrumentWidths[] = {90, 65, 85, 115};
    for (int c = 0; c < 4; ++c)
        instruments->setColumnWidth(c, instrumentWidths[c]);
    history = listTable(this, QStringLiteral("lv_Verlauf"), ArchiveWindow::EntryColumnCount,
                        &ArchiveWindow::entryTitle);
    // One entry to load or save, two to compare.
    history->setSelectionMode(QAbstractItemView::ExtendedSelection);
    const int entryWidths[] = {35, 120, 90, 65, 70, 150, 95};
    for (int c = 0; c < 7; ++c)
        history->setColumnWidth(c, entryWidths[c]);
    listing = new DifferenceTable(this);
    listing->setObjectName(QStringLiteral("lv_Vergleich"));

    load = new PushButton(this);
    load->setObjectName(w.b_Laden.name);
    save = new PushButton(this);
    save->setObjectName(w.b_Speichern.name);
    close = new PushButton(this);
    close->setObjectName(w.b_Schliessen.name);

    auto* top = new QHBoxLayout;
    top->addWidget(filterLabel);
    top->addWidget(filter, 1);
    top->addSpacing(12);
    top->addWidget(file, 2);
    // The instruments on the left; on the right one's history, above what the chosen entries show.
    auto* right = new QWidget(this);
    auto* entryColumn = new QVBoxLayout(right);
    entryColumn->setContentsMargins(0, 0, 0, 0);
    entryColumn->addWidget(historyTitle);
    entryColumn->addWidget(history, 3);
    entryColumn->addWidget(choice);
    entryColumn->addWidget(listing, 2);
    lists = new QSplitter(Qt::Horizontal, this);
    lists->addWidget(instruments);
    lists->addWidget(right);
    lists->setStretchFactor(0, 4);
    lists->setStretchFactor(1, 7);
    lists->setSizes({450, 750});
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(load);
    buttons->addWidget(save);
    buttons->addWidget(note, 1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(empty, 1);
    layout->addWidget(lists, 1);
    layout->addLayout(buttons);

    connect(filter, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!rendering) run([this, text] { w.e_FilterChange(text); });
    });
    connect(instruments, &QTableWidget::itemSelectionChanged, this, [this] {
        if (rendering) return;
        const QModelIndexList picked = instruments->selectionModel()->selectedRows();
        if (!picked.isEmpty()) run([this, row = picked.first().row()] { w.instrumentClick(row); });
    });
    connect(history, &QTableWidget::itemSelectionChanged, this, [this] {
        if (rendering) return;
        QList<int> rows;
        for (const QModelIndex& i : history->selectionModel()->selectedRows())
            rows.append(i.row());
        run([this, rows] { w.entriesChosen(rows); });
    });
    connect(load, &QPushButton::clicked, this, [this] { run([this] { w.b_LadenClick(); }); });
    connect(save, &QPushButton::clicked, this, [this] { run([this] { w.b_SpeichernClick(); }); });
    connect(close, &QPushButton::clicked, this, [this] { run([this] { w.b_SchliessenClick(); }); });
    render();
}

void ArchiveDialog::run(const std::function<void()>& handler) {
    handler();
    render();
    if (w.closeRequested) accept();
}

void ArchiveDialog::renderLists() {
    QStringList serials;
    for (const RecordedInstrument& i : w.instruments)
        serials.append(i.serial);
    if (serials != shownSerials) {
        shownSerials = serials;
        fill(instruments, int(w.instruments.size()), [this](int r) { return w.instrumentCells(r); });
    }
    instruments->clearSelection();
    if (w.instrument >= 0) instruments->selectRow(w.instrument);

    QList<qint64> ids;
    for (const RecordEntry& e : w.entries)
        ids.append(e.id);
    if (ids != shownEntries) {
        shownEntries = ids;
        fill(history, int(w.entries.size()), [this](int r) { return w.entryCells(r); });
        history->scrollToTop();
    }
    history->clearSelection();
    for (int r : w.chosen)
        history->selectionModel()->select(history->model()->index(r, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void ArchiveDialog::render() {
    rendering = true;
    file->setText(w.l_Archiv.caption);
    empty->setText(w.l_Leer.caption);
    empty->setVisible(w.l_Leer.visible);
    const bool listed = w.listsVisible();
    lists->setVisible(listed);
    filter->setEnabled(w.e_Filter.enabled);
    if (filter->text() != w.e_Filter.text) filter->setText(w.e_Filter.text);
    historyTitle->setText(w.l_Verlauf.caption);
    choice->setText(w.l_Auswahl.caption);
    note->setText(w.l_Meldung.caption);
    if (listed) renderLists();
    listing->setRows(w.rows, {QStringLiteral("Gruppe"), QStringLiteral("Feld"), w.leftTitle, w.rightTitle});
    listing->setVisible(!w.rows.isEmpty());
    load->setText(w.b_Laden.caption);
    load->setEnabled(w.b_Laden.enabled);
    load->setVisible(listed);
    save->setText(w.b_Speichern.caption);
    save->setEnabled(w.b_Speichern.enabled);
    save->setVisible(listed);
    close->setText(w.b_Schliessen.caption);
    rendering = false;
}

void registerArchiveDialog(QtPrompter& prompter) {
    prompter.registerWindow(QStringLiteral("TGeraetearchiv"), [](ModalWindow& window, QWidget* parent) {
        ArchiveDialog dialog(static_cast<ArchiveWindow&>(window), parent);
        dialog.exec();
    });
}
