#include "macro_files.h"

#include "file_chooser.h"
#include "file_replace.h"
#include "profile_numbers.h"
#include "text_escape.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace MacroFiles {

namespace {

const QString kMacroFolder = QStringLiteral("./modules/macro/");
// Buttons per profile whose key entry may point at a macro.
constexpr int kButtons = 16;
constexpr int kMacroKind = 4;

// A name as it can be shown in one diagnostic line: control characters escaped, long names cut.
QString printable(const QString &name)
{
    QString out = TextEscape::controls(name.left(kMaxNameLength + 16));
    if (name.size() > kMaxNameLength + 16)
        out += QStringLiteral("…");
    return out;
}

bool checkName(const QString &name, const char *operation)
{
    if (isUsableMacroName(name))
        return true;
    qDebug().noquote() << QStringLiteral("%1: macro name \"%2\" cannot be used as a file name")
                              .arg(QLatin1String(operation), printable(name));
    return false;
}

bool macroFileExists(const QString &name)
{
    return QFileInfo(macroFilePath(name)).isFile();
}

// A stored text. An unquoted value with commas (a hand-edited file) comes back from the INI
// reader as a list; joining it again gives the text that was written.
QString storedText(const QVariant &value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

bool synced(QSettings &settings)
{
    settings.sync();
    if (settings.status() == QSettings::AccessError) {
        qDebug().noquote() << QStringLiteral("Cannot write %1").arg(settings.fileName());
        return false;
    }
    return true;
}

int boundedStepCount(const QVariant &total, const QString &name)
{
    const int n = total.toInt();
    if (n < 0) {
        qDebug().noquote()
            << QStringLiteral("Macro \"%1\": step count %2 read as 0").arg(printable(name)).arg(n);
        return 0;
    }
    if (n > kMaxSteps) {
        qDebug().noquote() << QStringLiteral("Macro \"%1\": step count %2 read as %3")
                                  .arg(printable(name))
                                  .arg(n)
                                  .arg(kMaxSteps);
        return kMaxSteps;
    }
    return n;
}

QList<QSettings *> userProfiles(const QList<QSettings *> &profiles)
{
    QList<QSettings *> result;
    for (QSettings *profile : profiles.mid(0, ProfileNumbers::kNamedCount)) {
        if (profile)
            result.append(profile);
    }
    return result;
}

void renameInProfile(QSettings *profile, const QString &oldName, const QString &newName)
{
    profile->beginGroup(QStringLiteral("mouseMacroKey"));
    const QStringList slotKeys = profile->childKeys();
    for (const QString &slot : slotKeys) {
        if (storedText(profile->value(slot)) == oldName)
            profile->setValue(slot, newName);
    }
    profile->endGroup();
}

// True when button's entry is a macro entry whose slot names the macro.
bool boundToMacro(QSettings *profile, int button, const QString &name)
{
    const QVariantList entry =
        profile->value(QStringLiteral("mouseKeyMatrix/%1").arg(button)).toList();
    if (entry.size() < 3 || entry.at(0).toString().toInt() != kMacroKind)
        return false;
    const QString slotKey = QStringLiteral("mouseMacroKey/") + entry.at(2).toString();
    return storedText(profile->value(slotKey)) == name;
}

QString dialogText(const char *text)
{
    return QCoreApplication::translate("myQQuickView", text);
}


}  // namespace

QString macroFilePath(const QString &name)
{
    return kMacroFolder + name + QStringLiteral(".bin");
}

bool isUsableMacroName(const QString &name)
{
    if (name.isEmpty() || name.size() > kMaxNameLength || name.startsWith(QLatin1Char('.')))
        return false;
    for (const QChar ch : name) {
        if (ch == QLatin1Char('/') || ch == QLatin1Char('\\')
            || ch.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

bool createMacroIni(const QString &name, uint macroIndex)
{
    if (!checkName(name, "createMacroIni"))
        return false;
    QSettings settings(macroFilePath(name), QSettings::IniFormat);
    settings.setValue(QStringLiteral("config/index"), macroIndex);
    settings.setValue(QStringLiteral("config/total"), 0);
    settings.setValue(QStringLiteral("config/repeat"), 1);
    settings.setValue(QStringLiteral("config/did"), -1);
    return synced(settings);
}

bool saveMacroIni(const QString &name, const QStringList &steps, const QVariant &repeat)
{
    if (!checkName(name, "saveMacroIni"))
        return false;
    if (!macroFileExists(name)) {
        qDebug().noquote()
            << QStringLiteral("saveMacroIni: no macro file %1").arg(macroFilePath(printable(name)));
        return false;
    }
    QSettings settings(macroFilePath(name), QSettings::IniFormat);
    settings.remove(QStringLiteral("macro"));
    settings.setValue(QStringLiteral("config/total"), steps.size());
    settings.setValue(QStringLiteral("config/repeat"), repeat);
    for (int i = 0; i < steps.size(); ++i)
        settings.setValue(QStringLiteral("macro/%1").arg(i), steps.at(i));
    return synced(settings);
}

QStringList loadMacroIni(const QString &name)
{
    if (!checkName(name, "loadMacroIni") || !macroFileExists(name))
        return {};
    QSettings settings(macroFilePath(name), QSettings::IniFormat);
    const int total = boundedStepCount(settings.value(QStringLiteral("config/total"), 0), name);
    QStringList result;
    result.reserve(total + 1);
    for (int i = 0; i < total; ++i)
        result.append(storedText(settings.value(QStringLiteral("macro/%1").arg(i), "0")));
    result.append(storedText(settings.value(QStringLiteral("config/repeat"), "0")));
    return result;
}

bool deleteMacroIni(const QString &name)
{
    if (!checkName(name, "deleteMacroIni") || !macroFileExists(name))
        return false;
    QFile file(macroFilePath(name));
    if (file.remove())
        return true;
    qDebug().noquote()
        << QStringLiteral("Cannot delete %1 (%2)").arg(file.fileName(), file.errorString());
    return false;
}

bool modifyMacroNameUpdateProfile(
    const QString &oldName, const QString &newName, const QList<QSettings *> &profiles)
{
    if (!checkName(oldName, "modifyMacroNameUpdateProfile")
        || !checkName(newName, "modifyMacroNameUpdateProfile"))
        return false;
    if (!macroFileExists(oldName)) {
        qDebug().noquote() << QStringLiteral("Macro \"%1\" not renamed: %2 does not exist")
                                  .arg(oldName, macroFilePath(oldName));
        return false;
    }
    if (QFileInfo::exists(macroFilePath(newName))) {
        qDebug().noquote() << QStringLiteral("Macro \"%1\" not renamed: %2 exists already")
                                  .arg(oldName, macroFilePath(newName));
        return false;
    }
    for (QSettings *profile : userProfiles(profiles))
        renameInProfile(profile, oldName, newName);
    QFile file(macroFilePath(oldName));
    if (file.rename(macroFilePath(newName)))
        return true;
    qDebug().noquote() << QStringLiteral("Cannot rename %1 to %2 (%3)")
                              .arg(file.fileName(), macroFilePath(newName), file.errorString());
    return false;
}

void deleteMacroUpdateProfile(
    const QString &name, const QList<QSettings *> &profiles, QSettings *defaultProfile)
{
    if (!checkName(name, "deleteMacroUpdateProfile"))
        return;
    for (QSettings *profile : userProfiles(profiles)) {
        for (int button = 0; button < kButtons; ++button) {
            if (!boundToMacro(profile, button, name))
                continue;
            const QString key = QStringLiteral("mouseKeyMatrix/%1").arg(button);
            const QVariant factory = defaultProfile ? defaultProfile->value(key) : QVariant();
            if (!factory.isValid()) {
                qDebug().noquote() << QStringLiteral("No factory entry %1; %2 keeps it")
                                          .arg(key, profile->fileName());
                continue;
            }
            profile->setValue(key, factory);
        }
    }
}

int macroUseCount(const QString &name, const QList<QSettings *> &profiles)
{
    int count = 0;
    for (QSettings *profile : userProfiles(profiles))
        for (int button = 0; button < kButtons; ++button)
            count += boundToMacro(profile, button, name) ? 1 : 0;
    return count;
}

QList<std::pair<int, int>> macroUsers(const QString &name, const QList<QSettings *> &profiles)
{
    QList<std::pair<int, int>> users;
    const QList<QSettings *> named = profiles.mid(0, ProfileNumbers::kNamedCount);
    for (int number = 0; number < named.size(); ++number) {
        if (!named.at(number))
            continue;
        for (int button = 0; button < kButtons; ++button) {
            if (boundToMacro(named.at(number), button, name))
                users.append({number, button});
        }
    }
    return users;
}

bool loadMacroFile(const QString &name, QWidget *dialogParent)
{
    if (!checkName(name, "loadMacroFile"))
        return false;
    const QString chosen = fileDialogs().openFileName(
        dialogParent, dialogText("Open File"), dialogFolder(), dialogText("Macro(*.mc)"));
    if (chosen.isEmpty())
        return false;
    rememberDialogFolder(chosen);
    const QString target = macroFilePath(name);
    if (QFileInfo::exists(target)) {
        qDebug().noquote() << QStringLiteral("%1 exists; the import left it as it was").arg(target);
        return true;
    }
    QDir().mkpath(kMacroFolder);
    QFile source(chosen);
    if (source.copy(target))
        return true;
    qDebug().noquote()
        << QStringLiteral("Cannot import %1 as %2 (%3)").arg(chosen, target, source.errorString());
    return false;
}

void saveMacroFile(const QString &name, QWidget *dialogParent)
{
    if (!checkName(name, "saveMacroFile"))
        return;
    const QString chosen = fileDialogs().saveFileName(dialogParent, dialogText("Save File"),
        dialogFolder() + QLatin1Char('/') + name + QStringLiteral(".mc"), dialogText("Macro(*.mc)"));
    if (chosen.isEmpty())
        return;
    rememberDialogFolder(chosen);
    replaceNameWithCopy(macroFilePath(name), chosen);
}

}  // namespace MacroFiles
