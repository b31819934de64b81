#include "program_rules.h"

#include "file_replace.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>

#include <algorithm>
#include <iterator>

namespace {

const char *const kMatchNames[] = {"name", "path", "windows", "class"};
const char *const kTriggerNames[] = {"focus", "running"};

// The index of text in names, -1 when it is none of them.
template<std::size_t N>
int indexIn(const char *const (&names)[N], const QString &text)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (text == QLatin1String(names[i]))
            return int(i);
    }
    return -1;
}

// A profile number 0 … 5 from its stored text, -1 otherwise.
int profileNumber(const QVariant &value)
{
    bool ok = false;
    const int n = value.toString().toInt(&ok);
    return ok && n >= 0 && n <= ProfileNumbers::kHighestNamed ? n : -1;
}

bool readBool(const QVariant &value, bool *ok)
{
    const QString text = value.toString();
    *ok = text == QLatin1String("true") || text == QLatin1String("false");
    return text == QLatin1String("true");
}

// Copies the file at path aside before anything rewrites it, to the first of path +
// ".damaged", ".damaged-2" … that is free or holds the same bytes already; the name of the
// copy, empty when it could not be made.
QString keepAside(const QString &path)
{
    QFile original(path);
    if (!original.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray bytes = original.readAll();
    for (int n = 1; n <= 100; ++n) {
        const QString aside =
            path + QStringLiteral(".damaged") + (n > 1 ? QStringLiteral("-%1").arg(n) : QString());
        QFile existing(aside);
        if (existing.exists()) {
            if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes)
                return aside;
            continue;
        }
        return QFile::copy(path, aside) ? aside : QString();
    }
    return QString();
}

QString keptText(const QString &aside)
{
    return aside.isEmpty() ? QString() : QStringLiteral(" (the file is kept as %1)").arg(aside);
}

// QSettings finds a format error only once it has read every section.
bool hasFormatError(const QString &path)
{
    QSettings probe(path, QSettings::IniFormat);
    probe.allKeys();
    return probe.status() == QSettings::FormatError;
}

// A file cut short in the middle of a line (a key without its "=") is a format error to
// QSettings, which then gives nothing of it. The whole lines before the cut go to copy, and
// true when there was such a cut to leave out.
bool copyWholeLines(const QString &path, QTemporaryFile *copy)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    const qsizetype lastEnd = bytes.lastIndexOf('\n');
    if (bytes.isEmpty() || lastEnd == bytes.size() - 1 || !copy->open())
        return false;
    const QByteArray whole = bytes.left(lastEnd + 1);
    const bool written = copy->write(whole) == whole.size() && copy->flush();
    copy->close();
    return written;
}

}  // namespace

QString matchName(ProgramRule::Match match)
{
    return QLatin1String(kMatchNames[int(match)]);
}

int matchFromName(const QString &name)
{
    return indexIn(kMatchNames, name);
}

