#pragma once

#include "config/MainWindowModel.h"
#include "config/Prompter.h"

#include <QChar>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// What the field and layout rules need from outside the window state.
struct ConfigEnvironment {
    Prompter* prompter = nullptr;
    // Reads "DezimalPunktTrenner" from the settings store; nullopt when the
    // read failed (the store has then reported it).
    std::function<std::optional<QChar>()> readSeparator;
    // The bus library's unit texts for the display unit extra (codes 0-199,
    // blanks and "?" left out); empty when the library is not available.
    std::function<QStringList()> unitTexts;
    // Folder the program runs in.
    QString currentDirectory;
    // Folder of the manuals; empty means "Manual" below the current directory.
    QString manualFolder;
};

// The main window's actions on its controls: model selection, field rules,
// controller rules and layout. Everything here is headless; the widget layer
// only renders `model` and forwards events to these methods or to the
// handlers of the application layer.
class ConfigActions {
public:
    ConfigActions(MainWindowModel& model, ConfigEnvironment env);

    MainWindowModel& model() { return m; }
    // "Repaint the status bar": counted in the model and shown at once by everyone listening.
    void repaintStatusBar();
    // Whoever shows the status bar (a window, a terminal's progress line) hears each repaint,
    // also in the middle of a blocking bus run, for as long as it keeps the returned handle.
    using Listening = std::shared_ptr<void>;
    [[nodiscard]] Listening onStatusBarRepaint(std::function<void()> repaint);

    // --- Model catalogue: selection (ModelSelection.cpp) -------------------------------
    void selectModel(ModelId id);          // the selection sequence of every "&Typ" handler
    void menuModelClick(const QString& menuItemName); // the twelve handlers by component name
    void restoreStoredModel(int32_t code); // step 3 of applying the stored settings

    // A click on an item of `rgInput`, `rgSensor`, `rgOutput` or `rgReglerFunktion`: the
    // group's click handler runs after a change of selection only, so clicking the item
    // already checked resets nothing.
    void radioItemClick(RadioGroup& group, int index);

    // --- Input and sensor (InputRules.cpp) -------------------------------------------------
    void rgInputClick();
    void rgSensorClick();
    void cpAnzeigeDpChange();
    void numericFieldExit();  // leaving any numeric field, leaving/changing `cbAnzeigeUnit`
    void numericFieldEnter(); // Enter (13) in any numeric field
    // Key press in `teFilter`: returns true when the key is taken (the text may have changed).
    bool teFilterKeyPress(QChar key);
    void teFilterExit();
    void pm_MessbereichAnzeigenClick();
    void MainMenueExtrasAnzeigeeinheitClick();
    // Input kinds whose settings show the display unit extra while it is switched on.
    static bool hasDisplayUnitRow(int inputKind);
    void aPopulateAnzeigeEinheit();

    void aSetInput();
    void aSetSensor();
    // The rows of the frequency input ("Frequenz"), without choosing it.
    void aOberflaecheFrequenz();
    void aSetDp();
    void aSetUnit();
    void aSetVorteiler();
    void aSetMessbereichLow();
    void aSetMessbereichHigh();
    void aSetAnzeigeHigh();
    void aSetAnzeigeLow();
    void aSetFilter();

    // Field clamp rule: lower/upper either as display counts or as numbers.
    void clampCounts(NumericField& f, int lowCounts, int highCounts);
    void clampValue(NumericField& f, double low, double high);
    // Empty field: the notice and 0 (shared by the clamp rule and the readout).
    void emptyFieldNotice(NumericField& f, const QString& nameInMessage);
    // Cached "DezimalPunktTrenner"; the locale's as set into `neFilter` when unreadable.
    QChar separator();
    QChar separatorFor(const NumericField& f); // same, falling back to the field's own `Seperator`
    // A field's value as the clamp rule reads it: either separator, 0 when it holds no number.
    double fieldValue(const NumericField& f);
    void resetSeparatorCache();

    // --- Outputs (OutputRules.cpp) -------------------------------------------------------
    void rgOutputClick();
    void aSetOutput();
    void aFormatXAOOut();
    void aSetOut1Einschaltpunkt();
    void aSetOut1Ausschaltpunkt();
    void aSetOut1Delay();
    void aSetOut2Einschaltpunkt();
    void aSetOut2Ausschaltpunkt();
    void aSetOut2Delay();
    void Action1();
    void saveAndProgramRule();
    bool configurationComplete() const;
    // A shown list that programming would send without a selection; nullptr when every one
    // has its item. The rules select an item in every list they show, so an empty one came
    // from elsewhere: a readout answer the list lacks, a window that cleared the sensor.
    const ItemList* unchosenList() const;
    int outputCode() const; // code of the selected `rgOutput` item, -1 for none
    // lo and hi of the display range: display low and high taken in either order.
    std::pair<double, double> displayRange();

    // --- Controller (ControllerRules.cpp) -----------------------------------------------
    void rgReglerFunktionClick();
    void aSetPID_Regler();
    void aUpdateRegler();
    void aOberflaechePID();
    void aOberflaeche3PunktSchritt();
    static QStringList reglerFunktionItems(); // the four controller functions in list order

    // --- Panel layout (PanelLayout.cpp) -------------------------------------------------
    void aSetAll();
    void aAnzeigeElementeUnsichtbar();
    void Datenlesen1Click(); // "&Neu"
    void aSetBoxHeight();
    void aAlignPanels();
    // Lets the panel, and with it the window, grow downwards until every shown group is
    // whole (the extended configuration pushes the groups down); back to the design height
    // when they fit.
    void aFitClientArea();

    // --- Extended configuration words (ExtendedConfig.cpp) --------------------------------
    // Key press in a word field: returns true when the key is taken.
    bool e_erw_AllgemeinKeyPress(QChar key);
    bool e_erw_AlarmKeyPress(QChar key);
    bool e_erw_Schaltfunktion1KeyPress(QChar key);
    bool e_erw_Schaltfunktion2KeyPress(QChar key);
    // Leaving a word field; switching function 1 then checks the words against the model.
    void e_erw_AllgemeinExit();
    void e_erw_AlarmExit();
    void e_erw_Schaltfunktion1Exit();
    void e_erw_Schaltfunktion2Exit();
    // The four exit normalisations without the model check that leaving switching function 1 adds.
    void aNormaliseSpecialFunctionEntries();
    void aCheckSpecialFunctionValidity();
    void MainMenueExtras_ErweiterteKonfigurationClick();
    void aCheckSpecialFunctionsPanel();
    void aCheckSpecialFunctions();
    void aRemoveSpecialFunctionEntries();
    void aMakeSpecialFunktionsEnabled();
    void aMakeSpecialFunktionsDisabled();

private:
    MainWindowModel& m;
    const ConfigEnvironment env;
    std::vector<std::weak_ptr<std::function<void()>>> statusBarListeners;
    std::optional<QChar> cachedSeparator;
    bool separatorUnreadable = false;
};
