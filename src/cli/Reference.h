#pragma once

#include <QString>

// What users read about trkdvn-cli besides --help, made from the same tables as
// the parser: the manual page, the shell's completion and the handbook's reference.
namespace clireference {

QString manPage();        // roff, section 1
QString bashCompletion(); // a bash completion script for commands, options and their values
QString handbookHtml();   // the command and option tables of the handbook's command-line chapter

} // namespace clireference
