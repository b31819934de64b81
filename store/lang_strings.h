#pragma once

#include <QString>
#include <QStringList>

// Language files: "./modules/i18n/" + code + ".ini" relative to the working directory, read as
// UTF-8 and never written. One group per section of the scene, each with "total" and the
// strings 0 … total − 1.
namespace LangStrings {

// Strings read from one section at most.
constexpr int kMaxStrings = 1000;

QString languageFilePath(const QString &langCode);

// The strings of one section in key order; an absent key gives an empty string, a missing file
// or section an empty list, and a code that is not a plain file name (empty, a path separator,
// "..", a control character) an empty list with a diagnostic line. Reading section "other"
// also replaces the device monitor's notification texts with its first (up to) eight strings.
QStringList getLangStrings(const QString &typeStr, const QString &langCode);

}  // namespace LangStrings
