#pragma once

#include "config/Controls.h"

// Controls of the bus tool windows. Their hints carry the enclosing quotation
// marks as part of the text, as the windows show them.

struct HintButton : Button {
    QString hint;
};

struct HintEdit : TextField {
    QString hint;
};

// A status bar with a single panel.
struct SimpleStatusBar : Control {
    QString text;
};

// The framed panel above the device information labels.
struct InfoPanel : Control {
    QString labelCaption; // `Label1`
};
