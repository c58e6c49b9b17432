#include "app/ExtendedWordsWindow.h"

namespace {

struct BitText {
    const char* caption;
    const char* hint; // nullptr: the reserved-bit hint
    bool visible;
};

constexpr const char* kUnknown = "Unbekannte Funktion";

constexpr BitText kGeneral[8] = {
    {"Relais Vertauscht",
     "Zuordnung der Relais zu den Schaltfunktionen ist vertauscht.\n   Setzen dieser Funktion ist nur bei "
     "Geräten mit 2 Schalt-Ausgängen sinnvoll!\n   Besitzt das Gerät nur 1 Relais kann das Setzen dieser "
     "Funktion zu einen Fehlverhlaten des Gerätes führen!",
     true},
    {"Tara-Funktion", "Tara-Funktion aktiviert.", true},
    {"Tara-Funktion speichernd", "Tara-Funktion bleibt nach Stromausfall weiter erhalten.", true},
    {"60 Hz Versorgung", "Optimierung der Netzbrumm-Unterdrückung für 60Hz.", true},
    {"Ausgangs-Konfiguration von vorne",
     "Konfiguration des Ausgangs durch drücken von Taste 1 und Taste 4 für >2 sec. aufrufbar.", true},
    {"Eingangs-Konfiguration von vorne",
     "Konfiguration des Mess-Eingangs durch drücken von Taste 2 und Taste 4 für >2 sec. aufrufbar.", true},
    {"Offset/Scale-Konfiguration von vorne",
     "Offset- und Steigungskorrektur durch drücken von Taste 3 und Taste 4 für >2 sec. aufrufbar.", true},
    {"XAO-Konfiguration von vorne",
     "Konfiguration des Analog-Ausgangs durch drücken von Taste 1 und Taste 3 für >2 sec. aufrufbar.", true},
};

constexpr BitText kAlarm[8] = {
    {"Einstellungen nicht veränderbar",
     "Die Einstellung der Alarmpunkte ist im Sollwert-Menü gesperrt.\nDie Werte können nur angezeigt "
     "werden.\nDie Einstellung ist weiterhin in der Konfiguration für die Ausgangsfunktion möglich.",
     true},
    {"speichernd",
     "Die anstehende Alarmbedingung wird gespeichert.\nDas Gerät setzt somit seinen Alarm nicht automatisch "
     "zurück wenn die Alarmbedingung nicht mehr ansteht.\nDer Alarm muss durch drücklen von Taste 4 für 2 "
     "sec. zurückgesetzt werden.",
     true},
    {"quittierbar",
     "Der Alarm kann durch 2 sec. langes drücken von Taste 4 quittiert werden.\nBeim Quittieren nimmt der "
     "Schaltausgang sofort wieder seinen Normalzustand ein.\nSteht die Alarmbedingung weiterhin an, blinken "
     "die Alarm-LEDs.\nIst die Alarmbedingung vorüber, erlöschen die LEDs\nund das Gerät verhält sich "
     "wieder normal.",
     true},
    {"relativ zum Sollwert",
     "(Nur in Verbindung mit Schaltpunkt und Hysterese)\nDie Eingabe der Alarmpunkte erfolgt relativ zum "
     "Sollwert 1.\nEine Veränderung des Sollwertes hat auch eine Verschiebung der Alarmgrenzen zur Folge.",
     true},
    {"Ausgang nicht invertiert",
     "Der Ausgang für den Alarm wird nicht invertiert. Der Schaltausgang ist somit aktiv wenn kein Alarm "
     "ansteht.",
     true},
    {"bei Neustart unterdrückt",
     "Beim Geräteneustart wird eine Alarmbedingung so lange unterdrückt, bis diese vorüber ist.\nEine "
     "Ausgabe der Start-Alarmbedingung erfolgt nicht!",
     true},
    {"Verzögerung nicht aufsummierend",
     "Die Zeit für die Alarmverzögerung beginnt ab Anstehen der Alarmbedingung von null an zu laufen.\nDer "
     "Alarm wird ausgelöst, wenn die Alarmbedingung für die eingestellte Verzögerungszeit "
     "ansteht.\nNormalerweise arbeitet die Verzögerung mit einem Auf-/Abwärtszähler,\nso dass ein Alarm "
     "früher ausgelöst wird, wenn kurz zuvor bereits ein Alarm anstand.",
     true},
    {kUnknown, nullptr, false},
};

// Bits 0 to 3 mean the same in both switching functions.
constexpr BitText kSwitchingCommon[4] = {
    {"Einstellungen nicht veränderbar",
     "Die Einstellungen der Schaltpunkte ist im Sollwert-Menü gespeichert.\nDie werte können jedoch nur "
     "angezeigt werden.\nDie Einstellung ist weiterhin in der Konfiguration für die Ausgangsfunktion "
     "möglich.",
     true},
    {"Schaltpunkt und Hysterese",
     "Es wird für die Schaltfunktion anstelle von Ein- und Ausschaltpunkt der Sollwert und Hysterese "
     "angegeben.\n Es wird im Menü anstelle von #.on #.SP und anstelle vonn #.off #.hSt angezeigt.",
     true},
    {"Sollwert-Einstellung begrenzt",
     "(nur in Verbindung mit Schaltpunkt und Hysterese)\nDie Einstellung des Schaltpunktes 1 wird auf eine "
     "wählbare Grenze eingeschränkt.\nIn der Konfiguration für die Ausgangsfunktion stehen nun 2 "
     "zusätzliche Punkte.\n SP#.H und SP#.L",
     true},
    {"nur Schaltpunkt anzeigen",
     "(nur in Verbindung mit Schaltpunkt und Hysterese)\nDie Einstellung von Schaltpunkt und Hysterese wird "
     "im Sollwert-Menü nicht angezeigt.\nDie Einstellung ist weiterhin in der Konfiguration für die "
     "Ausgangsfunktion möglich.",
     true},
};

constexpr BitText kSwitching1Upper[4] = {
    {"PID-Regelfunktion",
     "(nur vorhanden bei TRK 520 PID)\nDas Gerät verhält sich nach dem Löschen dieser Wertigkeit wie ein "
     "Regler ohne PID-Regelung!",
     true},
    {"Stetigausgang",
     "(nur vorhanden bei TRK 520 PID mit Option ST)\nDas Gerät verwendet den Ausgang nicht mehr als "
     "Stetigausgang sondern als Analogausgang.",
     true},
    {kUnknown, nullptr, false},
    {kUnknown, nullptr, false},
};

const BitText& bitText(int word, int bit) {
    static const BitText unknown{kUnknown, nullptr, false};
    switch (word) {
    case ExtendedWordsWindow::General:
        return kGeneral[bit];
    case ExtendedWordsWindow::Alarm:
        return kAlarm[bit];
    case ExtendedWordsWindow::Switching1:
        return bit < 4 ? kSwitchingCommon[bit] : kSwitching1Upper[bit - 4];
    default: // switching function 2 has no controller bits
        return bit < 4 ? kSwitchingCommon[bit] : unknown;
    }
}

struct PanelDesign {
    const char* name;
    const char* label;
    const char* labelName;
    const char* bitPrefix;
    int left;
    int top;
};

// 2 x 2: general and alarm on top, the switching functions below.
constexpr PanelDesign kPanels[ExtendedWordsWindow::kWordCount] = {
    {"_iAlarmkonfiguration", "Allgemein", "l_Allgemein", "cb_Allgemein_Bit_", 8, 8},
    {"p_Alarmkonfiguration", "Alarm", "l_Alarm", "cb_Alarm_Bit", 232, 8},
    {"p_Schaltfunktion1", "Schaltfunktion 1", "l_Schaltfunktion1", "cb_Schaltfunktion1_Bit", 8, 178},
    {"p_Schaltfunktion2", "Schaltfunktion 2", "l_Schaltfunktion2", "cb_Schaltfunktion2_Bit", 232, 178},
};
constexpr int kPanelWidth = 217;
// Eight rows of boxes and the frame below the last one.
constexpr int kPanelHeight = 166;
constexpr int kFirstBoxTop = 22;
constexpr int kBoxStep = 17;

} // namespace

