#include "app/LineCheck.h"

#include "bus/BusCommands.h"
#include "bus/BusPort.h"
#include "bus/Instrument.h"
#include "config/ModelCatalogue.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>

namespace line {

LineAccess::LineAccess(MakeLibrary makeLibrary, Clock& clock, int16_t port, int16_t converter)
    : makeLibrary(std::move(makeLibrary)), clock(clock), portNumber(port), converterNumber(converter) {}

std::unique_ptr<BusLibrary> LineAccess::open(int16_t& failure) {
    std::unique_ptr<BusLibrary> lib = makeLibrary();
    failure = 0;
    if (!lib || !lib->load()) {
        failure = -1;
        return nullptr;
    }
    failure = bus::openBusPort(*lib, portNumber, converterNumber, clock);
    if (failure < 0) return nullptr;
    return lib;
}

const ModelEntry* LineAccess::fittingModel(int16_t address, int32_t identity, int16_t& status) {
    std::unique_ptr<BusLibrary> lib = makeLibrary();
    if (!lib || !lib->load()) {
        status = -1;
        return nullptr;
    }
    QList<const ModelEntry*> family;
    for (const ModelEntry* e = catalogue::begin(); e != catalogue::end(); ++e)
        if (e->family == (identity & kFamilyMask)) family.append(e);
    const Detection found = detectModels(*lib, clock, portNumber, converterNumber, address, family, true);
    status = found.status;
    return found.models.isEmpty() ? nullptr : found.models.first();
}

bus::ScanResult LineAccess::scan(const QList<int16_t>& known, const bus::ScanCallbacks& callbacks) {
    int16_t status = 0;
    std::unique_ptr<BusLibrary> lib = open(status);
    if (!lib) {
        bus::ScanResult failed;
        failed.status = status;
        return failed;
    }
    const bus::ScanResult result = bus::scanBus(*lib, {0, bus::kHighestAddress, known}, callbacks);
    lib->TBCloseCom();
    return result;
}

int16_t LineAccess::poll(int16_t address, int32_t& identity) {
    int16_t status = 0;
    std::unique_ptr<BusLibrary> lib = open(status);
    if (!lib) return status;
    bus::Operands ops;
    status = bus::transmit(*lib, address, bus::cmd::ReadIdentity, ops);
    lib->TBCloseCom();
    if (status >= 0) identity = ops.integer;
    return status;
}

int16_t LineAccess::moveTo(int32_t identity, int16_t address) {
    int16_t status = 0;
    std::unique_ptr<BusLibrary> lib = open(status);
    if (!lib) return status;
    bus::Operands ops;
    ops.integer = identity;
    status = bus::transmit(*lib, address, bus::cmd::SetAddress, ops);
    lib->TBCloseCom();
    return status;
}

QString LineAccess::errorText(int16_t status) {
    std::unique_ptr<BusLibrary> lib = makeLibrary();
    // Without the library only the number can be told.
    if (!lib || !lib->load()) return QStringLiteral("(Fehler %1)").arg(status);
    return bus::errorText(*lib, status);
}

namespace {

QString fieldName(const FieldDifference& d) {
    return d.label.isEmpty() ? d.group : QStringLiteral("%1: %2").arg(d.group, d.label);
}

bool sameFamily(int32_t a, int32_t b) {
    return (a & kFamilyMask) == (b & kFamilyMask);
}

QString serialOrNone(const std::optional<int32_t>& identity) {
    return identity ? bus::serialText(*identity) : QStringLiteral("-");
}

} // namespace

QString entryTitle(const LinePlanEntry& entry) {
    return entry.title();
}

QString replacementOffer(const LinePlan& plan, const Row& row) {
    if (row.replaces < 0 || row.replaces >= plan.instruments.size()) return {};
    return QStringLiteral("Als Ersatz für %1 übernehmen").arg(entryTitle(plan.instruments.at(row.replaces)));
}

bool CheckResult::clean() const {
    if (scanStatus < 0) return false;
    return std::all_of(rows.begin(), rows.end(), [](const Row& r) { return r.state == State::Same; });
}

CheckResult check(LineAccess& access, const LinePlan& plan, const QString& planPath) {
    CheckResult result;
    const bus::ScanResult scanned = access.scan(plan.addresses());
    result.scanStatus = scanned.status;
    if (scanned.status < 0)
        result.scanFailure = access.errorText(scanned.status) +
                             (scanned.failedAt >= 0 ? QStringLiteral(" (Adresse %1)").arg(scanned.failedAt)
                                                    : QString());
    QHash<int16_t, bus::ScanRow> at;
    QSet<int32_t> onLine;
    for (const bus::ScanRow& r : scanned.rows) {
        at.insert(r.address, r);
        if (!r.collision) onLine.insert(r.identity);
    }
    QSet<int32_t> plannedSerials;
    for (const LinePlanEntry& e : plan.instruments)
        if (e.identity) plannedSerials.insert(*e.identity);

    for (int i = 0; i < plan.instruments.size(); ++i) {
        const LinePlanEntry& e = plan.instruments.at(i);
        Row row;
        row.address = e.address;
        row.planIndex = i;
        row.planned = e.identity;
        row.name = e.name;
        if (!at.contains(e.address)) {
            row.state = State::Missing;
            row.text = QStringLiteral("fehlt");
        } else if (const bus::ScanRow& found = at.value(e.address); found.collision) {
            row.state = State::Collision;
            row.text = found.collisionText();
        } else if (row.found = found.identity; e.identity && found.identity != *e.identity) {
            row.state = State::Other;
            row.text = QStringLiteral("anderes Gerät (Seriennummer %1 statt %2)")
                           .arg(bus::serialText(found.identity), serialOrNone(e.identity));
            // A new instrument in the place of one no longer on the line can take its place;
            // a planned instrument that only moved cannot.
            if (!onLine.contains(*e.identity) && !plannedSerials.contains(found.identity) &&
                sameFamily(found.identity, *e.identity))
                row.replaces = i;
        } else if (const lineplan::D20File d20 = lineplan::d20File(planPath, e); !d20.problem.isEmpty()) {
            row.state = State::Failed;
            row.fileFailed = true;
            row.text = d20.problem;
        } else {
            const Compared c = access.compare(e.address, d20.path);
            row.fileFailed = c.fileFailed;
            row.differences = c.differences;
            if (!c.ok) {
                row.state = State::Failed;
                row.text = c.failure;
            } else if (c.differences.isEmpty()) {
                row.state = State::Same;
                row.text = QStringLiteral("gleich");
            } else {
                row.state = State::Differs;
                QStringList names;
                for (const FieldDifference& d : c.differences)
                    names.append(fieldName(d));
                row.text = QStringLiteral("abweichend: ") + names.join(QStringLiteral(", "));
            }
        }
        result.rows.append(row);
    }

    // Instruments the plan does not list; one of a planned instrument's family may replace it
    // when that one answers nowhere on the line.
    QSet<int> offered;
    for (const Row& r : result.rows)
        if (r.replaces >= 0) offered.insert(r.replaces);
    QList<bus::ScanRow> extra;
    for (const bus::ScanRow& r : scanned.rows)
        if (!plan.at(r.address)) extra.append(r);
    std::sort(extra.begin(), extra.end(), [](const bus::ScanRow& a, const bus::ScanRow& b) {
        return a.address < b.address;
    });
    for (const bus::ScanRow& r : extra) {
        Row row;
        row.address = r.address;
        if (r.collision) {
            row.state = State::Collision;
            row.text = r.collisionText();
            result.rows.append(row);
            continue;
        }
        row.state = State::Unplanned;
        row.found = r.identity;
        row.name = r.hasName ? r.name : QString();
        row.text = QStringLiteral("nicht im Plan");
        for (int i = 0; i < plan.instruments.size() && !plannedSerials.contains(r.identity); ++i) {
            const LinePlanEntry& e = plan.instruments.at(i);
            if (result.rows.at(i).state != State::Missing || offered.contains(i)) continue;
            if (e.identity && (onLine.contains(*e.identity) || !sameFamily(*e.identity, r.identity))) continue;
            row.replaces = i;
            offered.insert(i);
            break;
        }
        result.rows.append(row);
    }
    return result;
}

namespace {

ProgramRow programmed(int16_t address, int32_t identity, const Programmed& p) {
    ProgramRow row;
    row.address = address;
    row.serial = bus::serialText(identity);
    row.result = p.result;
    row.outcome = p.outcome;
    row.differences = p.differences;
    return row;
}

ProgramRow refused(const Row& r, const QString& why) {
    ProgramRow row;
    row.address = r.address;
    row.serial = r.found != 0 ? bus::serialText(r.found) : QString();
    row.result = why;
    row.outcome = Programmed::Outcome::Differs;
    return row;
}

} // namespace

ProgramRow takeOver(LineAccess& access, LinePlan& plan, const QString& planPath, const Row& r) {
    LinePlanEntry& entry = plan.instruments[r.replaces];
    // The planned file first: an instrument is not moved for a configuration it cannot get.
    const lineplan::D20File d20 = lineplan::d20File(planPath, entry);
    if (!d20.problem.isEmpty()) {
        ProgramRow failed = refused(r, d20.problem);
        failed.outcome = Programmed::Outcome::FileFailed;
        return failed;
    }
    // Moved by its identity word, so the other instruments of the line stay where they are.
    if (r.address != entry.address) {
        if (const int16_t status = access.moveTo(r.found, entry.address); status < 0) {
            ProgramRow failed = refused(r, QStringLiteral("Adresse nicht geändert: ") + access.errorText(status));
            failed.outcome = Programmed::Outcome::Failed;
            return failed;
        }
    }
    int32_t identity = 0;
    const int16_t status = access.poll(entry.address, identity);
    if (status < 0 || identity != r.found) {
        ProgramRow failed = refused(r, status < 0 ? access.errorText(status)
                                                  : QStringLiteral("anderes Gerät, nicht programmiert"));
        failed.address = entry.address;
        failed.outcome = Programmed::Outcome::Failed;
        return failed;
    }
    ProgramRow done = programmed(entry.address, identity, access.program(entry.address, d20.path));
    // Only a verified instrument stands in the plan for the one it replaces.
    if (done.outcome == Programmed::Outcome::Verified) {
        done.result = QStringLiteral("ersetzt %1 (%2), %3")
                          .arg(entryTitle(entry), serialOrNone(entry.identity), done.result);
        entry.identity = identity;
    }
    return done;
}

// An instrument not begun because the user asked the run to stop.
ProgramRow stopped(const Row& r) {
    ProgramRow row = refused(r, QStringLiteral("nicht programmiert (abgebrochen)"));
    row.outcome = Programmed::Outcome::Stopped;
    return row;
}

ProgramResult program(LineAccess& access, LinePlan& plan, const QString& planPath, bool replace) {
    ProgramResult result;
    result.before = check(access, plan, planPath);
    for (const Row& r : result.before.rows) {
        const LinePlanEntry* entry = r.planIndex >= 0 ? &plan.instruments.at(r.planIndex) : nullptr;
        if (r.state == State::Differs && access.stopRequested()) {
            result.rows.append(stopped(r));
            continue;
        }
        switch (r.state) {
        case State::Same: {
            ProgramRow same = refused(r, QStringLiteral("gleich, nicht programmiert"));
            same.outcome = Programmed::Outcome::Verified;
            result.rows.append(same);
            break;
        }
        case State::Differs: {
            // The identity once more right before anything is written.
            int32_t identity = 0;
            const int16_t status = access.poll(r.address, identity);
            if (status < 0) {
                ProgramRow failed = refused(r, access.errorText(status));
                failed.outcome = Programmed::Outcome::Failed;
                result.rows.append(failed);
            } else if (entry->identity && identity != *entry->identity) {
                result.rows.append(refused(r, QStringLiteral("anderes Gerät, nicht programmiert")));
            } else if (const lineplan::D20File d20 = lineplan::d20File(planPath, *entry);
                       !d20.problem.isEmpty()) {
                // Changed on the disk since the check.
                ProgramRow failed = refused(r, d20.problem);
                failed.outcome = Programmed::Outcome::FileFailed;
                result.rows.append(failed);
            } else {
                result.rows.append(programmed(r.address, identity, access.program(r.address, d20.path)));
            }
            break;
        }
        case State::Failed: {
            ProgramRow failed = refused(r, r.text);
            failed.outcome = r.fileFailed ? Programmed::Outcome::FileFailed : Programmed::Outcome::Failed;
            result.rows.append(failed);
            break;
        }
        case State::Other:
        case State::Unplanned:
        case State::Missing:
        case State::Collision: {
            const bool takenOver =
                replace && std::any_of(result.before.rows.begin(), result.before.rows.end(), [&](const Row& o) {
                    return o.replaces >= 0 && (&o == &r || o.replaces == r.planIndex);
                });
            if (takenOver) break; // below
            const QString offer = replacementOffer(plan, r);
            result.rows.append(refused(r, offer.isEmpty() ? QStringLiteral("%1; nicht programmiert").arg(r.text)
                                                          : QStringLiteral("%1; nicht programmiert (%2: --replace)")
                                                                .arg(r.text, offer)));
            break;
        }
        }
    }
    if (!replace) return result;

    for (const Row& r : result.before.rows) {
        if (r.replaces < 0) continue;
        if (access.stopRequested()) {
            result.rows.append(stopped(r));
            continue;
        }
        const ProgramRow done = takeOver(access, plan, planPath, r);
        if (done.outcome == Programmed::Outcome::Verified) result.planChanged = true;
        result.rows.append(done);
    }
    std::stable_sort(result.rows.begin(), result.rows.end(),
                     [](const ProgramRow& a, const ProgramRow& b) { return a.address < b.address; });
    if (result.planChanged) {
        if (const filewriter::Result written = lineplan::write(planPath, plan); !written.ok)
            result.planFailure = written.reason;
    }
    return result;
}

QString d20Beside(const QString& planPath, int16_t address) {
    return QFileInfo(planPath).absoluteDir().filePath(
        QStringLiteral("Adresse_%1.d20").arg(address, 3, 10, QLatin1Char('0')));
}

QString ExistingFile::shown() const {
    const QString file = QDir::toNativeSeparators(path);
    return linkTarget.isEmpty()
               ? file
               : QStringLiteral("%1 (Verweis auf %2)").arg(file, QDir::toNativeSeparators(linkTarget));
}

// A dangling link counts: the writing would follow it and create its target, wherever that is.
std::optional<ExistingFile> existingFile(const QString& planPath, const QString& path) {
    const QFileInfo info(path);
    if (!info.isSymLink() && !info.exists()) return std::nullopt;
    ExistingFile file{path, {}, false};
    if (info.isSymLink()) {
        file.linkTarget = lineplan::resolvedPath(path);
        if (file.linkTarget.isEmpty()) file.linkTarget = info.symLinkTarget();
        file.outside = !lineplan::insideFolder(planPath, path);
    }
    return file;
}

MadePlan makePlan(LineAccess& access, const QString& planPath,
                  const std::function<bool(const QList<ExistingFile>&)>& overwrite,
                  const std::function<void(const Taken&)>& each) {
    MadePlan made;
    made.plan.port = access.port();
    made.plan.converter = access.converter();
    const bus::ScanResult scanned = access.scan({});
    if (scanned.status < 0) {
        made.scanStatus = scanned.status;
        made.failedAt = scanned.failedAt;
        return made;
    }
    QList<bus::ScanRow> rows = scanned.rows;
    made.answered = int(rows.size());
    if (rows.isEmpty()) return made;
    std::sort(rows.begin(), rows.end(), [](const bus::ScanRow& a, const bus::ScanRow& b) { return a.address < b.address; });
    // The files of another line in the same folder are not overwritten unasked, nor is anything a
    // link leads to.
    QList<ExistingFile> there;
    if (const std::optional<ExistingFile> plan = existingFile(planPath, planPath);
        plan && !plan->linkTarget.isEmpty())
        there.append(*plan);
    for (const bus::ScanRow& row : rows)
        if (!row.collision)
            if (const std::optional<ExistingFile> d20 =
                    existingFile(planPath, d20Beside(planPath, row.address)))
                there.append(*d20);
    if (!there.isEmpty() && !overwrite(there)) {
        made.kept = true;
        return made;
    }
    for (const bus::ScanRow& row : rows) {
        Taken t;
        t.address = row.address;
        if (row.collision) {
            t.failure = row.collisionText() + QStringLiteral("; nicht in den Plan übernommen");
        } else {
            t.identity = row.identity;
            t.name = row.hasName ? row.name : QString();
            const QString d20 = d20Beside(planPath, row.address);
            int16_t status = 0;
            const ModelEntry* model = access.fittingModel(row.address, row.identity, status);
            bool silent = false; // it answered the scan and failed since: the line is not as found
            if (status < 0) {
                t.failure = access.errorText(status);
                silent = true;
            } else if (!model) {
                t.failure = QStringLiteral("kein Gerätetyp passt; nicht in den Plan übernommen");
            } else if (access.save(row.address, *model, d20, t.failure, t.fileFailed)) {
                t.model = QString::fromUtf8(model->caption);
                t.d20File = lineplan::relativeD20(planPath, d20);
                made.plan.instruments.append({t.address, t.identity, t.name, t.model, t.d20File});
            } else {
                silent = !t.fileFailed;
            }
            if (silent) {
                made.readFailedAt = row.address;
                made.readFailure = t.failure;
            }
        }
        if (each) each(t);
        if (made.readFailedAt >= 0) break;
    }
    return made;
}

} // namespace line
