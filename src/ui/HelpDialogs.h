#pragma once

class QtPrompter;

// Registers the dialogs of the extended-word detail window and the flow calculator.
void registerHelpDialogs(QtPrompter& prompter);