ExtendedWordsWindow::ExtendedWordsWindow() {
    for (int w = 0; w < kWordCount; ++w) {
        const PanelDesign& d = kPanels[w];
        WordPanel& p = panels[w];
        p.name = QLatin1String(d.name);
        p.geometry = {d.left, d.top, kPanelWidth, kPanelHeight};
        p.label.name = QLatin1String(d.labelName);
        p.label.caption = QString::fromUtf8(d.label);
        p.label.geometry = {8, 4, kPanelWidth - 16, 16};
        for (int b = 0; b < 8; ++b) {
            CheckBox& box = p.bits[b];
            box.name = QLatin1String(d.bitPrefix) + QString::number(b);
            box.caption = QString::fromUtf8(bitText(w, b).caption);
            box.visible = bitText(w, b).visible;
            box.geometry = {8, kFirstBoxTop + b * kBoxStep, kPanelWidth - 12, kBoxStep};
        }
    }
    b_OK.name = QStringLiteral("b_OK");
    b_OK.caption = QStringLiteral("OK");
    b_OK.geometry = {144, 351, 75, 25};
    b_Abbrechen.name = QStringLiteral("b_Abbrechen");
    b_Abbrechen.caption = QStringLiteral("Abbrechen");
    b_Abbrechen.geometry = {238, 351, 75, 25};
}

