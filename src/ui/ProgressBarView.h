#pragma once

#include "config/MainWindowModel.h"

#include <QProgressBar>

// A bus run's progress on a bar. Maximum 0 makes the bar a busy indicator until a run
// of its kind was counted once.
inline void showBusProgress(QProgressBar& bar, const MainWindowModel::BusProgress& p) {
    bar.setRange(0, p.max);
    bar.setValue(p.max > 0 ? p.position : 0);
    bar.setVisible(p.visible);
}
