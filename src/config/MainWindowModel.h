#pragma once

#include "config/Controls.h"
#include "config/ModelCatalogue.h"

#include <QList>

#include <array>
#include <cstdint>

// The main window `TMain` as plain state: one member per control, named as the
// control, plus the process-wide values the main window holds. Every action
// reads and writes only this object; the widget layer renders it.
struct MainWindowModel {
    MainWindowModel();

    // --- Window frame ---------------------------------------------------------
    QString caption;  // "TRK/DVN-Konfigurationsprogramm"
    int clientWidth = 732;
    int clientHeight = 507;
    Control Panel1;
    Label lMainCaption;
    StatusBar StatusBar1;
    // Progress of a bus run, shown over the status bar's last panel while the run lasts.
    // max 0: the number of exchanges is not known yet.
    struct BusProgress {
        bool visible = false;
        int position = 0;
        int max = 0;
        bool operator==(const BusProgress&) const = default;
    } pbBusRun;

    // --- Extended configuration group ------------------------------------------
    GroupBox gb_ErweiterteKonfiguration;
    Label l_Erw_Allgemein, l_Erw_Alarm, l_Erw_Schaltfunktion1, l_Erw_Schaltfunktion2;
    TextField e_erw_Allgemein, e_erw_Alarm, e_erw_Schaltfunktion1, e_erw_Schaltfunktion2;
    Button b_erw_Anzeigen;

    // --- Radio groups ------------------------------------------------------------
    RadioGroup rgInput;
    RadioGroup rgOutput;
    RadioGroup rgReglerFunktion;
    RadioGroup rgSensor;

    // --- Settings group "Einstellwerte" -----------------------------------------
    GroupBox gpAnzeigeElemente;
    Label lAnzeigeDp;
    ComboBox cpAnzeigeDp;
    Label lAnzeigeLow;
    NumericField neAnzeigeLow;
    Label lAnzeigeHigh;
    NumericField neAnzeigeHigh;
    Label l_AnzeigeEinheit;
    ComboBox cb_AnzeigeEinheit;
    Label lLimit;
    ComboBox cbLimit;
    Label lFilter_or_edge;
    NumericField neFilter;
    TextField teFilter;
    Label lMessbereichLow;
    NumericField neMessbereichLow;
    Label lMessbereichHigh;
    NumericField neMessbereichHigh;
    Label lVorteiler;
    NumericField neVorteiler;
    Label lAnzeigeUnit;
    ComboBox cbAnzeigeUnit;
    Label lAnzeigeMessart;
    ComboBox cbAnzeigeMessart;
    Label lEdge;
    ComboBox cbEdge;

    // --- Switching output 1 --------------------------------------------------------
    GroupBox gpOut1Parameter;
    Label lOut1Einschaltpunkt, lOut1Ausschaltpunkt, lOut1Delay, lOut1Vorzugslage, lOut1Mode;
    NumericField neOut1Einschaltpunkt, neOut1Ausschaltpunkt, neOut1Delay;
    ComboBox cbOut1Vorzugslage, cbOut1Mode;

    // --- Switching output 2 or alarm output ----------------------------------------
    GroupBox gpOut2Parameter;
    Label lOut2Einschaltpunkt, lOut2Ausschaltpunkt, lOut2Delay, lOut2Vorzugslage, lOut2Mode;
    NumericField neOut2Einschaltpunkt, neOut2Ausschaltpunkt, neOut2Delay;
    ComboBox cbOut2Vorzugslage, cbOut2Mode;

    // --- Analog output -------------------------------------------------------------
    GroupBox gpAnalogOut1;
    ComboBox cbStromAusgang;
    Label gpAnalogOut1DAWlo, gpAnalogOut1DAWhi, gpAnalogOut1DAWerr, l_Out1DAFilter;
    NumericField neDAC_Low, neDAC_High, neDAFilter;
    ComboBox cbAnalogOut1Vorzugslage;

    // --- PID controller ------------------------------------------------------------
    GroupBox gpPIDRegler;
    Label lPID_SP1, lPID_Proportional, l_PIDIntegral, lPID_Derivation, l_PID_CyC, lPIDdur, lPIDthr,
        lPID_Vorzugslage;
    NumericField nePID_SP1, nePID_Proportional, ne_PIDIntegral, nePID_Derivation, nePID_CyC, nePIDdur,
        nePIDthr;
    ComboBox cbPID_Vorzugslage;