const QString& ExtendedWordsWindow::reservedHint() {
    static const QString text = QStringLiteral(
        "Derzeit keine Funktion, sollte auch nicht vorhanden sein!\nFalls doch, bitte nicht setzen, da dies "
        "zu Fehlfunktionen des Gerätes führen könnte");
    return text;
}

void ExtendedWordsWindow::FormActivate() {
    aHint_Activate();
    aHint_TextSetzen();
    // Hidden boxes are set too, so a bit without a meaning here survives OK.
    for (WordPanel& p : panels) {
        for (int b = 0; b < 8; ++b)
            p.bits[b].checked = (p.word >> b) & 1;
    }
}

void ExtendedWordsWindow::setChecked(int word, int bit, bool checked) {
    if (word < 0 || word >= kWordCount || bit < 0 || bit >= 8) return;
    WordPanel& p = panels[word];
    if (!p.enabled || !p.bits[bit].enabled || !p.bits[bit].visible) return;
    p.bits[bit].checked = checked;
}

void ExtendedWordsWindow::b_OKClick() {
    for (WordPanel& p : panels) {
        uint16_t word = 0;
        for (int b = 0; b < 8; ++b) {
            if (p.bits[b].checked) word |= static_cast<uint16_t>(1u << b);
        }
        p.word = word;
    }
    modalResult = Result::Ok;
    closeRequested = true;
}

void ExtendedWordsWindow::b_AbbrechenClick() {
    modalResult = Result::Cancel;
    closeRequested = true;
}

void ExtendedWordsWindow::aHint_Activate() {
    for (WordPanel& p : panels) {
        for (CheckBox& box : p.bits)
            box.showHint = true;
    }
}

void ExtendedWordsWindow::aHint_Deactivate() {
    for (WordPanel& p : panels) {
        for (CheckBox& box : p.bits)
            box.showHint = false;
    }
}

void ExtendedWordsWindow::aHint_TextSetzen() {
    for (int w = 0; w < kWordCount; ++w) {
        for (int b = 0; b < 8; ++b) {
            const char* hint = bitText(w, b).hint;
            panels[w].bits[b].hint = hint ? QString::fromUtf8(hint) : reservedHint();
        }
    }
}
