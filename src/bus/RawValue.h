#pragma once

#include "config/ConfigActions.h"
#include "config/Controls.h"

#include <cstdint>

// Numbers as they travel on the bus: the displayed number with its decimal
// point removed, `Nachkommastellen` telling where the point goes.
namespace bus {

// Shows a raw value read from the instrument in `field`, held to the display
// range of -1999 to 9999 counts. An empty field first gets the empty-field notice.
void showRawValue(ConfigActions& actions, NumericField& field, int32_t raw);

// Shows a number read from the instrument as fixed-point text with `precision`
// significant digits and `decimals` digits after the separator.
void showFixed(ConfigActions& actions, NumericField& field, double value, int precision, int decimals);

// Holds the number in `field` to low..high and rewrites it with the field's own
// digits, accepting either separator (the read set point and band).
void clampShown(ConfigActions& actions, NumericField& field, double low, double high);

// The raw value of a field's number: times 10^d, truncated toward zero. A
// product that is whole in decimal but lands a hair below it in binary counts as
// that whole number. NaN gives 0; values beyond 32 bits are held to its range.
int32_t rawValueOf(const NumericField& field);
int32_t rawValueOf(double number, int decimals);

} // namespace bus
