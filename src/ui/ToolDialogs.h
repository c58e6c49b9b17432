#pragma once

class QtPrompter;

// Registers the dialogs of the bus tool windows (address assignment, name
// change, address selection) with the prompter that shows modal windows.
void registerToolDialogs(QtPrompter& prompter);
