#include "profile_list.h"

#include <QDebug>
#include <QFile>

namespace CommandLine {

namespace {

// The page's rules, compiled into the program's resources with the scene.
constexpr char kRules[] = ":/modules/qml/js/profile_names.js";
constexpr char kLibraryPragma[] = ".pragma library";

QString rulesSource()
{
    QFile file(QString::fromLatin1(kRules));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // The pragma tells the scene to share one copy; a plain script has no such line.
    return QString::fromUtf8(file.readAll()).replace(QLatin1String(kLibraryPragma), QString());
}

}  // namespace

ProfileList::ProfileList(const QStringList &texts, int inUse)
    : m_inUse(inUse)
{
    // The rules say on the console which texts they leave out.
    m_engine.installExtensions(QJSEngine::ConsoleExtension);
    m_rules = m_engine.newObject();
    const QJSValue result = m_engine.evaluate(
        QStringLiteral("(function () { %1\nreturn { parse: parse, format: format, newEntry: "
                       "newEntry, hasName: hasName, isValidName: isValidName, maxEntries: "
                       "maxEntries }; })()")
            .arg(rulesSource()),
        QString::fromLatin1(kRules));
    if (result.isError()) {
        qWarning().noquote() << "Profile list rules:" << result.toString();
        return;
    }
    m_rules = result;
    const QJSValue parsed = call("parse", {m_engine.toScriptValue(texts)});
    const int count = parsed.property(QStringLiteral("length")).toInt();
    for (int i = 0; i < count; ++i) {
        const QJSValue entry = parsed.property(quint32(i));
        m_entries.append({entry.property(QStringLiteral("name")).toString(),
            entry.property(QStringLiteral("number")).toInt()});
    }
    // An empty list is one entry for the profile in use, as on the page.
    if (m_entries.isEmpty())
        m_entries.append({QStringLiteral("Standard"), inUse});
}

QJSValue ProfileList::call(const char *function, const QJSValueList &arguments) const
{
    return m_rules.property(QString::fromLatin1(function)).call(arguments);
}

QJSValue ProfileList::entriesValue(const QList<Entry> &entries) const
{
    QJSValue array = m_engine.newArray(uint(entries.size()));
    for (int i = 0; i < entries.size(); ++i) {
        QJSValue entry = m_engine.newObject();
        entry.setProperty(QStringLiteral("name"), entries.at(i).name);
        entry.setProperty(QStringLiteral("number"), entries.at(i).number);
        array.setProperty(quint32(i), entry);
    }
    return array;
}

const ProfileList::Entry *ProfileList::find(
    const QString &nameOrNumber, const QStringList &firstNames) const
{
    for (const Entry &entry : m_entries) {
        if (entry.name == nameOrNumber)
            return &entry;
    }
    if (!m_entries.isEmpty() && firstNames.contains(nameOrNumber))
        return &m_entries.first();
    bool ok = false;
    const int number = nameOrNumber.toInt(&ok) - 1;
    for (const Entry &entry : m_entries) {
        if (ok && entry.number == number)
            return &entry;
    }
    return nullptr;
}

ProfileList::Entry ProfileList::newEntry(const QString &name, QString *why) const
{
    const QJSValue entries = entriesValue(m_entries);
    if (m_entries.size() >= m_rules.property(QStringLiteral("maxEntries")).toInt()) {
        *why = QStringLiteral("There are six profiles already; delete one in the window first.");
        return {};
    }
    if (!name.isEmpty() && !call("isValidName", {name}).toBool()) {
        *why = QStringLiteral("A profile name cannot hold control characters.");
        return {};
    }
    if (!name.isEmpty() && call("hasName", {entries, name}).toBool()) {
        *why = QStringLiteral("A profile named \"%1\" exists already.").arg(name);
        return {};
    }
    const QJSValue added = call("newEntry", {entries, m_inUse});
    if (!added.isObject()) {
        *why = QStringLiteral("No profile number is free.");
        return {};
    }
    return {name.isEmpty() ? added.property(QStringLiteral("name")).toString() : name,
        added.property(QStringLiteral("number")).toInt()};
}

QStringList ProfileList::stored(const QList<Entry> &entries) const
{
    return call("format", {entriesValue(entries)}).toVariant().toStringList();
}

}  // namespace CommandLine
