#include "app/MainHandlers.h"

#include "app/LiveValueSession.h"

// "Messwert anzeigen…": the live value window polls the instrument the main window talks to,
// through a binding of its own, and shows it with the unit, decimal places, switch points and
// alarm limits the main window's configuration has now. It polls only while the main window
// and its tools leave the bus free (the guard `running`).
void MainHandlers::MainMenueExtras_MesswertAnzeigenClick() {
    if (!live) {
        live = std::make_unique<LiveValueSession>(env.makeLibrary(BusLibrary::allEntries()), running, *env.clock);
        // A finished loop check goes into the instrument record with both readings; the window's
        // configuration is what it was checked against.
        live->loopFinished = [this](const LoopCheck& check) {
            const int32_t known = m.deviceIdentity;
            if (known == 0) m.deviceIdentity = live->identity;
            recordEvent(RecordEntry::Event::LoopCheck, check.prompt());
            m.deviceIdentity = known;
        };
    }
    LiveValueSession::Place place;
    place.comPort = m.comPort;
    place.converterCode = m.converterCode;
    // As the readout decides: an address not chosen yet is asked of the bus.
    place.address = m.busAddress < (m.addressChosen ? 0 : 1) ? int16_t(-1) : int16_t(m.busAddress);
    live->configure(place, LiveView::of(m, separator()));
    live->show();
}
