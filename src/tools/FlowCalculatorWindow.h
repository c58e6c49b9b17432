#pragma once

#include "config/Controls.h"
#include "config/Prompter.h"

#include <QChar>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>

class ConfigActions;

// The flow calculator `TForm1`: derives from a pulse-output flow sensor's data
// the frequency settings with which an instrument shows the flow, and hands
// them to the main window through its actions.
class FlowCalculatorWindow : public ModalWindow {
  public:
    // One result row: a bold row label and its value label.
    struct ResultRow {
        Label name;
        Label value;
    };

    // A read-only multi-line text.
    struct Memo : Control {
        QStringList lines;
    };

    // The computed settings, each as a single-precision value; F is whole.
    struct Calculation {
        float f = 0;   // sensor frequency at full scale, Hz
        int32_t F = 0; // f rounded up
        float V = 0;   // full-scale flow in the display unit
        float D = 0;   // display value at F
    };

    // `separator` is the system's decimal separator, used to read and write numbers.
    FlowCalculatorWindow(ConfigActions& mainWindow, Prompter& prompter, QChar separator);

    const char* windowClass() const override { return "TForm1"; }

    QString caption = QStringLiteral("TRK/DVN Durchflussmessung - Ermittlung der Einstellwerte");
    int clientWidth = 720;
    int clientHeight = 350;

    Label _lDaten_des_gebers;
    Label _lMessbereich_max;
    TextField eMax;
    ComboBox cbEinheit;
    Label _lAnzahl_der_Impulse_Liter;
    TextField eImpulszahl;
    ComboBox cbImpulsePro;
    Label _lAusgangssignal;
    ComboBox cbAusgangssignal;
    Label _lAnzeigeoptionen;
    Label _lAnzeigeeinheit;
    ComboBox cbAnzeigeeinheit;
    Label _lAnzahl_der_Dezimalstellen;
    ComboBox cbDp;

    Memo mKurzanleitung;

    Control pErgenisse;
    Label _lEinstellwerte;
    ResultRow inp, sens, frlo, frhi, dp, dilo, dihi, li, filt;

    Button bEinstellwerte_zeigen;
    Button bDurchFlussMessungEinstellungUebernehmen;
    Button bDurchFlussMessungEinstellungAbbrechen;
    // Set once "Übernehmen" filled the main window; any other way out hands nothing over.
    bool handedOver = false;

    // Events.
    void FormCreate();
    void eMaxChange(const QString& text);
    void eImpulszahlChange(const QString& text);
    void cbEinheitChange(int index);
    void cbImpulseProChange(int index);
    void cbAusgangssignalChange(int index);
    void cbAnzeigeeinheitChange(int index);
    void cbDpChange(int index);
    void bEinstellwerte_zeigenClick();
    void bDurchFlussMessungEinstellungUebernehmenClick();
    void bDurchFlussMessungEinstellungAbbrechenClick();

    // Actions.
    void aVorbelegung();
    void aEinstellwerteClear();
    // Computes and shows the settings; false when they cannot be used.
    bool aBerechnen();

    // The arithmetic alone: full-scale flow M in the unit of item `unit`, pulses
    // per litre P, display unit item `displayUnit`. Item indexes as in the lists.
    static Calculation calculate(float M, int unit, float P, int displayUnit);
    // Litres per second times this factor give the flow in the unit of item `index`.
    static float unitFactor(int index);

    std::array<ResultRow*, 9> rows() { return {&inp, &sens, &frlo, &frhi, &dp, &dilo, &dihi, &li, &filt}; }

  private:
    std::optional<float> positiveInput(const TextField& field, const Label& label);
    void overflow(const QString& text);
    void backToInputs();
    void hideFiltRow();

    ConfigActions& mainWindow;
    Prompter& prompter;
    QChar sep;
};
