#pragma once

#include <QString>
#include <QStringList>

// The texts of the programs page, the tray's master switch and the balloons of a switch: the
// language section "programs", with built-in English defaults for every text the section
// leaves out or does not have.
namespace ProgramTexts {

// Indices the program itself uses (the page uses the same list by index).
enum Index {
    MasterSwitch = 8,    // "Switch profiles automatically" (page and tray)
    RuleBalloon = 13,    // "Profile %1 for %2"
    BackBalloon = 14,    // "Profile %1 (no rule applies)"
    ChooseProgram = 20,  // the file chooser's caption
};

// The texts in language (a language code; empty: the built-in ones).
QStringList forLanguage(const QString &language);

}  // namespace ProgramTexts
