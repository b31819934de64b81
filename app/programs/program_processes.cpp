#include "program_processes.h"

#include "text_escape.h"

#include <algorithm>
#include <cstdlib>

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

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

namespace {

// Programs of the desktop session itself: the running-programs list leaves them out (a name
// ending in '*' stands for every name that begins so).
const char *const kSessionServices[] = {"dbus-*", "packagekitd", "memfd:*", "at-spi*", "Xorg",
    "Xwayland", "Xvfb", "xvfb-run", "systemd", "(sd-pam)", "pipewire*", "wireplumber", "pulseaudio",
    "gvfs*", "gnome-keyring-daemon", "xdg-*", "ibus*", "fcitx*", "ssh-agent", "gpg-agent",
    "dconf-service", "gsd-*", "evolution-*", "tracker-miner-*", "kded*", "kaccess", "ksmserver",
    "kglobalaccel*", "polkit*", "obexd", "goa-*", "bash", "sh", "dash", "zsh", "fish", "tmux*",
    "screen", "sudo", "su", "login", "sshd", "agetty", "cron"};

}  // namespace

bool isSessionService(const QString &exeName)
{
    for (const char *service : kSessionServices) {
        const QLatin1String name(service);
        if (name.endsWith(QLatin1Char('*')) ? exeName.startsWith(name.chopped(1)) : exeName == name)
            return true;
    }
    return false;
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

namespace {

// Programs of Wine itself and of Steam's Windows client: they run beside every Windows game, so
// a rule naming one would match them all.
const char *const kWineOwnPrograms[] = {"steam.exe", "steamwebhelper.exe", "explorer.exe",
    "services.exe", "winedevice.exe", "plugplay.exe", "svchost.exe", "rpcss.exe", "wineboot.exe",
    "winemenubuilder.exe", "start.exe", "conhost.exe", "tabtip.exe", "rundll32.exe", "cmd.exe",
    "wineconsole.exe", "msiexec.exe", "rundll.exe", "winecfg.exe", "iexplore.exe"};

bool isWineOwn(const QString &name)
{
    return std::any_of(
        std::begin(kWineOwnPrograms), std::end(kWineOwnPrograms), [&name](const char *own) {
            return name.compare(QLatin1String(own), Qt::CaseInsensitive) == 0;
        });
}

// Whether the process runs a Windows program: its executable is one of Wine's (wine, wine64,
// their preloaders, as Proton runs them too), or it was started under a Wine prefix.
bool isWineProcess(const QString &exeName, const QByteArray &environment)
{
    if (exeName.startsWith(QLatin1String("wine")))
        return true;
    for (const QByteArray &entry : environment.split('\0')) {
        if (entry.startsWith("WINEPREFIX=") || entry.startsWith("WINELOADER="))
            return true;
    }
    return false;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(256 * 1024) : QByteArray();
}

}  // namespace

QString ProcFs::decodeName(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    // Not UTF-8: the bytes beyond ASCII (and the backslash, so no name reads as another) are
    // written out as \xHH, so each name has its own text and keeps it in the rules file.
    return TextEscape::bytes(bytes, [](uchar byte) { return byte >= 0x80 || byte == '\\'; });
}

QStringList ProcFs::windowsNamesIn(const QByteArray &cmdline)
{
    QStringList names;
    for (const QByteArray &argument : cmdline.split('\0')) {
        if (!argument.toLower().endsWith(".exe"))
            continue;
        // The folder is cut off in bytes: a name that is not UTF-8 has backslashes of its own.
        const qsizetype cut = std::max(argument.lastIndexOf('\\'), argument.lastIndexOf('/'));
        const QString name = decodeName(argument.mid(cut + 1));
        if (name.size() > 4 && !names.contains(name) && !isWineOwn(name))
            names.append(name);
    }
    return names;
}

QString ProcFs::exePath(qint64 pid, const QString &procRoot)
{
    char target[4096];
    const ssize_t length = ::readlink(
        QFile::encodeName(QStringLiteral("%1/%2/exe").arg(procRoot).arg(pid)).constData(), target,
        sizeof target);
    if (length <= 0 || size_t(length) >= sizeof target)
        return QString();
    QByteArray path(target, int(length));
    // A program whose file was replaced while it runs (an update) still has its name.
    if (path.endsWith(" (deleted)"))
        path.chop(10);
    return decodeName(path);
}

ProcessInfo ProcFs::read(qint64 pid, const QString &procRoot)
{
    ProcessInfo info;
    info.pid = pid;
    // The executable link can be read for the user's own processes only (and not for one that
    // has ended, a zombie among them); the command lines of other users' processes are not the
    // program's business.
    info.exePath = exePath(pid, procRoot);
    if (info.exePath.isEmpty())
        return info;
    const QString folder = QStringLiteral("%1/%2/").arg(procRoot).arg(pid);
    // Windows names count only for Windows programs: a native program's ".exe" argument is a
    // file it works on.
    if (isWineProcess(info.exeName(), readAll(folder + QStringLiteral("environ"))))
        info.windowsNames = windowsNamesIn(readAll(folder + QStringLiteral("cmdline")));
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
        } else if (!entry.info.exePath.isEmpty()
            && ProcFs::exePath(pid, m_root) != entry.info.exePath) {
            // The process ran another program (a launcher's late exec) or ended without being
            // waited for (a zombie has no executable): read it as a new one.
            entry.reads = 1;
            entry.info = ProcFs::read(pid, m_root);
            changed = true;
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