ProgramRules ProgramRulesFile::load(const QString &path)
{
    ProgramRules result;
    if (!QFileInfo::exists(path)) {
        qDebug().noquote()
            << QStringLiteral("No program rules in %1: no profile follows a program").arg(path);
        return result;
    }
    if (!isReadable(path)) {
        qDebug().noquote() << QStringLiteral("The program rules in %1 cannot be read: no profile "
                                             "follows a program, and no change is stored until "
                                             "the file can be read")
                                  .arg(path);
        return result;
    }
    QTemporaryFile wholeLines;
    const bool cut = hasFormatError(path) && copyWholeLines(path, &wholeLines);
    QSettings file(cut ? wholeLines.fileName() : path, QSettings::IniFormat);
    const QVariant automatic = file.value(QStringLiteral("switching/automatic"), false);
    const QVariant defaultProfile = file.value(QStringLiteral("switching/default"), 0);
    bool automaticOk = false;
    const bool on = readBool(automatic, &automaticOk);
    const int fallback = profileNumber(defaultProfile);
    bool sizeOk = false;
    const int size = file.value(QStringLiteral("rules/size"), 0).toString().toInt(&sizeOk);
    // A file with bytes but no key in it is no file this program wrote.
    const bool unknown = QFileInfo(path).size() > 0 && file.allKeys().isEmpty();
    if (file.status() != QSettings::NoError || unknown || !automaticOk || fallback < 0 || !sizeOk
        || size < 0) {
        const QString aside = keepAside(path);
        qDebug().noquote() << QStringLiteral("The program rules in %1 cannot be read: no profile "
                                             "follows a program%2")
                                  .arg(path, keptText(aside));
        return result;
    }
    result.automatic = on;
    result.defaultProfile = fallback;

    // The entries the file holds, whatever its count says: a count beyond them is damage, and
    // reading it as given would take as long as the count is large.
    file.beginGroup(QStringLiteral("rules"));
    const QStringList groups = file.childGroups();
    file.endGroup();
    QList<int> present;
    for (const QString &group : groups) {
        bool ok = false;
        const int index = group.toInt(&ok);
        if (ok && index >= 1)
            present.append(index);
    }
    std::sort(present.begin(), present.end());
    int unreadable = int(
        std::count_if(present.begin(), present.end(), [size](int index) { return index > size; }));
    unreadable += size
        - int(std::count_if(present.begin(), present.end(), [size](int i) { return i <= size; }));

    file.beginReadArray(QStringLiteral("rules"));
    for (const int index : present) {
        if (index > size)
            break;
        file.setArrayIndex(index - 1);
        ProgramRule rule;
        rule.program = file.value(QStringLiteral("program")).toString();
        const int match = indexIn(kMatchNames, file.value(QStringLiteral("match")).toString());
        const int trigger =
            indexIn(kTriggerNames, file.value(QStringLiteral("trigger")).toString());
        rule.profile = profileNumber(file.value(QStringLiteral("profile")));
        if (rule.program.isEmpty() || match < 0 || trigger < 0 || rule.profile < 0) {
            ++unreadable;
            continue;
        }
        rule.match = ProgramRule::Match(match);
        rule.trigger = ProgramRule::Trigger(trigger);
        result.rules.append(rule);
    }
    file.endArray();
    if (unreadable > 0) {
        const QString aside = keepAside(path);
        qDebug().noquote() << QStringLiteral("%1 of the %2 program rules in %3 cannot be read and "
                                             "are left out%4")
                                  .arg(unreadable)
                                  .arg(std::max(size, int(present.size())))
                                  .arg(path, keptText(aside));
    } else if (cut) {
        const QString aside = keepAside(path);
        qDebug().noquote() << QStringLiteral("The program rules in %1 end in the middle of a line, "
                                             "which is left out%2")
                                  .arg(path, keptText(aside));
    }
    return result;
}

bool ProgramRulesFile::isReadable(const QString &path)
{
    QFile file(path);
    return !QFileInfo(path).isFile() || file.open(QIODevice::ReadOnly);
}

bool ProgramRulesFile::save(const ProgramRules &rules, const QString &path)
{
    // What cannot be read cannot be kept aside: replacing it would lose the rules it holds.
    if (!isReadable(path)) {
        qDebug().noquote() << QStringLiteral(
            "The program rules in %1 cannot be read: the change is not stored")
                                  .arg(path);
        return false;
    }
    QTemporaryFile temporary(path + QStringLiteral(".new-XXXXXX"));
    if (!temporary.open()) {
        qDebug().noquote() << QStringLiteral("Cannot write the program rules to %1 (%2)")
                                  .arg(path, temporary.errorString());
        return false;
    }
    temporary.close();
    {
        QSettings file(temporary.fileName(), QSettings::IniFormat);
        file.setValue(QStringLiteral("switching/automatic"),
            rules.automatic ? QStringLiteral("true") : QStringLiteral("false"));
        file.setValue(QStringLiteral("switching/default"), rules.defaultProfile);
        file.beginWriteArray(QStringLiteral("rules"), int(rules.rules.size()));
        for (int i = 0; i < rules.rules.size(); ++i) {
            const ProgramRule &rule = rules.rules.at(i);
            file.setArrayIndex(i);
            file.setValue(QStringLiteral("program"), rule.program);
            file.setValue(QStringLiteral("match"), QLatin1String(kMatchNames[int(rule.match)]));
            file.setValue(QStringLiteral("profile"), rule.profile);
            file.setValue(
                QStringLiteral("trigger"), QLatin1String(kTriggerNames[int(rule.trigger)]));
        }
        file.endArray();
        file.sync();
        if (file.status() != QSettings::NoError) {
            qDebug().noquote() << QStringLiteral("Cannot write the program rules to %1").arg(path);
            return false;
        }
    }
    return replaceFileWithCopy(temporary.fileName(), path);
}
