#pragma once

#include "app/ConfigSheet.h"

class BusScanWindow;

// The scan window's table on the configuration sheet's pages: the port and the date on top,
// then the instruments in groups that each fit on a page.
ConfigSheet scanSheet(const BusScanWindow& window, const QDateTime& printed);
