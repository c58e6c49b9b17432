#pragma once

#include "bus/BusLibrary.h"
#include "config/Clock.h"
#include "config/ModelCatalogue.h"

#include <QList>
#include <QString>

// What an attached instrument says about itself.
struct InstrumentInfo {
    int16_t status = 0; // negative: nothing answered, or the port failed
    int16_t address = -1;
    int32_t identity = 0;
    QString typeName;
    double firmware = 0.0;
    bool hasName = false;
    QString name;
    int32_t features = 0;
    int32_t options = 0;
    bool haveWords = false; // parameters 38 and 39 answered (firmware 23 on)
};

// Reads the identity of the instrument on the port (address query when address < 1, unless
// `addressChosen`: then only below 0).
InstrumentInfo identifyInstrument(BusLibrary& library, Clock& clock, int16_t port, int16_t converter,
                                  int16_t address, bool addressChosen = false);

// The models whose identification accepts the attached instrument: the window's
// own identification run once per model, reads only, its boxes swallowed.
// status < 0 when the port or the address query failed.
struct Detection {
    int16_t status = 0;
    QList<const ModelEntry*> models;
};
Detection detectModels(BusLibrary& library, Clock& clock, int16_t port, int16_t converter, int16_t address,
                       const QList<const ModelEntry*>& offered, bool addressChosen = false);
// The model an instrument found by a scan is read with: of its family's models the first
// whose identification accepts it (features and options tell the variants apart); null when
// none does.
const ModelEntry* familyModel(BusLibrary& library, Clock& clock, int16_t port, int16_t converter, int16_t address,
                              int32_t identity, bool addressChosen = false);
