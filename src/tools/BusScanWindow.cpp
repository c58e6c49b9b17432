#include "tools/BusScanWindow.h"

#include "bus/BusCommands.h"
#include "bus/BusConstants.h"
#include "bus/BusPort.h"
#include "files/CsvTable.h"

#include <algorithm>

namespace {

const char* const kTitles[] = {"Adresse", "Seriennummer", "Typ", "Firmware", "Bezeichnung"};

// A row's instrument with its new address or name, as the row knew it.
InstrumentChange changeOf(const bus::ScanRow& row, InstrumentChange::Kind kind, int16_t address, const QString& before,
                          const QString& after) {
    return {kind,  row.identity, address, before, after, row.typeName,
            row.hasFirmware ? std::optional<double>(row.firmware) : std::nullopt};
}

} // namespace

QString BusScanWindow::columnTitle(int column) {
    return column >= 0 && column < ColumnCount ? QString::fromLatin1(kTitles[column]) : QString();
}

QList<BusLibrary::Entry> BusScanWindow::entries() {
    QList<BusLibrary::Entry> e = BusToolWindow::entries();
    e.append(BusLibrary::Entry::TBTransmitString);
    return e;
}

BusScanWindow::BusScanWindow(std::unique_ptr<BusLibrary> lib, Prompter& p, Clock& c, QString startFolder,
                             QChar decimal)
    : BusToolWindow(QStringLiteral("Bus durchsuchen"), std::move(lib), p), clock(c),
      folder(std::move(startFolder)), separator(decimal) {
    l_Port.name = QStringLiteral("l_Port");
    eVon.name = QStringLiteral("eVon");
    eVon.text = QStringLiteral("0");
    eVon.hint = QStringLiteral("\"Erste abgefragte Adresse (0 ... 239)\"");
    eBis.name = QStringLiteral("eBis");
    eBis.text = QString::number(bus::kHighestAddress);
    eBis.hint = QStringLiteral("\"Letzte abgefragte Adresse (0 ... 239)\"");
    const auto button = [](HintButton& b, const char* name, const char* caption, const char* hint) {
        b.name = QLatin1String(name);
        b.caption = QString::fromUtf8(caption);
        b.hint = QString::fromUtf8(hint);
    };
    button(b_Durchsuchen, "b_Durchsuchen", "Durchsuchen",
           "\"Fragt jede Adresse des Bereichs ab und listet die Geräte, die antworten\"");
    button(b_Abbrechen, "b_Abbrechen", "Abbrechen", "\"Beendet die Suche; die gefundenen Geräte bleiben\"");
    button(b_AdresseAendern, "b_AdresseAendern", "Adresse ändern…",
           "\"Gibt dem gewählten Gerät eine neue Adresse; die anderen Geräte bleiben am Bus\"");
    button(b_BezeichnungAendern, "b_BezeichnungAendern", "Bezeichnung ändern…",
           "\"Ändert die Bezeichnung des gewählten Geräts (maximal 16 Zeichen)\"");
    button(b_Einlesen, "b_Einlesen", "Einlesen",
           "\"Liest die Konfiguration des gewählten Geräts in das Hauptfenster\"");
    button(b_Exportieren, "b_Exportieren", "Exportieren…", "\"Speichert die Tabelle als CSV-Datei\"");
    button(b_Drucken, "b_Drucken", "Drucken…", "\"Druckt die Tabelle\"");
    button(b_Schliessen, "b_Schliessen", "Schließen", "\"Schließt das Fenster\"");
    updateButtons();
}

void BusScanWindow::FormShow() {
    l_Port.caption = QStringLiteral("Port %1").arg(comPort);
    updateButtons();
}

QString BusScanWindow::progressText() const {
    if (progress.total == 0) return {};
    return progress.text();
}

