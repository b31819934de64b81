#pragma once

#include "program_rules.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// What the process list says about one process: its executable and, for a Windows program run
// by Wine or Proton, the Windows executables its command line names.
struct ProcessInfo
{
    qint64 pid = 0;
    QString exePath;           // the target of /proc/PID/exe, empty when it cannot be read
    QStringList windowsNames;  // "game.exe", from the command line, as written there

    QString exeName() const;
    // The name a user knows the program by: the Windows executable, else the file name.
    QString displayName() const;
    bool isValid() const { return !exePath.isEmpty() || !windowsNames.isEmpty(); }
    bool operator==(const ProcessInfo &other) const
    {
        return pid == other.pid && exePath == other.exePath && windowsNames == other.windowsNames;
    }
};

// Whether rule names the process, or the window of that process whose class is windowClass.
// File names and paths compare exactly; Windows names ignore case, as Windows does, and so do
// window classes (an X11 class "Firefox" is the app id "firefox" on Wayland).
bool ruleMatches(
    const ProgramRule &rule, const ProcessInfo &process, const QString &windowClass = QString());

// Whether a program of that file name belongs to the desktop session (its message bus, sound
// server, accessibility bus, X server, shells …) rather than to the user's programs.
bool isSessionService(const QString &exeName);

// The rule that names a program as a user chose it: a Windows executable by its name, any
// other file by its full path.
ProgramRule ruleForFile(const QString &path);
// The rule for a running process: the Windows executable by name, else the file name.
ProgramRule ruleForProcess(const ProcessInfo &process);

namespace ProcFs {

// A file name or argument as the system gives it: UTF-8 as text; other bytes so that each
// name keeps a text of its own ("caf\xe8" and "caf\xe9" stay apart).
QString decodeName(const QByteArray &bytes);

// The Windows executables named in a command line (NUL-separated, as /proc gives it): every
// argument ending in ".exe", without its folder ("C:\Games\Game.exe" and
// "/home/u/Games/Game.exe" give "Game.exe"), except Wine's own programs.
QStringList windowsNamesIn(const QByteArray &cmdline);

// The target of /proc/PID/exe; empty for another user's process, a kernel thread, a zombie or
// one that has ended.
QString exePath(qint64 pid, const QString &procRoot = QStringLiteral("/proc"));

// /proc/PID/exe and, for a process of Wine or Proton (its executable is Wine's, or it runs
// under a Wine prefix), the Windows names of /proc/PID/cmdline; a process of another user, a
// kernel thread or one that has ended gives nothing.
ProcessInfo read(qint64 pid, const QString &procRoot = QStringLiteral("/proc"));

// The process ids in procRoot now.
QList<qint64> pids(const QString &procRoot = QStringLiteral("/proc"));

}  // namespace ProcFs

// The running processes, read from /proc by scan(). A process is read in the first scans
// after its id appears (a new process may still replace its program: a fork before exec, a
// Wine loader); later scans look only at its executable link, and read it again when that
// changed (an exec, or a zombie, which has none), so a scan costs one directory listing and one
// link per process of the user while nothing starts.
class ProcessTable
{
public:
    explicit ProcessTable(const QString &procRoot = QStringLiteral("/proc"))
        : m_root(procRoot)
    { }

    // Re-lists the processes; true when any started or ended since the last scan.
    bool scan();
    QList<ProcessInfo> processes() const;
    bool anyMatches(const ProgramRule &rule) const;

private:
    QString m_root;
    struct Entry
    {
        ProcessInfo info;
        int reads = 0;
    };
    static constexpr int kReads = 3;

    QHash<qint64, Entry> m_processes;
};
