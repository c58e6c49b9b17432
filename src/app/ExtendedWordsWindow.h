#pragma once

#include "config/Controls.h"
#include "config/Prompter.h"

#include <array>
#include <cstdint>

// The detail window `Ttf_Spezialkonfiguration`: the four extended configuration
// words as 32 check boxes, each with the meaning of its bit as caption and hint.
// Its creator fills the words, shows it and reads the words back after OK.
class ExtendedWordsWindow : public ModalWindow {
  public:
    struct CheckBox : Control {
        QString caption;
        QString hint;
        bool showHint = false;
        bool checked = false;
    };

    // One word with its panel, label and eight bits (bit 0 at the top).
    struct WordPanel : Control {
        Label label;
        std::array<CheckBox, 8> bits;
        uint16_t word = 0;
    };

    enum Word { General, Alarm, Switching1, Switching2 };
    static constexpr int kWordCount = 4;
    enum class Result { None, Ok, Cancel };

    ExtendedWordsWindow();

    const char* windowClass() const override { return "Ttf_Spezialkonfiguration"; }

    QString caption = QStringLiteral("Erweiterte Konfiguration (DVN 500 / TRK 520 / TRK 500)");
    int clientWidth = 457;
    int clientHeight = 389;
    // General (`_iAlarmkonfiguration`), alarm, switching function 1 and 2, in `Word` order.
    std::array<WordPanel, kWordCount> panels;
    Button b_OK;
    Button b_Abbrechen;
    Result modalResult = Result::None;

    void FormActivate();
    // A click on a check box; ignored while its panel is disabled.
    void setChecked(int word, int bit, bool checked);
    void b_OKClick();
    void b_AbbrechenClick();

    // Actions of the list `Hints`.
    void aHint_Activate();
    void aHint_Deactivate();
    void aHint_TextSetzen();

    // The reserved-bit hint of every hidden check box.
    static const QString& reservedHint();
};
