#include "files/D20Reader.h"

#include "config/NumberFormat.h"

#include "files/D20Format.h"
#include "files/TaggedValue.h"
#include "files/WordReader.h"

namespace {

using M = MainWindowModel;

// Input kinds that carry the display unit extra: voltage, current and interface mode.
// One entry of the data part: an item index or a field text, and the click a
// radio group runs when the user selects an item.
struct Slot {
    ItemList M::*list = nullptr;
    NumericField M::*field = nullptr;
    void (ConfigActions::*click)() = nullptr;
    bool clickWithoutSelection = false;
};

Slot list(ItemList M::*l) {
    return {l, nullptr, nullptr, false};
}
Slot field(NumericField M::*f) {
    return {nullptr, f, nullptr, false};
}
Slot group(ItemList M::*l, void (ConfigActions::*click)(), bool always = false) {
    return {l, nullptr, click, always};
}

// Entries D3 to D39, in file order.
const Slot kSlots[] = {
    // A new input kind resets everything that depends on it, even without a selection.
    group(&M::rgInput, &ConfigActions::rgInputClick, true),
    group(&M::rgSensor, &ConfigActions::rgSensorClick),
    list(&M::cpAnzeigeDp),
    field(&M::neAnzeigeHigh),
    field(&M::neAnzeigeLow),
    list(&M::cbLimit),
    field(&M::neFilter),
    field(&M::neMessbereichHigh),
    field(&M::neMessbereichLow),
    field(&M::neVorteiler),
    list(&M::cbAnzeigeUnit),
    list(&M::cbAnzeigeMessart),
    list(&M::cbEdge),
    group(&M::rgOutput, &ConfigActions::rgOutputClick),
    field(&M::neOut1Einschaltpunkt),
    field(&M::neOut1Ausschaltpunkt),
    field(&M::neOut1Delay),
    list(&M::cbOut1Mode),
    list(&M::cbOut1Vorzugslage),
    field(&M::neOut2Einschaltpunkt),
    field(&M::neOut2Ausschaltpunkt),
    field(&M::neOut2Delay),
    list(&M::cbOut2Mode),
    list(&M::cbOut2Vorzugslage),
    list(&M::cbStromAusgang),
    field(&M::neDAC_High),
    field(&M::neDAC_Low),
    list(&M::cbAnalogOut1Vorzugslage),
    field(&M::neDAFilter),
    group(&M::rgReglerFunktion, &ConfigActions::rgReglerFunktionClick),
    field(&M::nePID_SP1),
    field(&M::nePID_Proportional),
    field(&M::ne_PIDIntegral),
    field(&M::nePID_Derivation),
    field(&M::nePID_CyC),
    field(&M::nePIDdur),
    field(&M::nePIDthr),
};

} // namespace

D20Reader::D20Reader(ConfigActions& actions, Prompter& p, QChar separator)
    : a(actions), m(actions.model()), prompter(p), sep(separator) {}

namespace {

// A header value as the load question shows it: a value of any length would make
// the box larger than the screen, its buttons out of reach.
QString shown(const QString& label, const QString& value) {
    constexpr int kShownLength = 120;
    const QString cut = value.size() > kShownLength ? value.left(kShownLength - 1) + QChar(0x2026) : value;
    return label + QStringLiteral(": ") + cut + QLatin1Char('\n');
}

} // namespace

D20Reader::Header D20Reader::header(const QByteArray& fileBytes) {
    Header h;
    h.information = QStringLiteral("Datei-Informationen:\n");
    QString value;
    if (readTaggedValue(QStringLiteral("Datum"), value, fileBytes) >= 0)
        h.information += shown(QStringLiteral("Datum"), value);
    if (readTaggedValue(QStringLiteral("BenutzerName"), value, fileBytes) >= 0 &&
        value != QLatin1String("unknown"))
        h.information += shown(QStringLiteral("BenutzerName"), value);
    if (readTaggedValue(QStringLiteral("Kommentar"), value, fileBytes) >= 0)
        h.information += shown(QStringLiteral("Kommentar"), value);
    if (readTaggedValue(QStringLiteral("BEGIN"), value, fileBytes) >= 0) {
        h.hasVersion = true;
        h.information += shown(QStringLiteral("Datei Version"), value);
    }
    return h;
}

void D20Reader::skipHeader(WordReader& words) {
    QString word;
    while (words.next(word)) {
        if (word.contains(QLatin1String("</BEGIN>"))) return;
    }
}

std::optional<QChar> D20Reader::declaredSeparator(const QByteArray& fileBytes) {
    WordReader words(fileBytes);
    if (header(fileBytes).hasVersion) skipHeader(words);
    QString first;
    if (!words.next(first)) return std::nullopt;
    const int format = NumberFormat::toInteger(first).value_or(0);
    for (const int32_t family : {kFamilyTrk520, kFamilyDvn20})
        for (const QChar sep : {QLatin1Char(','), QLatin1Char('.')})
            if (format == d20::formatWord(family, sep)) return sep;
    return std::nullopt;
}