QString BusScanWindow::cell(int row, int column) const {
    if (row < 0 || row >= rows.size()) return {};
    const bus::ScanRow& r = rows.at(row);
    if (column == Adresse) return QString::number(r.address);
    // A collision has nothing but its address: the text stands where the serial number would.
    if (r.collision) return column == Seriennummer ? r.collisionText() : QString();
    switch (column) {
    case Seriennummer:
        return bus::serialText(r.identity);
    case Typ:
        return r.typeName;
    case Firmware:
        return r.hasFirmware ? QString::number(r.firmware, 'f', 1).replace(QLatin1Char('.'), separator)
                             : QString();
    case Bezeichnung:
        return r.hasName ? r.name : QString();
    default:
        return {};
    }
}

const bus::ScanRow* BusScanWindow::selected() const {
    if (selectedRow < 0 || selectedRow >= rows.size()) return nullptr;
    return &rows.at(selectedRow);
}

void BusScanWindow::updateButtons() {
    const bus::ScanRow* row = selected();
    // A collision row has two instruments behind it: none of them can be told apart by the address.
    const bool instrument = !scanning && row && !row->collision;
    eVon.enabled = !scanning;
    eBis.enabled = !scanning;
    b_Durchsuchen.enabled = !scanning;
    b_Abbrechen.enabled = scanning;
    b_AdresseAendern.enabled = instrument;
    b_BezeichnungAendern.enabled = instrument && row->hasName;
    b_Einlesen.enabled = instrument;
    b_Exportieren.enabled = !scanning && !rows.isEmpty();
    b_Drucken.enabled = b_Exportieren.enabled && print != nullptr;
    b_Schliessen.enabled = !scanning;
}

void BusScanWindow::rowSelected(int row) {
    selectedRow = row >= 0 && row < rows.size() ? row : -1;
    updateButtons();
}

QString BusScanWindow::addressQuestion() const {
    const bus::ScanRow* row = selected();
    if (!row) return {};
    return QStringLiteral("Neue Adresse (0 ... 239) für das Gerät %1 an Adresse %2:")
        .arg(bus::serialText(row->identity))
        .arg(row->address);
}

QString BusScanWindow::nameQuestion() const {
    const bus::ScanRow* row = selected();
    if (!row) return {};
    return QStringLiteral("Neue Bezeichnung (maximal %1 Zeichen) für das Gerät an Adresse %2:")
        .arg(bus::kNameLength)
        .arg(row->address);
}

QString BusScanWindow::selectedName() const {
    const bus::ScanRow* row = selected();
    return row ? row->name : QString();
}

bool BusScanWindow::openBus() {
    if (!aDLLDynamischLaden()) return false;
    const int16_t status = bus::openBusPort(*library, comPort, converterCode, clock);
    if (status >= 0) return true;
    StatusBar1.text = QStringLiteral("Konnte Port nicht öffnen %1").arg(status);
    showError(status);
    closePortAndUnload();
    return false;
}

void BusScanWindow::b_DurchsuchenClick() {
    const std::optional<int16_t> from = fieldAddress(eVon, 0);
    if (!from) return;
    const std::optional<int16_t> to = fieldAddress(eBis, 0);
    if (!to) return;
    for (const HintEdit* field : {&eVon, &eBis})
        if (toolfields::addressValue(field->text) > bus::kHighestAddress) {
            prompter.show(toolfields::notANumberText(field->text), QStringLiteral("Fehler"),
                          Prompter::Icon::Warning);
            return;
        }
    if (*from > *to) {
        prompter.show(QStringLiteral("Die erste Adresse %1 liegt hinter der letzten %2.").arg(*from).arg(*to),
                      QStringLiteral("Fehler"), Prompter::Icon::Warning);
        return;
    }
    if (!openBus()) return;
    rows.clear();
    selectedRow = -1;
    readRequest.reset();
    scanning = true;
    cancelRequested = false;
    updateButtons();
    StatusBar1.text.clear();
    const bus::ScanResult result = bus::scanBus(
        *library, {*from, *to, known},
        {[this](const bus::ScanRow& row) { rows.append(row); },
         [this](const bus::ScanProgress& p) {
             progress = p;
             if (repaint) repaint();
         },
         [this] { return cancelRequested; }});
    scanning = false;
    // A collision row is one address, not one instrument.
    const int found = static_cast<int>(std::count_if(rows.begin(), rows.end(),
                                                     [](const bus::ScanRow& r) { return !r.collision; }));
    if (result.cancelled)
        StatusBar1.text = QStringLiteral("Abgebrochen nach %1 von %2 Adressen, %3 Geräte gefunden")
                              .arg(result.done)
                              .arg(progress.total)
                              .arg(found);
    else if (result.status < 0)
        StatusBar1.text = QStringLiteral("Fehler %1 an Adresse %2, %3 Geräte gefunden")
                              .arg(result.status)
                              .arg(result.failedAt)
                              .arg(found);
    else
        StatusBar1.text = QStringLiteral("%1 Geräte gefunden").arg(found);
    updateButtons();
    if (result.status < 0) showError(result.status);
    closePortAndUnload();
}

