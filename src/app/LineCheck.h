#pragma once

#include "app/FieldList.h"
#include "bus/BusLibrary.h"
#include "bus/BusScan.h"
#include "config/Clock.h"
#include "files/LinePlan.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

struct ModelEntry;

// A whole line checked and programmed against its plan. The engine decides what each address
// comes to and what may be done there; reading and programming one instrument is the main
// window's own sequence, reached through LineAccess.
namespace line {

// An instrument read and compared field for field with its d20 file.
struct Compared {
    bool ok = false;
    bool fileFailed = false; // the d20 file could not be loaded
    QString failure;         // why not, as the status bar or the file said it
    int32_t identity = 0;
    QList<FieldDifference> differences; // file first, instrument second
};

// An instrument programmed from its d20 file, then read back and compared.
struct Programmed {
    // Stopped: not begun, as the user asked the run to stop before it.
    enum class Outcome { Verified, Differs, Failed, FileFailed, Stopped };
    Outcome outcome = Outcome::Failed;
    QString result; // "programmiert und geprüft", "2 Abweichungen", the failure
    QList<FieldDifference> differences;
};

// The bus of one port and the main window's sequences at one address of it. Every call
// opens and closes the port itself, so the window's sequences find it closed.
class LineAccess {
  public:
    using MakeLibrary = std::function<std::unique_ptr<BusLibrary>()>;
    LineAccess(MakeLibrary makeLibrary, Clock& clock, int16_t port, int16_t converter);
    virtual ~LineAccess() = default;

    int16_t port() const { return portNumber; }
    int16_t converter() const { return converterNumber; }
    // The whole line, the planned addresses first.
    virtual bus::ScanResult scan(const QList<int16_t>& known, const bus::ScanCallbacks& callbacks = {});
    // Command 12 at one address: status (negative: nothing or several answered) and identity.
    virtual int16_t poll(int16_t address, int32_t& identity);
    // Command 13: the instrument with this identity word takes the address.
    virtual int16_t moveTo(int32_t identity, int16_t address);
    // The library's text for a status.
    virtual QString errorText(int16_t status);
    // The user asked the run to stop: no further instrument is begun.
    virtual bool stopRequested() { return false; }

    virtual Compared compare(int16_t address, const QString& d20) = 0;
    virtual Programmed program(int16_t address, const QString& d20) = 0;
    // The model of its family that fits the instrument at `address`; null when none does, or
    // (with `status` negative) when the bus failed while it was asked.
    virtual const ModelEntry* fittingModel(int16_t address, int32_t identity, int16_t& status);
    // Reads the instrument at `address` as `model` and saves it as `d20`; false with `failure`
    // set (`fileFailed` when the file could not be written).
    virtual bool save(int16_t address, const ModelEntry& model, const QString& d20, QString& failure,
                      bool& fileFailed) = 0;

  private:
    // The library loaded and the port open; null (with `failure` holding the status) if not.
    std::unique_ptr<BusLibrary> open(int16_t& failure);

