#pragma once

#include <QJSEngine>
#include <QList>
#include <QString>
#include <QStringList>

namespace CommandLine {

// The stored profile list as the profiles page reads and changes it. The rules (which texts
// are entries, the name and number of a new entry, which names are allowed) are the page's
// own script, run here, so the window and the command line never disagree.
class ProfileList
{
public:
    struct Entry
    {
        QString name;
        int number = 0;  // 0-based; the user sees number + 1, as in the file name p<n>.bin
    };

    // texts: the stored list; inUse: the profile in use (0 … 5).
    ProfileList(const QStringList &texts, int inUse);

    const QList<Entry> &entries() const { return m_entries; }
    // The entry named so, else the first entry by any of firstNames, else the entry of that
    // number as the user counts (1 … 6); null when none.
    const Entry *find(const QString &nameOrNumber, const QStringList &firstNames) const;
    // The entry a new profile gets (the name given, or the next free "profile_<k>"), or an
    // empty name with why set.
    Entry newEntry(const QString &name, QString *why) const;
    QStringList stored(const QList<Entry> &entries) const;

private:
    QJSValue call(const char *function, const QJSValueList &arguments) const;
    QJSValue entriesValue(const QList<Entry> &entries) const;

    mutable QJSEngine m_engine;
    QJSValue m_rules;
    QList<Entry> m_entries;
    int m_inUse;
};

}  // namespace CommandLine
