#pragma once

#include <QStringList>
#include <QVariant>

// The user-visible names of macros, guns and profiles, one list per type in the name file
// "./modules/setting/name.bin", opened anew on every call. A one-element list would come back
// from the INI file as a plain string, so such a list is stored with the sentinel name
// "loaderpivlan" as its second element; the UI drops it again after reading.
class NameLists
{
public:
    // Replaces the list of type 0 (macros), 1 (guns), 2 (profiles) or 3 (gun choice); an
    // empty list removes it. Any other type writes nothing. The result is always true.
    QVariant updataNameList(const QVariant &type, QStringList nameList) const;
    // The stored list, sentinel included; empty for a missing list or an unknown type.
    QVariantList getNameList(const QVariant &type) const;
    // Whether the macro list may hold a macro of that name: the macro files take it (see
    // MacroFiles::isUsableMacroName) and it is not the sentinel, since a list of the sentinel
    // and one other name would read back as a list of one.
    static bool takesMacroName(const QString &name);
};