    MakeLibrary makeLibrary;
    Clock& clock;
    int16_t portNumber;
    int16_t converterNumber;
};

enum class State {
    Same,      // "gleich"
    Differs,   // the differing fields named
    Other,     // "anderes Gerät": another serial at the planned address
    Missing,   // "fehlt": nothing answers
    Collision, // several instruments answer at the address
    Unplanned, // an instrument the plan does not list
    Failed     // it answers, but could not be read or its file not loaded
};

struct Row {
    int16_t address = 0;
    State state = State::Failed;
    int planIndex = -1;            // the plan's entry at this address; -1: none
    std::optional<int32_t> planned; // the serial the plan expects
    int32_t found = 0;              // the identity word that answered (Other, Unplanned, Same, Differs)
    QString name;                   // the plan's name, else the one the instrument gave
    QString text;                   // what the check says about the address
    QList<FieldDifference> differences;
    // The plan's entry this instrument can replace: "Als Ersatz für <name> übernehmen".
    int replaces = -1;
    bool fileFailed = false;
};

struct CheckResult {
    QList<Row> rows; // the plan's addresses rising, then the unplanned ones rising
    int16_t scanStatus = 0; // negative: the scan ended with this failure
    QString scanFailure;
    // Everything as planned: every entry "gleich", nothing unplanned, the scan complete.
    bool clean() const;
};

// The offer for a row that can replace a planned instrument; empty when it cannot.
QString replacementOffer(const LinePlan& plan, const Row& row);
// An entry's name for messages: its name, else "Adresse N".
QString entryTitle(const LinePlanEntry& entry);

CheckResult check(LineAccess& access, const LinePlan& plan, const QString& planPath);

struct ProgramRow {
    int16_t address = 0;
    QString serial; // of the instrument acted on (or found); empty when none
    QString result;
    Programmed::Outcome outcome = Programmed::Outcome::Verified;
    QList<FieldDifference> differences;
};

struct ProgramResult {
    CheckResult before;
    QList<ProgramRow> rows;
    bool planChanged = false;
    QString planFailure; // the plan could not be written; empty otherwise
};

// Programs every planned instrument that differs, each after its identity was checked at its
// address and read back afterwards. An instrument with another serial than planned is left
// alone unless `replace`: then every offered replacement is moved to its planned address,
// programmed, verified, and its serial recorded in the plan, which is written back.
ProgramResult program(LineAccess& access, LinePlan& plan, const QString& planPath, bool replace);

// One offered replacement taken over: the instrument of `row` moved by its identity word to the
// planned address, programmed from the planned d20 file and read back. When verified its
// serial stands in `plan` in place of the old one; the caller writes the plan.
ProgramRow takeOver(LineAccess& access, LinePlan& plan, const QString& planPath, const Row& row);

// One address of a new plan: taken into it with its model and file, or why not.
struct Taken {
    int16_t address = 0;
    int32_t identity = 0; // 0: several instruments answered
    QString name;         // the one the instrument gave
    QString model;        // empty: not taken into the plan
    QString d20File;      // relative to the plan
    QString failure;
    bool fileFailed = false; // the d20 file could not be written
};

struct MadePlan {
    LinePlan plan;
    int16_t scanStatus = 0; // negative: the scan failed, nothing was read
    int failedAt = -1;      // the address the scan failed at; -1: the port did not open
    bool kept = false;      // the files already beside the plan were not to be overwritten
    int answered = 0;       // addresses where the scan found an instrument (collisions too)
    // An instrument the scan found could not be read: the reading stopped there, since a plan
    // without it would pass a line with an instrument nobody checks. -1: none.
    int readFailedAt = -1;
    QString readFailure;
    // The plan may be written: the scan and every readout went through and it holds an instrument.
    bool complete() const {
        return scanStatus >= 0 && !kept && readFailedAt < 0 && !plan.instruments.isEmpty();
    }
};

// A file a new plan would write over: one already there, or a link (dangling or not) that the
// writing would follow.
struct ExistingFile {
    QString path;
    QString linkTarget;   // where a link leads, links followed; empty for a plain file
    bool outside = false; // the link leads out of the plan's folder
    // The path, and for a link where it leads.
    QString shown() const;
};
// `path` as a file a new plan at `planPath` would write over; none when it is free.
std::optional<ExistingFile> existingFile(const QString& planPath, const QString& path);

// Where a new plan keeps an instrument's configuration: beside the plan, "Adresse_017.d20".
QString d20Beside(const QString& planPath, int16_t address);

// Scans the line and reads every instrument that answers alone into a d20 file beside the plan.
// When such files are there already, or the plan itself is a link, `overwrite` is asked with
// them first; false reads nothing. `each` hears every address, in rising order, when it is done.
// The caller writes the plan, and only a complete() one.
MadePlan makePlan(LineAccess& access, const QString& planPath,
                  const std::function<bool(const QList<ExistingFile>&)>& overwrite,
                  const std::function<void(const Taken&)>& each);

} // namespace line
