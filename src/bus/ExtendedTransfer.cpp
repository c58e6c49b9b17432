#include "bus/ExtendedTransfer.h"

#include "bus/BusCommands.h"
#include "bus/BusConstants.h"
#include "config/ExtendedWords.h"

#include <array>
#include <optional>

namespace bus {

namespace {

constexpr int kWordCount = 4;

struct Word {
    int parameter;
    TextField MainWindowModel::*field;
    Label MainWindowModel::*label;
};

// The instrument is read and written in this order.
constexpr std::array<Word, kWordCount> kWords{{
    {param::ExtendedGeneral, &MainWindowModel::e_erw_Allgemein, &MainWindowModel::l_Erw_Allgemein},
    {param::ExtendedAlarm, &MainWindowModel::e_erw_Alarm, &MainWindowModel::l_Erw_Alarm},
    {param::SwitchFunction1, &MainWindowModel::e_erw_Schaltfunktion1, &MainWindowModel::l_Erw_Schaltfunktion1},
    {param::SwitchFunction2, &MainWindowModel::e_erw_Schaltfunktion2, &MainWindowModel::l_Erw_Schaltfunktion2},
}};

// Reads the words into the fields; `read` tells which answers arrived.
void readWords(BusLibrary& library, MainWindowModel& model, std::array<bool, kWordCount>& read) {
    read.fill(false);
    Operands ops;
    int16_t address = 0;
    if (queryAddress(library, kAddressQueryRead, ops, address) < 0) return;
    // What the instrument holds is remembered, so programming can tell what a write switches off.
    MainWindowModel::WordsRead& known = model.extendedWordsRead;
    if (known.identity != model.deviceIdentity) known = {model.deviceIdentity, {-1, -1, -1, -1}};
    for (int i = 0; i < kWordCount; ++i) {
        // The integer carries over from call to call; only answers are taken.
        if (readParameter(library, address, kWords[i].parameter, ops) < 0) continue;
        (model.*kWords[i].field).text = QString::number(ops.integer);
        known.words[i] = ops.integer;
        read[i] = true;
    }
}

std::optional<int16_t> fieldNumber(const MainWindowModel& model, int i) {
    const std::optional<int> v = extendedwords::parse((model.*kWords[i].field).text);
    if (!v) return std::nullopt;
    return static_cast<int16_t>(*v);
}

} // namespace

void aErweiterteKonfigurationEinlesen(BusLibrary& library, MainWindowModel& model) {
    std::array<bool, kWordCount> read{};
    readWords(library, model, read);
}

void aErweiterteKonfigurationSchreiben(BusLibrary& library, MainWindowModel& model) {
    Operands ops;
    int16_t address = 0;
    int16_t status = queryAddress(library, kAddressQueryRead, ops, address);
    if (status < 0) address = 0;

    std::array<bool, kWordCount> written{};
    bool refused = false;
    for (int i = 0; i < kWordCount && status >= 0; ++i) {
        const std::optional<int> word = extendedwords::wordValue((model.*kWords[i].field).text);
        if (!word) {
            refused = true;
            break;
        }
        status = writeParameter(library, address, kWords[i].parameter, *word, ops);
        written[i] = status >= 0;
    }

    // The instrument takes the words over on a restart, even after a failed write.
    restartAndPoll(library, address, ops, kPollLimit);

    std::array<std::optional<int16_t>, kWordCount> sent;
    for (int i = 0; i < kWordCount; ++i)
        sent[i] = fieldNumber(model, i);
    std::array<bool, kWordCount> read{};
    readWords(library, model, read);

    bool mismatch = refused;
    for (int i = 0; i < kWordCount; ++i) {
        if (read[i])
            mismatch = mismatch || fieldNumber(model, i) != sent[i];
        else
            // Neither written nor read back: nothing shows the word arrived.
            mismatch = mismatch || !written[i];
    }
    if (mismatch) model.extendedConfigWriteMismatch = true;
}

QStringList clearedFunctionBits(const MainWindowModel& model) {
    const MainWindowModel::WordsRead& known = model.extendedWordsRead;
    QStringList cleared;
    if (model.deviceIdentity == 0 || known.identity != model.deviceIdentity) return cleared;
    for (int i = 0; i < kWordCount; ++i) {
        const std::optional<int> word = extendedwords::wordValue((model.*kWords[i].field).text);
        if (known.words[i] < 0 || !word) continue; // unknown, or refused by the write anyway
        const int off = known.words[i] & ~*word & extendedwords::kMaxWord;
        for (int bit = 0; bit < 8; ++bit)
            if (off & (1 << bit))
                cleared.append(QStringLiteral("%1: Bit %2 (Wert %3)")
                                   .arg((model.*kWords[i].label).caption)
                                   .arg(bit)
                                   .arg(1 << bit));
    }
    return cleared;
}

} // namespace bus
