#pragma once

#include <QString>
#include <QStringList>

// The folder every relative path of the program ("./modules/…") resolves against, chosen once
// at start-up. A portable copy or a build tree keeps its data beside the executable; an
// installed program, whose folder belongs to root, keeps the user's data in a folder of the
// user's own, seeded from the data installed with the program.

// Chooses the data folder for the executable at executablePath, makes it the working
// directory, writes one diagnostic line naming it, and returns it:
// - the executable's folder, when it holds modules/ and the user can write there;
// - otherwise the per-user folder (perUserDataFolder()), its modules/ seeded from the
//   installed data (seedModules());
// - the folder of the installed data itself, read only, when the per-user folder cannot be
//   made (changes are then not kept; the diagnostic line says so);
// - the executable's folder when no installed data is found at all.
// On Windows the executable's folder is always used.
QString enterDataFolder(const QString &executablePath);

// $XDG_DATA_HOME/stryla-config (~/.local/share/stryla-config by default); empty when the
// system names no data location for the user.
QString perUserDataFolder();

// The data installed with the executable in executableFolder: its modules/ folder, else
// ../share/stryla-config/modules of an installed bin/ folder. Empty when neither exists.
QString installedModules(const QString &executableFolder);

// True when modules/ in folder exists and a file can be made in it and in each of its
// setting/, macro/ and gun/ folders that exists (probed with a temporary file).
bool modulesWritable(const QString &folder);

// Brings the modules folder target up to date from the installed modules folder source:
// - factory files (setting/apConfigD.bin, setting/pD.bin, i18n/*.ini, img/logo.ico) are copied
//   when absent and replaced when the installed one is newer; a copy carries the installed
//   file's modification time, and a replacement goes through a temporary file;
// - the user's files (setting/apConfig.bin, setting/p1.bin … p10.bin, setting/name.bin,
//   macro/*.bin, gun/*.bin) are copied only when absent; a profile that neither folder has
//   starts as a copy of the factory profile.
// Every copy can be written by its owner, whatever the installed file's permissions. A file of
// the user is never deleted or overwritten. Returns the paths of the files and folders that
// could not be brought up to date, each named with the reason in a diagnostic line; empty when
// everything is in place.
QStringList seedModules(const QString &source, const QString &target);
