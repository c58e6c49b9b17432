#include "app/Converters.h"

#include "config/MainWindowModel.h"

namespace {
const ConverterEntry kConverters[converters::kCount] = {
    {6, "TBW1, TBW3, TBW64, TBW240", "TBW1, TBW64, TBW240"},
    {66, "TBW2", "TBW2"},
    {7, "TBW64E, universal Echo", "TBW64E, universal Echo"},
    {0, "TB500, TB500MC", "TB500, TB500MC"},
};
} // namespace

namespace converters {

const ConverterEntry& entry(int menuIndex) { return kConverters[menuIndex]; }

int indexOf(int16_t code) {
    for (int i = 0; i < kCount; ++i) {
        if (kConverters[i].code == code)
            return i;
    }
    return -1;
}

std::array<MenuItem*, kCount> menuItems(MainWindowModel& m) {
    return {&m.MainMenueWandlerItem0, &m.MainMenueWandlerItem1, &m.MainMenueWandlerItem2,
            &m.MainMenueWandlerItem3};
}

} // namespace converters
