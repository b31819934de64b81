#pragma once

#include "focus_source.h"
#include "program_processes.h"
#include "program_rules.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Decides which profile the programs the user runs and focuses want, and when. It knows
// nothing of the scene, the mouse or the event loop: the rules, the focused window, the
// running processes and the time (milliseconds on any steady clock) go in; "switch to profile
// N (by the rule for a program, or back to the default)" or nothing comes out.
//
// A program's rule applies while its window has the focus or while it runs, as the rule says;
// a focus rule wins over a running one, and among rules of one kind the first in the list.
// What applies must hold for the hold time before a switch is due, so passing through a
// program writes nothing to the mouse. When no rule applies any more, the default profile
// comes back, unless a profile was chosen by hand while the rule applied: that one stays until
// a rule applies again.
class ProgramDecider
{
public:
    static constexpr int kHoldMs = 1000;

    // A switch that is due: the profile to put in use, and the program whose rule wants it
    // (empty: no rule applies, the default profile comes back).
    struct Switch
    {
        int profile = -1;
        QString program;
        bool operator==(const Switch &o) const
        {
            return profile == o.profile && program == o.program;
        }
    };

    // Processes are read below procRoot (a test gives a folder of its own).
    explicit ProgramDecider(
        int holdMs = kHoldMs, const QString &procRoot = QStringLiteral("/proc"));

    // The rules to follow; evaluate() then. Turning the master switch on or off starts from
    // what is in use: only a later change of what applies switches. When the rules start to
    // wait for programs to run, the process list is read at once.
    void setRules(const ProgramRules &rules);
    // Works out again what applies; a change starts the hold.
    void evaluate(qint64 now);
    const ProgramRules &rules() const { return m_rules; }
    // Whether the running processes matter now (the switch is on and a rule waits for a
    // program to run), and whether the classes of the desktop's windows do too.
    bool watchesRunning() const;
    bool watchesWindowClasses() const;

    // The window that has the focus now; its process is read from the process folder.
    void setFocus(const FocusSource::Window &window, qint64 now);
    // Reads the process list again; true when a process started or ended since the last read.
    bool scanProcesses(qint64 now);
    const ProcessTable &processes() const { return m_processes; }
    // The classes of the desktop's windows, for running rules that name a window class.
    void setWindowClasses(const QStringList &classes, qint64 now);

    // When the hold of what applies now ends; -1 when no hold is running.
    qint64 holdEnds() const { return m_holdStart < 0 ? -1 : m_holdStart + m_holdMs; }
    // The clock moved on: a hold that has ended makes its switch due.
    void tick(qint64 now);
    // A switch waits to be made (the caller may still have to wait until the mouse is free).
    bool due() const;
    // Takes the due switch, given the profiles that exist and the one in use: what to put in
    // use, or nothing when nothing must change (it is in use, or a profile chosen by hand
    // stays). A profile that does not exist is replaced, with a diagnostic line: a rule's by
    // the default profile, the default by the first of the list. Call made() afterwards.
    std::optional<Switch> take(const QList<int> &profiles, int inUse);
    // The profile in use once the switch taken was made (or refused).
    void made(int inUse);

private:
    // What applies: a rule's profile, or (byRule false) the default profile.
    struct Target
    {
        bool byRule = false;
        int profile = -1;
        QString program;
        bool operator==(const Target &o) const
        {
            return byRule == o.byRule && profile == o.profile && program == o.program;
        }
    };

    Target wanted() const;
    bool anyWindowOf(const ProgramRule &rule) const;

    int m_holdMs;
    QString m_procRoot;
    ProgramRules m_rules;
    FocusSource::Window m_focusedWindow;
    ProcessInfo m_focused;
    ProcessTable m_processes;
    QStringList m_windowClasses;
    Target m_wanted;
    Target m_applied;
    int m_ruleProfile = -1;  // the profile a rule put in use, while that rule applies
    qint64 m_holdStart = -1;
    bool m_holdDone = false;
};
