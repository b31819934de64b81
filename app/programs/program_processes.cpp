#include "program_processes.h"

#include <algorithm>
#include <cstdlib>

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <dirent.h>
#include <unistd.h>

QString ProcessInfo::exeName() const
{
    return QFileInfo(exePath).fileName();
}

QString ProcessInfo::displayName() const
{
    return windowsNames.isEmpty() ? exeName() : windowsNames.constFirst();
}

bool ruleMatches(const ProgramRule &rule, const ProcessInfo &process, const QString &windowClass)
{
    switch (rule.match) {
    case ProgramRule::Match::FileName:
        return !process.exePath.isEmpty() && process.exeName() == rule.program;
    case ProgramRule::Match::Path:
        return process.exePath == rule.program;
    case ProgramRule::Match::WindowsName:
        for (const QString &name : process.windowsNames) {
            if (name.compare(rule.program, Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    case ProgramRule::Match::WindowClass:
        return !windowClass.isEmpty()
            && windowClass.compare(rule.program, Qt::CaseInsensitive) == 0;
    }
    return false;
}

ProgramRule ruleForFile(const QString &path)
{
    ProgramRule rule;
    const QStringList windows = ProcFs::windowsNamesIn(QFile::encodeName(path));
    if (!windows.isEmpty()) {
        rule.program = windows.constFirst();
        rule.match = ProgramRule::Match::WindowsName;
    } else {
        rule.program = path;
        rule.match = ProgramRule::Match::Path;
    }
    return rule;
}

ProgramRule ruleForProcess(const ProcessInfo &process)
{
    ProgramRule rule;
    if (!process.windowsNames.isEmpty()) {
        rule.program = process.windowsNames.constFirst();
        rule.match = ProgramRule::Match::WindowsName;
    } else {
        rule.program = process.exeName();
        rule.match = ProgramRule::Match::FileName;
    }
    return rule;
}

QStringList ProcFs::windowsNamesIn(const QByteArray &cmdline)
{
    QStringList names;
    for (const QByteArray &argument : cmdline.split('\0')) {
        const QString text = QString::fromLocal8Bit(argument);
        if (!text.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
            continue;
        const qsizetype cut =
            std::max(text.lastIndexOf(QLatin1Char('\\')), text.lastIndexOf(QLatin1Char('/')));
        const QString name = text.mid(cut + 1);
        if (name.size() > 4 && !names.contains(name))
            names.append(name);
    }
    return names;
}

ProcessInfo ProcFs::read(qint64 pid, const QString &procRoot)
{
    ProcessInfo info;
    info.pid = pid;
    const QString folder = QStringLiteral("%1/%2/").arg(procRoot).arg(pid);
    char target[4096];
    const ssize_t length = ::readlink(
        QFile::encodeName(folder + QStringLiteral("exe")).constData(), target, sizeof target);
    if (length > 0 && size_t(length) < sizeof target)
        info.exePath = QFile::decodeName(QByteArray(target, int(length)));
    // The executable link can be read for the user's own processes only; the command lines of
    // other users' processes are not the program's business.
    if (info.exePath.isEmpty())
        return info;
    QFile cmdline(folder + QStringLiteral("cmdline"));
    if (cmdline.open(QIODevice::ReadOnly))
        info.windowsNames = windowsNamesIn(cmdline.read(64 * 1024));
    return info;
}

// readdir rather than QDir: a scan runs every two seconds while rules wait for a program, and
// QDir builds a file-info entry for each of several hundred folders.
QList<qint64> ProcFs::pids(const QString &procRoot)
{
    QList<qint64> result;
    DIR *dir = ::opendir(QFile::encodeName(procRoot).constData());
    if (!dir)
        return result;
    while (const dirent *entry = ::readdir(dir)) {
        char *end = nullptr;
        const long long pid = std::strtoll(entry->d_name, &end, 10);
        if (pid > 0 && end && *end == '\0')
            result.append(pid);
    }
    ::closedir(dir);
    return result;
}

bool ProcessTable::scan()
{
    const QList<qint64> now = ProcFs::pids(m_root);
    bool changed = false;
    QSet<qint64> seen;
    seen.reserve(now.size());
    for (qint64 pid : now) {
        seen.insert(pid);
        Entry &entry = m_processes[pid];
        if (entry.reads < kReads) {
            ++entry.reads;
            ProcessInfo info = ProcFs::read(pid, m_root);
            if (entry.reads == 1 || !(info == entry.info)) {
                entry.info = std::move(info);
                changed = true;
            }
        }
    }
    for (auto it = m_processes.begin(); it != m_processes.end();) {
        if (!seen.contains(it.key())) {
            it = m_processes.erase(it);
            changed = true;
        } else {
            ++it;
        }
    }
    return changed;
}

QList<ProcessInfo> ProcessTable::processes() const
{
    QList<ProcessInfo> result;
    result.reserve(m_processes.size());
    for (const Entry &entry : m_processes)
        result.append(entry.info);
    return result;
}

bool ProcessTable::anyMatches(const ProgramRule &rule) const
{
    for (const Entry &entry : m_processes) {
        if (ruleMatches(rule, entry.info))
            return true;
    }
    return false;
}