void BusScanWindow::b_AbbrechenClick() {
    if (scanning) cancelRequested = true;
}

bool BusScanWindow::stillThere(const bus::ScanRow& row) {
    ops = {};
    const int16_t status = bus::transmit(*library, row.address, bus::cmd::ReadIdentity, ops);
    if (status >= 0 && ops.integer == row.identity) return true;
    if (status < 0) {
        StatusBar1.text = QStringLiteral("Konnte kein Gerät finden %1").arg(status);
        showError(status);
    } else {
        prompter.show(QStringLiteral("An Adresse %1 antwortet jetzt ein anderes Gerät (%2).\nBitte den Bus neu "
                                     "durchsuchen.")
                          .arg(row.address)
                          .arg(bus::serialText(ops.integer)),
                      QStringLiteral("Fehler"), Prompter::Icon::Warning);
    }
    return false;
}

void BusScanWindow::reread(int16_t address, int keepAt) {
    const bus::ScanResult again = bus::scanBus(*library, {address, address, {}});
    int at = -1;
    for (int i = 0; i < rows.size(); ++i)
        if (rows.at(i).address == address) at = i;
    if (at < 0) at = keepAt;
    if (!again.rows.isEmpty()) {
        if (at >= 0 && at < rows.size())
            rows[at] = again.rows.first();
        else
            rows.append(again.rows.first());
    } else if (at >= 0 && at < rows.size() && rows.at(at).address == address) {
        rows.removeAt(at);
        if (selectedRow >= rows.size()) selectedRow = -1;
    }
}

void BusScanWindow::b_AdresseAendernClick(const QString& entered) {
    const bus::ScanRow* row = selected();
    if (!row || row->collision || scanning) return;
    const std::optional<int16_t> wanted = toolfields::addressValue(entered.trimmed());
    if (!wanted || *wanted < 0 || *wanted > bus::kHighestAddress) {
        prompter.show(toolfields::notANumberText(entered.trimmed()), QStringLiteral("Fehler"),
                      Prompter::Icon::Warning);
        return;
    }
    if (*wanted == row->address) return;
    // Two instruments at one address answer together: neither could be told apart any more.
    for (const bus::ScanRow& other : rows)
        if (other.address == *wanted) {
            prompter.show(QStringLiteral("An Adresse %1 ist schon ein Gerät. Bitte eine freie Adresse wählen.")
                              .arg(*wanted),
                          QStringLiteral("Fehler"), Prompter::Icon::Warning);
            return;
        }
    const bus::ScanRow before = *row;
    const int index = selectedRow;
    if (!openBus()) return;
    if (stillThere(before)) {
        ops = {};
        ops.integer = before.identity;
        const int16_t status = bus::transmit(*library, *wanted, bus::cmd::SetAddress, ops);
        if (status < 0) {
            StatusBar1.text = QStringLiteral("Die Adresse wurde nicht geändert");
            showError(status);
        } else {
            StatusBar1.text = QStringLiteral("Adresse erfolgreich geändert");
            if (onChange) onChange(changeOf(before, InstrumentChange::Kind::Address, *wanted,
                                            QString::number(before.address), QString::number(*wanted)));
        }
        // The row follows the instrument: its old address is polled as well as its new one.
        reread(*wanted, index);
        reread(before.address, -1);
    } else {
        reread(before.address, index);
    }
    updateButtons();
    closePortAndUnload();
}