namespace {
// A separator as words: a lone "." or "," is easily overlooked in a message.
QString separatorName(QChar sep) {
    return sep == QLatin1Char(',') ? QStringLiteral("Komma (,)") : QStringLiteral("Punkt (.)");
}
} // namespace

QString D20Reader::separatorMismatchText(QChar fileSeparator, QChar programSeparator) {
    return QStringLiteral("Die Datei wurde mit dem Dezimaltrenner %1 gespeichert, das Programm ist auf "
                          "%2 eingestellt.\nDie Datei wird nicht geladen.")
        .arg(separatorName(fileSeparator), separatorName(programSeparator));
}

void D20Reader::fail(const QString& text) {
    prompter.show(text, QStringLiteral("Fehler"), Prompter::Icon::Error);
}

bool D20Reader::nextWord(WordReader& words, QString& word) {
    if (words.next(word)) return true;
    fail(QStringLiteral("Die Datei ist unvollständig, das Laden wurde abgebrochen."));
    return false;
}

bool D20Reader::nextInteger(WordReader& words, int& value) {
    QString word;
    if (!nextWord(words, word)) return false;
    const std::optional<int> v = NumberFormat::toInteger(word);
    if (!v) {
        constexpr int kShown = 40; // a damaged file may hold words of any length
        const QString shown = word.size() > kShown ? word.left(kShown) + QStringLiteral("...") : word;
        fail(NumberFormat::integerErrorText(shown));
        return false;
    }
    value = *v;
    return true;
}

D20Reader::Result D20Reader::read(WordReader& words) {
    noModel = false;
    QString first;
    words.next(first);
    const int format = NumberFormat::toInteger(first).value_or(0);
    if (format == d20::formatWord(kFamilyTrk520, sep)) {
        int code = 0;
        if (!nextInteger(words, code)) return Result::Damaged;
        if (code == d20::kNoModelCode) {
            for (MenuItem& item : m.modelItems)
                item.checked = false;
            noModel = true;
        } else {
            a.selectModel(catalogue::modelForFileCode(code)->id);
        }
    } else if (format == d20::formatWord(kFamilyDvn20, sep)) {
        a.selectModel(ModelId::DVN20TB);
    } else {
        return Result::Rejected;
    }

    for (const Slot& slot : kSlots) {
        if (slot.field) {
            QString text;
            if (!nextWord(words, text)) return Result::Damaged;
            (m.*slot.field).text = text;
            continue;
        }
        int index = 0;
        if (!nextInteger(words, index)) return Result::Damaged;
        ItemList& l = m.*slot.list;
        l.setItemIndex(index);
        if (slot.click && (slot.clickWithoutSelection || l.itemIndex >= 0)) (a.*slot.click)();
    }

    // The controller's preferred state is stored as its item text.
    QString preferred;
    if (!nextWord(words, preferred)) return Result::Damaged;
    const int at = m.cbPID_Vorzugslage.items.indexOf(preferred);
    if (at >= 0) m.cbPID_Vorzugslage.setItemIndex(at);

    int unitShown = 0;
    if (!nextInteger(words, unitShown)) return Result::Damaged;
    m.MainMenueExtrasAnzeigeeinheit.checked = unitShown != 0;
    // Without the display unit extra this word is the "-1" placeholder, which clears the unit.
    int unit = -1;
    if (!nextInteger(words, unit)) return Result::Damaged;
    a.aPopulateAnzeigeEinheit();
    // Any other word there would select a unit the row hides, which the next save drops again.
    m.cb_AnzeigeEinheit.setItemIndex(unitShown != 0 ? unit : -1);
    showUnitRow();

    a.aSetAll();
    m.rgInput.visible = !noModel;
    return Result::Loaded;
}

void D20Reader::showUnitRow() {
    // As the menu item itself would show it for the loaded input kind.
    const bool shown = m.MainMenueExtrasAnzeigeeinheit.checked && ConfigActions::hasDisplayUnitRow(m.rgInput.itemIndex);
    m.l_AnzeigeEinheit.visible = shown;
    m.cb_AnzeigeEinheit.visible = shown;
}

bool D20Reader::applySpecialFunctions(const QByteArray& fileBytes) {
    QString value;
    if (readTaggedValue(QStringLiteral("SPECIALFUNCTIONS"), value, fileBytes) < 0) return false;
    const std::pair<const char*, TextField M::*> words[] = {
        {"ALLGEMEIN", &M::e_erw_Allgemein},
        {"ALARM", &M::e_erw_Alarm},
        {"SCHALTFUNKTION_1", &M::e_erw_Schaltfunktion1},
        {"SCHALTFUNKTION_2", &M::e_erw_Schaltfunktion2},
    };
    for (const auto& [tag, field] : words) {
        if (readTaggedValue(QLatin1String(tag), value, fileBytes) >= 0) (m.*field).text = value;
    }
    if (m.extendedConfigUnlocked)
        a.aMakeSpecialFunktionsEnabled();
    else
        a.aMakeSpecialFunktionsDisabled();
    m.MainMenueExtras_ErweiterteKonfiguration.checked = true;
    return true;
}
