#pragma once

#include "bus/BusLibrary.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <functional>

// Finding every instrument on a line: each address is polled with command 12; where one
// answers, its firmware and name are read. Expects the port open (openBusPort).
namespace bus {

struct ScanRow {
    int16_t address = 0;
    // Two or more instruments answered at the address (status -7): only the address is known.
    bool collision = false;
    int32_t identity = 0; // the identity word: serial number and family
    QString typeName;     // the family's name from the model catalogue; "unbekannt" for another family
    bool hasFirmware = false;
    double firmware = 0.0;
    bool hasName = false; // false: the instrument keeps no name (or did not give it)
    QString name;

    // "mehrere Geräte an Adresse N" for a collision; empty otherwise.
    QString collisionText() const;
};

struct ScanProgress {
    int done = 0;  // addresses polled so far
    int total = 0; // addresses to poll
    int remainingMs = 0; // modelled wire time the remaining addresses take at most

    // "12 von 240 Adressen" + `between` + ", noch etwa 23 s"; the time left only while
    // addresses are left.
    QString text(const QString& between = {}) const;
};

struct ScanRequest {
    int16_t from = 0;
    int16_t to = 0; // inclusive
    // Addresses polled first (those of the line plan), in their order; others are ignored.
    QList<int16_t> known;
};

struct ScanCallbacks {
    std::function<void(const ScanRow&)> found;            // each row as soon as it is known
    std::function<void(const ScanProgress&)> progress;    // before the first address and after each
    std::function<bool()> cancelled;                      // asked between addresses
};

struct ScanResult {
    QList<ScanRow> rows;   // in the order they were found
    int16_t status = 0;    // negative: the scan ended with this failure of the bus
    int16_t failedAt = -1; // the address that failure came from
    bool cancelled = false;
    int done = 0;
};

// The polling order: the known addresses inside the range (each once), then the rest rising.
QList<int16_t> scanOrder(const ScanRequest& request);

// Wire time of one address at 4800 baud, as the bus models it: an empty address costs its
// telegram and the 100 ms time-out; an exchange two telegrams and the 5 ms turnaround.
int emptyAddressUs();
int exchangeUs();

// Polls every address of the request. No answer (-2) is an empty address, -7 a collision row;
// any other failure ends the scan with its status, keeping the rows found before.
ScanResult scanBus(BusLibrary& library, const ScanRequest& request, const ScanCallbacks& callbacks = {});

} // namespace bus