    // --- Menus ---------------------------------------------------------------------
    // "&Datei"
    MenuItem mmDatei, miDatenspeichern, lesen1, Beenden;
    // the configuration sheet, after "&Beenden"
    MenuItem miKonfigurationsblattDrucken, miKonfigurationsblattPdf;
    // "&Konfiguration"
    MenuItem mmKonfiguration, Datenlesen1, Konfigurationlesen1, miKonfigurationprogrammieren1;
    // Steps back and forth through the window's configurations, after the items above
    MenuItem miRueckgaengig, miWiederholen;
    // "Nach dem Programmieren prüfen": programming reads the instrument back (checked by default)
    MenuItem miPruefenNachProgrammieren;
    // "&Typ": one item per model, in catalogue order
    MenuItem mmTyp;
    MenuItem modelItems[kModelCount];
    // "&Schnittstelle"
    MenuItem Schnittstelle, mmSelectedComPort, Portauswahl1;
    // "&Wandler"
    MenuItem MainMenueWandler, MainMenueWandlerItem0, MainMenueWandlerItem1, MainMenueWandlerItem2,
        MainMenueWandlerItem3;
    // "&Extras"
    MenuItem mmExtras, MainMenueExtrasAnzeigeeinheit, MainMenueExtras_ErweiterteKonfiguration,
        MainMenueExtrasAdresseSetzen, mmExtras_GeraeteNamenZuweisen, MainMenueExtras_SelectAddress,
        MainMenueDurchflussMessung, MainMenueExtras_Busmonitor, MainMenueExtras_Vergleichen,
        MainMenueExtras_BusDurchsuchen, MainMenueExtras_Anlage, MainMenueExtras_Geraetearchiv;
    // "&Messwert anzeigen…": the live value window, after the items above
    MenuItem MainMenueExtras_MesswertAnzeigen;
    // "&Hilfe"
    MenuItem MainMenuHilfe, MainMenueQM, MainMenueUeber, _mHilfe_Kurzanleitung;
    MenuItem _mHilfe_HandbuchPdf; // the printable edition

    // Popup of `rgSensor`
    MenuItem pm_MessbereichAnzeigen;

    // --- Timer ---------------------------------------------------------------------
    bool t_StatusLeisteEnabled = false;
    int t_StatusLeisteInterval = 2500;

    // --- Process-wide values ----------------------------------------------------------
    int32_t modelCode = 0;
    bool hasAnalogOutput = false;
    bool hasCurrentOutput = false;
    bool hasVoltageOutput = false;
    bool hasPidController = false;
    bool hasContinuousOutput = false;

    int16_t comPort = -1;
    int16_t converterCode = 0;
    int16_t busAddress = -1;
    // The address stands as chosen, 0 included (an instrument of a line at its planned
    // address); otherwise an address below 1 is asked from the bus first.
    bool addressChosen = false;

    // Identification results
    bool deviceMismatch = false;
    bool deviceRelayOnly = false;
    bool deviceHasAnalogOutput = false;
    bool deviceHasPidOption = false;
    bool devicePidActive = false;
    double deviceVersion = 0.0;
    uint16_t expectedFeatures = 0;
    // Identity word the last identification, readout or programming heard (0: none heard).
    int32_t deviceIdentity = 0;

    // The extended words as the last transfer read them from an instrument: its identity word
    // and each word in the order General, Alarm, Switching function 1 and 2 (-1: not read).
    struct WordsRead {
        int32_t identity = 0;
        std::array<int, 4> words{-1, -1, -1, -1};
        bool operator==(const WordsRead&) const = default;
    } extendedWordsRead;

    // Extended configuration
    bool extendedConfigUnlocked = false;
    bool unlockedForSessionOnly = false;
    bool lastExtendedConfigChecked = false;
    bool extendedConfigWriteMismatch = false;

    bool inputKindChanged = false;

    // Where the configuration in the window came from, for the configuration sheet: the
    // last readout or file load. "&Neu" and a change of model clear it.
    struct ConfigSource {
        enum class Kind { None, Instrument, File };
        Kind kind = Kind::None;
        // Instrument: what the readout learned of it.
        int16_t port = -1;
        int16_t address = -1;
        int32_t identity = 0;
        double firmware = 0.0;
        bool hasName = false; // the name was asked for separately (the readout does not ask)
        QString name;
        // File: its path and the header's date and comment.
        QString fileName;
        QString fileDate;
        QString comment;
        bool operator==(const ConfigSource&) const = default;
    } source;

    // Member by member, the program's state included; `UndoHistory` compares configurations only.
    bool operator==(const MainWindowModel&) const = default;

    // --- Queries ---------------------------------------------------------------------
    MenuItem& modelItem(ModelId id) { return modelItems[static_cast<int>(id)]; }
    const MenuItem& modelItem(ModelId id) const { return modelItems[static_cast<int>(id)]; }
    bool isChecked(ModelId id) const { return modelItem(id).checked; }
    // The model whose "&Typ" item is checked; nullptr when none is.
    const ModelEntry* checkedModel() const;

    // Lookup by component name, for tests, dialogs and the widget layer.
    Control* control(const QString& name);
    NumericField* numericField(const QString& name);
    MenuItem* menuItem(const QString& name);

    // The controls as the control table lists them (ControlTable.h).
    QList<Control*> controls();
    // The twenty-two numeric fields.
    QList<NumericField*> numericFields();
    QList<MenuItem*> menuItems();

    // --- Keyboard (TabOrder.cpp) ------------------------------------------------------
    // The controls Tab visits, in the order they stand on screen: the frames (groups and
    // radio groups) top to bottom and, side by side, left to right; inside a group its rows
    // top to bottom and left to right. Hidden or disabled controls and frames are left out.
    QList<Control*> tabOrder();
    // Where the focus goes when the window opens: the first control in tab order that a
    // stray Space cannot change (a list or a button); null when none is shown.
    Control* firstFocus();
};