void BusScanWindow::b_BezeichnungAendernClick(const QString& entered) {
    const bus::ScanRow* row = selected();
    if (!row || row->collision || scanning) return;
    const bus::ScanRow before = *row;
    if (!openBus()) return;
    bool sent = false;
    if (stillThere(before)) {
        // Pasted text may be longer than the instrument keeps: only its first 16 characters are sent.
        QString name = entered.left(bus::kNameLength);
        int16_t length = static_cast<int16_t>(name.size());
        const int8_t status =
            library->TBTransmitString(before.address, bus::namecmd::Write, ops.aux, name, length);
        if (status < 0) {
            StatusBar1.text = QStringLiteral("Konnte Bezeichner nicht schreiben.");
            showError(status);
        } else {
            StatusBar1.text = QStringLiteral("Bezeichner erfolgreich geändert.");
        }
        sent = status >= 0;
    }
    reread(before.address, selectedRow);
    if (sent && onChange) {
        // The name the instrument gives back now; the one sent when it does not answer with one.
        QString now = entered.left(bus::kNameLength);
        for (const bus::ScanRow& r : rows)
            if (r.address == before.address && r.identity == before.identity && r.hasName) now = r.name;
        onChange(changeOf(before, InstrumentChange::Kind::Name, before.address, before.name, now));
    }
    updateButtons();
    closePortAndUnload();
}

void BusScanWindow::b_EinlesenClick() {
    const bus::ScanRow* row = selected();
    if (!row || row->collision || scanning) return;
    // The family's first model: the readout's identification tells the rest.
    const ModelEntry* model = nullptr;
    for (const ModelEntry* e = catalogue::begin(); e != catalogue::end() && !model; ++e)
        if (e->family == (row->identity & kFamilyMask)) model = e;
    if (!model) {
        prompter.show(QStringLiteral("Für das Gerät an Adresse %1 (%2) gibt es kein Modell in diesem Programm.")
                          .arg(row->address)
                          .arg(row->typeName),
                      QStringLiteral("Fehler"), Prompter::Icon::Warning);
        return;
    }
    readRequest = ReadRequest{row->address, model->id};
    if (onRead) onRead(*readRequest);
    closeRequested = true;
}

QList<QStringList> BusScanWindow::table() const {
    QList<QStringList> lines;
    QStringList head;
    for (int c = 0; c < ColumnCount; ++c)
        head.append(columnTitle(c));
    lines.append(head);
    for (int r = 0; r < rows.size(); ++r) {
        QStringList fields;
        for (int c = 0; c < ColumnCount; ++c)
            fields.append(cell(r, c));
        lines.append(fields);
    }
    return lines;
}

QByteArray BusScanWindow::csv() const {
    return csvtable::document(table());
}

void BusScanWindow::b_ExportierenClick() {
    csvtable::saveAs(prompter, folder, csv());
}

void BusScanWindow::b_DruckenClick() {
    if (!print || rows.isEmpty()) return;
    if (print() == Printed::Failed)
        prompter.show(QStringLiteral("Die Tabelle konnte nicht gedruckt werden."), QStringLiteral("Fehler"),
                      Prompter::Icon::Error);
}

void BusScanWindow::b_SchliessenClick() {
    if (!scanning) closeRequested = true;
}

bool BusScanWindow::FormCloseQuery() {
    if (!scanning) return true;
    cancelRequested = true;
    return false;
}
