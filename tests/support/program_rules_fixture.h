#pragma once

// What the tests of profiles that follow programs set up alike, on X11 and on Wayland: the
// rules file as the user's last session left it, three named profiles whose DPI stage counts
// tell on the mouse which one was sent last, and the short hold and scan periods of the
// tests' clock.

#include "scene_rig.h"

#include <QFile>
#include <QList>
#include <QSettings>
#include <QString>

namespace simtest {

// The tests' periods: a rule must hold this long before its profile is switched to, and the
// process list is read this often (the program's own are 1 s and 2 s).
constexpr int kTestHoldMs = 500;
constexpr int kTestScanMs = 100;

// Sets the periods above for every program started afterwards in this process.
inline void useTestPeriods()
{
    qputenv("STRYLA_TEST_HOLD_MS", QByteArray::number(kTestHoldMs));
    qputenv("STRYLA_TEST_SCAN_MS", QByteArray::number(kTestScanMs));
}

// One line of the rules file: match "name", "path", "windows" or "class"; trigger "focus" or
// "running".
struct RuleLine
{
    QString program;
    QString match;
    int profile;
    QString trigger;
};

// Writes the rules file of rig's installation: the rules in order, the master switch and the
// default profile.
inline void writeProgramRules(const SceneRig &rig, const QList<RuleLine> &rules,
    bool automatic = true, int defaultProfile = 0)
{
    QFile file(rig.file(QStringLiteral("modules/setting/programs.bin")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QString text = QStringLiteral("[switching]\nautomatic=%1\ndefault=%2\n[rules]\nsize=%3\n")
                       .arg(automatic ? "true" : "false")
                       .arg(defaultProfile)
                       .arg(rules.size());
    for (int i = 0; i < rules.size(); ++i) {
        const RuleLine &rule = rules.at(i);
        text += QStringLiteral("%1\\program=%2\n%1\\match=%3\n%1\\profile=%4\n%1\\trigger=%5\n")
                    .arg(i + 1)
                    .arg(rule.program, rule.match)
                    .arg(rule.profile)
                    .arg(rule.trigger);
    }
    file.write(text.toUtf8());
}

// Profiles 0 (Standard, four DPI stages), 1 (Work, three) and 2 (Game, two).
inline void nameTestProfiles(SceneRig &rig)
{
    QSettings(rig.file("modules/setting/name.bin"), QSettings::IniFormat)
        .setValue("profile/profileName", QStringList {"Standard0", "Work1", "Game2"});
    rig.setProfileValue(1, "mouse/currentDpiCount", 3);
    rig.setProfileValue(2, "mouse/currentDpiCount", 2);
}

}  // namespace simtest
