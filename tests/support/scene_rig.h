#pragma once

// The whole program around the real scene, for tests that use it as a user does: a fresh
// installation folder, a simulated mouse of the chosen family, the host window with its
// view, bridge and transport, and a driver for the scene. Configure and plug before
// start(); start() connects the device and waits until the main screen shows.

#include "device_rig.h"
#include "diagnostics.h"
#include "runtime_dir.h"
#include "scene_driver.h"
#include "sim_support.h"
#include "test_clock.h"
#include "widget.h"

#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace simtest {

class SceneRig
{
public:
    // The desktop's own settings files (kdeglobals, a GSettings key file) go to the
    // temporary folder too: the system page changes them when a profile is applied.
    SceneRig()
        : m_configHome(qgetenv("XDG_CONFIG_HOME"))
    {
        sim::reset();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path(QStringLiteral("config"))));
    }
    // A console line meaning that the program refused a call or did not understand a value
    // fails the test running, unless the test allowed it.
    ~SceneRig()
    {
        scene.reset();
        window.reset();
        sim::reset();
        if (m_configHome.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", m_configHome);
        const QStringList faults = consoleFaults();
        if (faults.isEmpty())
            return;
        const QString text = QStringLiteral("console: ") + faults.join(QLatin1String(" | "));
        if (!QTest::currentTestFunction())  // a benchmark: no test to fail
            std::fprintf(stderr, "%s\n", qPrintable(text));
        else if (!QTest::currentTestFailed())
            QTest::qFail(qPrintable(text), __FILE__, __LINE__);
    }
    SceneRig(const SceneRig &) = delete;
    SceneRig &operator=(const SceneRig &) = delete;

    // The device facts the program reads from its configuration at start.
    void configure(sim::Family family, bool gun = false, bool colorful = true)
    {
        dir.setGlobal(QStringLiteral("mouse/icType"), familyName(family));
        dir.setGlobal(QStringLiteral("mouse/isGun"), gun);
        dir.setGlobal(QStringLiteral("mouse/isColorful"), colorful);
        this->family = family;
    }

    sim::DeviceId plug()
    {
        device = sim::plug(sim::referenceMouse(family));
        return device;
    }

    // Builds the window, runs the first device check and waits for the main screen; the
    // wire log starts empty afterwards.
    bool start()
    {
        if (!device)
            plug();
        window = std::make_unique<Widget>();
        window->showNormal();
        window->checkDevice();
        scene = std::make_unique<SceneDriver>(*window);
        const bool shown = SceneDriver::waitFor(
            [this] {
                return scene->isShown(QStringLiteral("mainScreen")) && window->view()->isEnabled();
            },
            4000);
        // A user acts on what a frame has shown: the main screen comes in the turn of the event
        // loop that ends the start-up, before its rows are laid out, so it is drawn once first.
        if (shown)
            window->view()->grabFramebuffer();
        sim::clearWireLog();
        return shown;
    }

    // Starts as start() does, then opens a page with a click on entry and waits until its
    // item usable takes input.
    bool startAt(const QString &entry, const QString &usable)
    {
        return start() && scene->click(entry) && scene->waitUsable(usable);
    }

    sim::DeviceState state() const { return sim::state(device); }

    // Waits until no command is in progress and nothing has crossed the command interface for
    // quietMs (as long as the tests' clock makes it, at least 100 ms); false when that does
    // not happen within timeoutMs.
    bool waitForQuietWire(int quietMs = 400, int timeoutMs = 15000)
    {
        quietMs = qMax(100, TestClock::pause(quietMs));
        auto commandRecords = [] {
            const std::vector<sim::WireRecord> log = sim::wireLog();
            return std::count_if(log.begin(), log.end(),
                [](const sim::WireRecord &r) { return r.interface == sim::Interface::Command; });
        };
        QElapsedTimer total, quiet;
        total.start();
        quiet.start();
        auto seen = commandRecords();
        while (total.elapsed() < timeoutMs) {
            QTest::qWait(20);
            const auto now = commandRecords();
            if (now != seen || (window && window->hid().isCommandInProgress())) {
                seen = now;
                quiet.restart();
            } else if (quiet.elapsed() >= quietMs) {
                return true;
            }
        }
        return false;
    }

    // Paths and keys of the installation folder.
    QString profileFile(int profile) const
    {
        return dir.path(QStringLiteral("modules/setting/p%1.bin").arg(profile + 1));
    }
    QString file(const QString &relative) const { return dir.path(relative); }

    // Values as a new process reads them from the file on disk: QSettings objects of this
    // process would answer from the program's cache, written or not.
    QVariant profileValue(int profile, const QString &key) const
    {
        return diskValue(profileFile(profile), key);
    }
    void setProfileValue(int profile, const QString &key, const QVariant &value)
    {
        QSettings(profileFile(profile), QSettings::IniFormat).setValue(key, value);
    }
    QVariant globalValue(const QString &key) const
    {
        return diskValue(file(QStringLiteral("modules/setting/apConfig.bin")), key);
    }
    QVariant diskValue(const QString &path, const QString &key) const
    {
        const QString copy = m_reads.filePath(QString::number(++m_readCount));
        QFile::copy(path, copy);
        return QSettings(copy, QSettings::IniFormat).value(key);
    }

    // The text of a "group/name" key's line in an INI file on disk, as written ("0, 1, 2");
    // null when the file has no such line.
    QString iniText(const QString &path, const QString &key) const
    {
        const QString group = key.section(QLatin1Char('/'), 0, 0);
        const QString name = key.section(QLatin1Char('/'), 1);
        QString section;
        for (const QString &line : QString::fromUtf8(fileBytes(path)).split(QLatin1Char('\n'))) {
            const QString l = line.trimmed();
            if (l.startsWith(QLatin1Char('[')) && l.endsWith(QLatin1Char(']')))
                section = l.mid(1, l.size() - 2);
            else if (section == group && l.startsWith(name + QLatin1Char('=')))
                return l.mid(name.size() + 1);
        }
        return QString();
    }

    QStringList consoleLines() const { return m_console.lines(); }

    // Lets console lines containing text pass: a test provokes them on purpose.
    void allowConsole(const QString &text) { m_allowed.append(text); }

    // Console lines so far that mean a refused call or a value not understood: QML warnings
    // and errors, a list of the wrong length, values the settings files cannot keep.
    QStringList consoleFaults() const
    {
        static const QRegularExpression refused(
            QStringLiteral("expected \\d+ .*values|non-trivial QJSValue|unknown user type"
                           "|Could not convert argument"));
        static const QRegularExpression qmlSource(QStringLiteral("\\.qml:\\d+|^qrc:|^file:"));
        QStringList out;
        for (const DiagnosticCapture::Line &line : m_console.records()) {
            const bool qmlWarning = line.type != QtDebugMsg && line.type != QtInfoMsg
                && (line.category == QLatin1String("qml") || line.category == QLatin1String("js")
                    || line.text.contains(qmlSource));
            if (!qmlWarning && !line.text.contains(refused))
                continue;
            const bool allowed = std::any_of(m_allowed.begin(), m_allowed.end(),
                [&](const QString &a) { return line.text.contains(a); });
            if (!allowed)
                out.append(line.text);
        }
        return out;
    }

    // A macro file as the program writes it: the four config keys and the steps.
    void writeMacro(const QString &name, const QStringList &steps, int repeat = 1)
    {
        QSettings macro(file(QStringLiteral("modules/macro/%1.bin").arg(name)), QSettings::IniFormat);
        macro.setValue(QStringLiteral("config/index"), 0);
        macro.setValue(QStringLiteral("config/total"), steps.size());
        macro.setValue(QStringLiteral("config/repeat"), repeat);
        macro.setValue(QStringLiteral("config/did"), -1);
        for (int i = 0; i < steps.size(); ++i)
            macro.setValue(QStringLiteral("macro/%1").arg(i), steps.at(i));
    }

    QByteArray fileBytes(const QString &path) const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    RuntimeDir dir;
    sim::Family family = sim::Family::F553;
    sim::DeviceId device = 0;
    std::unique_ptr<Widget> window;
    std::unique_ptr<SceneDriver> scene;

private:
    QByteArray m_configHome;
    DiagnosticCapture m_console;
    QStringList m_allowed;
    QTemporaryDir m_reads;
    mutable int m_readCount = 0;
};

}  // namespace simtest
