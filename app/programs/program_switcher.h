#pragma once

#include "focus_source.h"
#include "program_processes.h"
#include "program_rules.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QVariant>

#include <functional>
#include <memory>

// Switches the profile in use by the programs the user runs and focuses, through the scene's
// own profile switch, and keeps the rules that say which program wants which profile. The
// scene's programs page reaches it as ui_Programs.
//
// A program's rule applies while its window has the focus or while it runs, as the rule says;
// a focus rule wins over a running one, and among rules of one kind the first in the list.
// What applies must hold for kHoldMs before the profile changes, so passing through a program
// writes nothing to the mouse. When no rule applies any more, the default profile comes back,
// unless a profile was chosen by hand while the rule applied: that one stays until a rule
// applies again. Nothing switches while a page is open,
// something is unsaved, or the mouse is busy (another switch among them): the switch waits and
// happens as soon as that is over, if it still applies.
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
    // The last change could not be stored; the rules are what the file holds.
    Q_PROPERTY(bool saveFailed READ saveFailed NOTIFY rulesChanged)
    Q_PROPERTY(QString rulesPath READ rulesPath CONSTANT)

public:
    static constexpr int kHoldMs = 1000;
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

    // The scene's root item, with profileNo, profileEntries, popupOpen, unsaved and
    // requestProfile(number); busy says whether the mouse is being written.
    void setScene(QObject *root, std::function<bool()> busy);

    bool automatic() const { return m_rules.automatic; }
    void setAutomatic(bool on);
    int defaultProfile() const { return m_rules.defaultProfile; }
    void setDefaultProfile(int profile);
    const ProgramRules &rules() const { return m_rules; }
    QVariantList ruleList() const;
    int desktop() const;
    QString focusSource() const;
    QString focusHint() const;
    bool saveFailed() const { return m_saveFailed; }
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

    // The profiles the scene lists, { number: name }, and the one in use (-1 without a scene).
    QList<QPair<int, QString>> profiles() const;
    int profileInUse() const;
    // A switch by hand, the same flow as the drop-down; false for a number that is no profile.
    bool requestProfile(int number);

    // The texts of the language section "programs" with their built-in defaults.
    QStringList texts() const;

public slots:
    // Something that held a switch back may be over: try the waiting one.
    void retry();

signals:
    void rulesChanged();
    void desktopChanged();
    // The scene's list of profiles or the profile in use changed.
    void profilesChanged();
    // A switch made by a rule (program empty: back to the default profile).
    void switchedByRule(const QString &profileName, const QString &program);

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

    void changed();
    void evaluate();
    Target wanted() const;
    void apply();
    bool heldBack() const;
    bool profileExists(int number) const;
    QString profileName(int number) const;
    void updateScanning();
    void onFocusChanged();
    void useFocusSource(std::unique_ptr<FocusSource> source);
    void waitingChanged();
    void scan();
    // The classes of the desktop's windows, read only while a running rule names a class.
    QStringList windowClasses() const;
    bool anyWindowOf(const ProgramRule &rule) const;

    QString m_path;
    ProgramRules m_rules;
    bool m_saveFailed = false;
    std::unique_ptr<FocusSource> m_focus;    // nullptr: this desktop tells no focus
    std::unique_ptr<FocusSource> m_waiting;  // a better one, once the user enables it
    FocusSource::Window m_focusedWindow;
    ProcessInfo m_focused;
    QStringList m_windowClasses;
    ProcessTable m_processes;
    QTimer m_scanTimer;
    QTimer m_holdTimer;
    QTimer m_retryTimer;
    QPointer<QObject> m_scene;
    std::function<bool()> m_busy;
    Target m_wanted;
    Target m_applied;
    int m_ruleProfile = -1;  // the profile a rule put in use, while that rule applies
    bool m_holdDone = false;
    bool m_switching = false;
};
