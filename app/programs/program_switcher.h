#pragma once

#include "focus_source.h"
#include "program_decider.h"
#include "program_rules.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QVariant>

#include <memory>

class SceneGate;

// The profiles that follow the programs the user runs and focuses: keeps the rules that say
// which program wants which profile (the scene's programs page reaches it as ui_Programs),
// feeds the focus and the running processes to a ProgramDecider, and makes the switches it
// decides through the scene gate, the same flow as the drop-down. A switch that is due waits
// while the gate holds profile switches back (a page open, something unsaved, the mouse busy,
// another switch) and happens as soon as that is over, if it still applies.
class ProgramSwitcher : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool automatic READ automatic WRITE setAutomatic NOTIFY rulesChanged)
    Q_PROPERTY(int defaultProfile READ defaultProfile WRITE setDefaultProfile NOTIFY rulesChanged)
    Q_PROPERTY(QVariantList rules READ ruleList NOTIFY rulesChanged)
    Q_PROPERTY(int desktop READ desktop NOTIFY desktopChanged)
    // The source of the focused window in use ("X11", "wlroots", "KWin", "GNOME Shell"; empty:
    // none), and the command that enables a better one of this desktop (empty: none).
    Q_PROPERTY(QString focusSource READ focusSource NOTIFY desktopChanged)
    Q_PROPERTY(QString focusHint READ focusHint NOTIFY desktopChanged)
    // Why that better source does not serve yet: 0 not enabled, 1 the desktop marks it out of
    // date, 2 the desktop reports that it failed.
    Q_PROPERTY(int focusSetup READ focusSetup NOTIFY desktopChanged)
    // The last change could not be stored; the rules are what the file holds.
    Q_PROPERTY(bool saveFailed READ saveFailed NOTIFY rulesChanged)
    // The rules file is there but cannot be read: nothing is stored until it can be.
    Q_PROPERTY(bool rulesUnreadable READ rulesUnreadable NOTIFY rulesChanged)
    // The programs whose rules named a profile deleted from the list: they use the default
    // profile now.
    Q_PROPERTY(QStringList orphanedPrograms READ orphanedPrograms NOTIFY rulesChanged)
    Q_PROPERTY(QString rulesPath READ rulesPath CONSTANT)

public:
    // How long what applies must hold before its profile is switched to.
    static constexpr int kHoldMs = ProgramDecider::kHoldMs;
    // How often the process list is read, only while the switch is on and a rule waits for a
    // program to run: a scan that finds nothing new costs about 0.4 ms (160 processes).
    static constexpr int kScanMs = 2000;
    // How soon a switch that had to wait looks again.
    static constexpr int kRetryMs = 250;

    // What this desktop lets the program see.
    enum Desktop {
        FocusAndRunning = 0,  // an X11 desktop whose window manager names the focused window
        X11FocusOnly = 1,     // a Wayland session: focus is seen for X11 windows only
        RunningOnly = 2,      // no focus at all
    };

    // Reads the rules from rulesPath; watches the focus with the first source this desktop has.
    explicit ProgramSwitcher(
        const QString &rulesPath = QString::fromLatin1(ProgramRulesFile::kPath),
        QObject *parent = nullptr);
    ~ProgramSwitcher() override;

    // The door to the scene: its profiles, the profile in use, its language, its switch.
    void setGate(SceneGate *gate);

    bool automatic() const { return m_rules.automatic; }
    void setAutomatic(bool on);
    int defaultProfile() const { return m_rules.defaultProfile; }
    void setDefaultProfile(int profile);
    const ProgramRules &rules() const { return m_rules; }
    QVariantList ruleList() const;
    int desktop() const;
    QString focusSource() const;
    QString focusHint() const;
    int focusSetup() const;
    bool saveFailed() const { return m_saveFailed; }
    bool rulesUnreadable() const { return m_saveFailed && !ProgramRulesFile::isReadable(m_path); }
    QStringList orphanedPrograms() const { return m_orphaned; }
    QString rulesPath() const { return m_path; }

    // The programs running now that a rule can name, for the page: { name, program, match,
    // icon } by name, one per program; a program with a window by its window's class.
    Q_INVOKABLE QVariantList runningPrograms();
    // Adds a rule unless the program has one already; false then.
    Q_INVOKABLE bool addRule(
        const QString &program, const QString &match, int profile, int trigger);
    // Adds a rule for a file the user picks; false when cancelled or the program has a rule.
    Q_INVOKABLE bool addRuleFromFile(int profile, int trigger);
    Q_INVOKABLE void removeRule(int index);
    Q_INVOKABLE void setRuleProfile(int index, int profile);
    Q_INVOKABLE void setRuleTrigger(int index, int trigger);

    // The texts of the language section "programs" in the scene's language (ProgramTexts).
    QStringList texts() const;

public slots:
    // Something that held a switch back may be over: try the waiting one.
    void retry();

signals:
    void rulesChanged();
    void desktopChanged();
    // A switch made by a rule (program empty: back to the default profile).
    void switchedByRule(const QString &profileName, const QString &program);

private:
    qint64 now() const { return m_clock.elapsed(); }
    void changed();
    void apply();
    void armHold();
    void holdEnded();
    QList<int> profileNumbers() const;
    QString profileName(int number) const;
    void updateScanning();
    void onFocusChanged();
    void profilesChanged();
    void useFocusSource(std::unique_ptr<FocusSource> source);
    void waitingChanged();
    void scan();
    // The classes of the desktop's windows, read only while a running rule names a class.
    QStringList windowClasses() const;

    QString m_path;
    ProgramRules m_rules;
    bool m_saveFailed = false;
    QStringList m_orphaned;
    std::unique_ptr<FocusSource> m_focus;    // nullptr: this desktop tells no focus
    std::unique_ptr<FocusSource> m_waiting;  // a better one, once the user enables it
    ProgramDecider m_decider;
    QElapsedTimer m_clock;
    QTimer m_scanTimer;
    QTimer m_holdTimer;
    QTimer m_retryTimer;
    QPointer<SceneGate> m_gate;
};
