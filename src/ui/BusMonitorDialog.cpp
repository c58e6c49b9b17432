#include "ui/BusMonitorDialog.h"
#include "ui/PushButton.h"

#include "app/BusMonitorWindow.h"

#include <QBrush>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

BusMonitorTable::BusMonitorTable(BusMonitorWindow& window, QObject* parent)
    : QAbstractTableModel(parent), w(window) {}

int BusMonitorTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : w.rowCount();
}

int BusMonitorTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : BusMonitorWindow::ColumnCount;
}

QVariant BusMonitorTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= w.rowCount()) return {};
    switch (role) {
    case Qt::DisplayRole:
        return w.cell(index.row(), index.column());
    case Qt::ToolTipRole: {
        // A text wider than its column is read whole in the tooltip.
        const QString text = w.cell(index.row(), index.column());
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    case Qt::BackgroundRole:
        return w.failed(index.row()) ? QVariant(QBrush(QColor(255, 215, 215))) : QVariant();
    case Qt::ForegroundRole:
        if (w.failed(index.row())) return QBrush(QColor(160, 0, 0));
        return w.expected(index.row()) ? QVariant(QBrush(QColor(110, 110, 110))) : QVariant();
    default:
        return {};
    }
}

QVariant BusMonitorTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return BusMonitorWindow::columnTitle(section);
    return section + 1;
}

void BusMonitorTable::reload() {
    beginResetModel();
    endResetModel();
}

BusMonitorDialog::BusMonitorDialog(BusMonitorWindow& window, QWidget* parent)
    : QWidget(parent, Qt::Window), w(window) {
    setObjectName(QStringLiteral("BusMonitor"));
    setWindowTitle(QStringLiteral("Busmonitor"));
    resize(900, 420);

    rows = new BusMonitorTable(w, this);
    view = new QTableView(this);
    view->setModel(rows);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {70, 120, 60, 60, 150, 200, 55};
    for (int c = 0; c < static_cast<int>(std::size(widths)); ++c)
        view->setColumnWidth(c, widths[c]);

    onlyFailures = new QCheckBox(QStringLiteral("nur Fehler"), this);
    auto* save = new PushButton(QStringLiteral("Speichern…"), this);
    auto* clear = new PushButton(QStringLiteral("Leeren"), this);
    summary = new QLabel(this);

    auto* foot = new QHBoxLayout;
    foot->addWidget(onlyFailures);
    foot->addWidget(summary, 1);
    foot->addWidget(save);
    foot->addWidget(clear);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view, 1);
    layout->addLayout(foot);

    connect(onlyFailures, &QCheckBox::clicked, this, [this](bool on) {
        w.cbNurFehlerClick(on);
        render();
    });
    connect(save, &QPushButton::clicked, this, [this] { w.bSpeichernClick(); });
    connect(clear, &QPushButton::clicked, this, [this] {
        w.bLeerenClick();
        render();
    });
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (!rendering) w.scrolled(value == view->verticalScrollBar()->maximum());
    });
    // New calls are taken in on a timer, which also runs between the calls of a bus run.
    connect(&ticker, &QTimer::timeout, this, [this] { poll(); });
    ticker.start(200);
    render();
}

void BusMonitorDialog::poll() {
    if (isVisible() && w.refresh()) reload();
}

void BusMonitorDialog::render() {
    w.refresh();
    reload();
}

void BusMonitorDialog::reload() {
    rendering = true;
    // A reset puts the table back to its top; the place the user scrolled to stays.
    const int kept = view->verticalScrollBar()->value();
    rows->reload();
    if (!w.follow) view->verticalScrollBar()->setValue(kept);
    onlyFailures->setChecked(w.onlyFailures);
    summary->setText(w.summary());
    if (w.follow) view->scrollToBottom();
    rendering = false;
}

void BusMonitorDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void BusMonitorDialog::closeEvent(QCloseEvent* event) {
    w.FormClose();
    event->accept();
}
