#pragma once

#include "bus/BusCommands.h"
#include "bus/BusLibrary.h"
#include "config/Prompter.h"
#include "tools/ToolControls.h"
#include "tools/ToolFields.h"

#include <functional>
#include <limits>
#include <memory>
#include <optional>

// An address or name a tool window gave an instrument, as the window knew the instrument.
struct InstrumentChange {
    enum class Kind { Address, Name };
    Kind kind = Kind::Address;
    int32_t identity = 0;
    int16_t address = 0; // where the instrument answers now
    QString before;      // the old address or name as the window showed it
    QString after;
    QString type;                  // the family as the window names it
    std::optional<double> firmware; // when the window read it
};

// What every bus tool window has: its own binding of the bus library, loaded
// only around each button action, the port values copied from the main window,
// the one-panel status bar and the error box.
class BusToolWindow : public ModalWindow {
  public:
    // The entry points the window binds; the error box needs GetErrorMessageRet.
    static QList<BusLibrary::Entry> entries();

    QString caption;
    SimpleStatusBar StatusBar1;

    // Copies of the main window's values, set before showing.
    int16_t comPort = 0;
    int16_t converterCode = 0;
    // Told of every address or name the instrument took; may stay unset.
    std::function<void(const InstrumentChange&)> onChange;

  protected:
    BusToolWindow(const QString& caption, std::unique_ptr<BusLibrary> library, Prompter& prompter);

    bool aDLLDynamischLaden();
    void aDLLDynamischEntladen();
    // Every action ends so: the port closed, the binding unloaded.
    void closePortAndUnload();
    // The error box for a negative status; nothing for others.
    void showError(int16_t status);

    // The address in the field. Pasted text can be anything: what is no number
    // from `lowest` on is refused with a warning and never reaches the bus.
    std::optional<int16_t> fieldAddress(const TextField& field,
                                        int lowest = std::numeric_limits<int16_t>::min());

    using KeyFilter = toolfields::KeyResult (*)(const QString& text, int selStart, int selLength, int caret,
                                                QChar key);
    // Offers a typed key to the filter; an accepted one changes the field's text.
    static bool filterKey(TextField& field, KeyFilter filter, QChar key, int selStart, int selLength,
                          int caret);

    std::unique_ptr<BusLibrary> library;
    Prompter& prompter;
    bus::Operands ops;
};
