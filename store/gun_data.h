#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

class QSettings;

// The gun table in "./modules/gun/gunData.bin" (relative to the working directory), group
// "gunData": indexed entries (key = table position, value = name, fire button, period, x, y,
// shots) and named entries written by a rename (key = new name, value = the other five).
// The program never creates this file: while it is missing every write does nothing and
// every read is empty.
//
// The per-profile keys "XYSensitive/" and "selectGun/" live in the current profile, whose
// handle the caller passes.
namespace GunData {

constexpr int kEntryValues = 6;

QString gunDataPath();

// Writes the indexed entry index = the six values of src6 (a longer list gives its first six).
// Refused with a diagnostic line: fewer than six values, an index that is not a plain key.
void mouseSaveGundata(const QVariant &index, const QVariantList &src6);

// The entry stored under the key given; empty when absent or when the file is missing.
QVariantList getGunData(const QVariant &name);

// All keys of group "gunData"; empty when the file is missing.
QStringList getGunDataKey();

// modifyType 0 removes the entry keyed by src[0]. modifyType 1 removes the entry keyed by
// src[6] (the old name) and writes the named entry src[0] = src[1 … 5]. Other types do nothing.
// Refused with a diagnostic line: a list too short for the type, an empty key or one with a
// path separator, and for type 1 a name made of digits only, which would stand in for an
// indexed entry.
void modifyGundata(const QVariant &modifyType, const QVariantList &src);

// "XYSensitive/" + index in the current profile, default 4.
QVariant getXYSensitive(const QSettings *profile, const QVariant &index);
void setXYSensitive(QSettings *profile, const QVariant &index, const QVariant &xyData);

// "selectGun/" + index in the current profile, default "".
QVariant getselectGun(const QSettings *profile, const QVariant &index);
void setSelectGun(QSettings *profile, const QVariant &index, const QVariant &gunChoice);

}  // namespace GunData
