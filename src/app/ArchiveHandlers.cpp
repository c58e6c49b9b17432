#include "app/MainHandlers.h"

#include "app/ArchiveWindow.h"

// The archive window reads the record the window writes into; without one there is nothing to show.
void MainHandlers::MainMenueExtras_GeraetearchivClick() {
    if (!env.record) return;
    ArchiveWindow window(*env.record, *this);
    env.prompter->showModal(window);
}
