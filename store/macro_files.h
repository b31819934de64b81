#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <utility>

class QSettings;
class QWidget;

// Macro files: one INI file per macro, "./modules/macro/" + name + ".bin" relative to the
// working directory, with group "config" (index, total, repeat, did) and group "macro" holding
// the steps "type,info" under the keys 0 … total − 1. The name is the macro's identity and
// becomes a file name, so every operation refuses a name that could leave the macro folder
// or hide a file (see isUsableMacroName), with one diagnostic line and nothing touched.
//
// Profile handles are passed in by the caller (the settings store owns them): a list of the
// profile handles in file order (p1, p2, …), of which the first six are the profiles the user
// can pick, and the default profile handle (pD.bin).
namespace MacroFiles {

// Steps read from one file at most; the device record holds far fewer.
constexpr int kMaxSteps = 1000;
constexpr int kMaxNameLength = 64;

QString macroFilePath(const QString &name);

// True when name can be used as a macro file name: not empty, at most 64 characters, no
// '/' or '\\', no control character, not starting with '.' (which also rules out "." and "..").
bool isUsableMacroName(const QString &name);

// Writes the four "config" keys (index, total 0, repeat 1, did −1); an existing "macro" group
// stays. False only for a refused name or when the file cannot be written.
bool createMacroIni(const QString &name, uint macroIndex);

// Replaces the steps and the repeat count of an existing macro file; false when it is missing.
bool saveMacroIni(const QString &name, const QStringList &steps, const QVariant &repeat);

// The steps in order followed by the repeat count; empty when the file is missing.
QStringList loadMacroIni(const QString &name);

// Deletes the macro file; false when it is missing or cannot be deleted.
bool deleteMacroIni(const QString &name);

// Renames the macro in the "mouseMacroKey" group of profiles 0 … 5, then renames its file.
// Refused before any profile is touched when the old file is missing, the new name is not
// usable or a macro file of the new name exists already.
bool modifyMacroNameUpdateProfile(
    const QString &oldName, const QString &newName, const QList<QSettings *> &profiles);

// Every button of profiles 0 … 5 bound to the macro (kind 4, its slot's "mouseMacroKey"
// naming it) gets the default profile's entry back.
void deleteMacroUpdateProfile(
    const QString &name, const QList<QSettings *> &profiles, QSettings *defaultProfile);

// How many buttons of profiles 0 … 5 are bound to the macro: those deleting it resets.
int macroUseCount(const QString &name, const QList<QSettings *> &profiles);

// The same buttons, as (profile number, button position), in profile and button order.
QList<std::pair<int, int>> macroUsers(const QString &name, const QList<QSettings *> &profiles);

// Imports a ".mc" file chosen in an open dialog as the macro file of that name. False when the
// dialog was cancelled or the chosen file could not be copied; an existing macro file of that
// name is never overwritten (the result is then still true).
bool loadMacroFile(const QString &name, QWidget *dialogParent);

// Exports the macro file to a ".mc" file chosen in a save dialog; an existing ".mc" file is
// replaced only by a complete copy.
void saveMacroFile(const QString &name, QWidget *dialogParent);

}  // namespace MacroFiles
