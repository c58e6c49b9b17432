#pragma once

#include "config/ModelCatalogue.h"

#include <QString>

// The d20 configuration file: a tagged header, then one word per main-window
// field, then the optional extended-word section.
namespace d20 {

// Version word of the header; the reader shows it and never compares it.
inline const QString kProgramVersion = QStringLiteral("1.7.0");
inline const QString kSectionVersion = QStringLiteral("V0.1b");

// The header tag reader gives up after this many words.
constexpr int kTagWordLimit = 255;

// File model code of a file that names no model.
constexpr int kNoModelCode = 3;

// Format word: the family plus 1 when the decimal separator is not a comma.
inline int32_t formatWord(int32_t family, QChar separator) {
    return family + (separator == QLatin1Char(',') ? 0 : 1);
}

inline const QString kFilter = QStringLiteral("DVN20 Konfiguration (*.d20)");
inline const QString kSuffix = QStringLiteral("d20");

} // namespace d20
