#pragma once

#include "config/ConfigActions.h"
#include "config/MainWindowModel.h"
#include "config/Prompter.h"

#include <gtest/gtest.h>

#include <QChar>
#include <QString>
#include <QStringList>

#include <optional>

// A main window model with its actions, a recording prompter and a settings
// store that answers "DezimalPunktTrenner" with `storedSeparator` (nullopt: the
// read fails). Every numeric field carries the separator as start-up sets it.
struct ConfigFixture {
    explicit ConfigFixture(QChar sep = QChar(u','))
        : storedSeparator(sep),
          actions(model, ConfigEnvironment{&prompter,
                                           [this] {
                                               ++separatorReads;
                                               return storedSeparator;
                                           },
                                           [this] { return unitTexts; }, QStringLiteral("/opt/trk"), {}}) {
        for (NumericField* f : model.numericFields())
            f->Seperator = QString(sep);
    }

    QChar sep() const { return storedSeparator.value_or(QChar(u',')); }
    // "12,5" written with the separator in force: pass text with ',' as decimal point.
    QString num(const QString& withComma) const {
        QString t = withComma;
        return t.replace(QLatin1Char(','), sep());
    }

    MainWindowModel model;
    RecordingPrompter prompter;
    std::optional<QChar> storedSeparator;
    int separatorReads = 0;
    QStringList unitTexts;
    ConfigActions actions;
};

// Runs a test body once per decimal separator.
class BothSeparators : public ::testing::TestWithParam<QChar> {
  protected:
    ConfigFixture f{GetParam()};
};

inline std::string separatorName(const ::testing::TestParamInfo<QChar>& info) {
    return info.param == QChar(u',') ? "Comma" : "Point";
}

#define INSTANTIATE_BOTH_SEPARATORS(Suite)                                                                   \
    INSTANTIATE_TEST_SUITE_P(Separators, Suite, ::testing::Values(QChar(u','), QChar(u'.')), separatorName)
