#include "program_switcher.h"

#include "programs_log.h"

#include "file_dialogs.h"
#include "program_processes.h"
#include "program_texts.h"
#include "scene_gate.h"
#include "test_clock.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSet>

#include <algorithm>

Q_LOGGING_CATEGORY(lcPrograms, "stryla.programs", QtWarningMsg)

ProgramSwitcher::ProgramSwitcher(const QString &rulesPath, QObject *parent)
    : QObject(parent)
    , m_path(rulesPath)
    , m_rules(ProgramRulesFile::load(rulesPath))
    , m_decider(TestClock::period("HOLD", kHoldMs))
{
    m_clock.start();
    m_decider.setRules(m_rules);
    m_holdTimer.setSingleShot(true);
    m_holdTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_holdTimer, &QTimer::timeout, this, &ProgramSwitcher::holdEnded);
    m_retryTimer.setSingleShot(true);
    m_retryTimer.setInterval(kRetryMs);
    connect(&m_retryTimer, &QTimer::timeout, this, &ProgramSwitcher::apply);
    m_scanTimer.setInterval(TestClock::period("SCAN", kScanMs));
    connect(&m_scanTimer, &QTimer::timeout, this, &ProgramSwitcher::scan);

    useFocusSource(createFocusSource(&m_waiting));
    if (m_waiting) {
        connect(
            m_waiting.get(), &FocusSource::activeChanged, this, &ProgramSwitcher::waitingChanged);
    }
    onFocusChanged();
    updateScanning();
    armHold();
}

ProgramSwitcher::~ProgramSwitcher() = default;

void ProgramSwitcher::useFocusSource(std::unique_ptr<FocusSource> source)
{
    if (m_focus)
        m_focus->disconnect(this);
    m_focus = std::move(source);
    if (m_focus) {
        connect(m_focus.get(), &FocusSource::focusChanged, this, &ProgramSwitcher::onFocusChanged);
        connect(m_focus.get(), &FocusSource::activeChanged, this, &ProgramSwitcher::desktopChanged);
        m_focus->setWatching(m_rules.automatic);
    }
}

// The source the user was told how to enable came up: it takes over.
void ProgramSwitcher::waitingChanged()
{
    if (!m_waiting->isActive()) {
        emit desktopChanged();  // what the page says of it may have changed
        return;
    }
    m_waiting->disconnect(this);
    useFocusSource(std::move(m_waiting));
    emit desktopChanged();
    onFocusChanged();
}

void ProgramSwitcher::setGate(SceneGate *gate)
{
    if (m_gate)
        m_gate->disconnect(this);
    m_gate = gate;
    if (!gate)
        return;
    // Queued by the gate: a switch never starts inside the scene's own notification.
    connect(gate, &SceneGate::switchHoldMayHaveChanged, this, &ProgramSwitcher::retry);
    connect(gate, &SceneGate::profilesChanged, this, &ProgramSwitcher::profilesChanged);
    profilesChanged();
}

// A rule naming a profile that is not on the list any more (deleted) takes the default
// profile, stored at once: the next profile made under the freed number (New, an import) does
// not take the rule over. A deleted default gives way to the first profile.
void ProgramSwitcher::profilesChanged()
{
    const QList<int> numbers = profileNumbers();
    if (numbers.isEmpty())
        return;  // no list yet
    bool moved = false;
    if (!numbers.contains(m_rules.defaultProfile)) {
        m_rules.defaultProfile = numbers.constFirst();
        moved = true;
    }
    for (ProgramRule &rule : m_rules.rules) {
        if (numbers.contains(rule.profile))
            continue;
        qDebug().noquote() << QStringLiteral("Profile %1 of the rule for %2 was deleted: the "
                                             "rule uses the default profile %3")
                                  .arg(rule.profile + 1)
                                  .arg(rule.program)
                                  .arg(m_rules.defaultProfile + 1);
        rule.profile = m_rules.defaultProfile;
        if (!m_orphaned.contains(rule.program))
            m_orphaned.append(rule.program);
        moved = true;
    }
    if (moved)
        changed();
}

// --- the rules ------------------------------------------------------------------------------

// Every change is stored at once; when it cannot be, the rules are read again, so the page,
// the tray and the switching go on with what the file really holds (what the next start
// finds), and the page says why.
void ProgramSwitcher::changed()
{
    m_saveFailed = !ProgramRulesFile::save(m_rules, m_path);
    if (m_saveFailed)
        m_rules = ProgramRulesFile::load(m_path);
    emit rulesChanged();
    m_decider.setRules(m_rules);
    updateScanning();
    m_decider.evaluate(now());
    armHold();
}

void ProgramSwitcher::setAutomatic(bool on)
{
    if (on == m_rules.automatic)
        return;
    m_rules.automatic = on;
    if (m_focus)
        m_focus->setWatching(on);
    changed();
}

void ProgramSwitcher::setDefaultProfile(int profile)
{
    if (profile < 0 || profile > ProgramRules::kMaxProfile || profile == m_rules.defaultProfile)
        return;
    m_rules.defaultProfile = profile;
    changed();
}

QVariantList ProgramSwitcher::ruleList() const
{
    QVariantList list;
    for (const ProgramRule &rule : m_rules.rules) {
        list.append(QVariantMap {{QStringLiteral("program"), rule.program},
            {QStringLiteral("match"), matchName(rule.match)},
            {QStringLiteral("profile"), rule.profile},
            {QStringLiteral("trigger"), int(rule.trigger)}});
    }
    return list;
}

QString ProgramSwitcher::focusSource() const
{
    return m_focus && m_focus->isActive() ? m_focus->name() : QString();
}

int ProgramSwitcher::focusSetup() const
{
    const FocusSource *hinting = m_waiting ? m_waiting.get() : m_focus.get();
    return hinting && !hinting->setupHint().isEmpty() ? int(hinting->setupState()) : 0;
}

QString ProgramSwitcher::focusHint() const
{
    return m_waiting ? m_waiting->setupHint() : (m_focus ? m_focus->setupHint() : QString());
}

int ProgramSwitcher::desktop() const
{
    if (!m_focus || !m_focus->isActive())
        return RunningOnly;
    return m_focus->coverage() == FocusSource::Coverage::AllWindows ? FocusAndRunning
                                                                    : X11FocusOnly;
}

bool ProgramSwitcher::addRule(
    const QString &program, const QString &match, int profile, int trigger)
{
    const int matchIndex = matchFromName(match);
    if (program.isEmpty() || matchIndex < 0 || profile < 0 || profile > ProgramRules::kMaxProfile
        || trigger < 0 || trigger > 1)
        return false;
    for (const ProgramRule &rule : m_rules.rules) {
        if (rule.program == program && int(rule.match) == matchIndex)
            return false;
    }
    m_rules.rules.append(ProgramRule {
        program, ProgramRule::Match(matchIndex), profile, ProgramRule::Trigger(trigger)});
    changed();
    return true;
}

bool ProgramSwitcher::addRuleFromFile(int profile, int trigger)
{
    const QString path = fileDialogs().openFileName(
        nullptr, texts().at(ProgramTexts::ChooseProgram), QString(), QString());
    if (path.isEmpty())
        return false;
    const ProgramRule rule = ruleForFile(path);
    return addRule(rule.program, matchName(rule.match), profile, trigger);
}

void ProgramSwitcher::removeRule(int index)
{
    if (index < 0 || index >= m_rules.rules.size())
        return;
    m_orphaned.removeAll(m_rules.rules.at(index).program);
    m_rules.rules.removeAt(index);
    changed();
}

void ProgramSwitcher::setRuleProfile(int index, int profile)
{
    if (index < 0 || index >= m_rules.rules.size() || profile < 0
        || profile > ProgramRules::kMaxProfile || m_rules.rules.at(index).profile == profile)
        return;
    m_rules.rules[index].profile = profile;
    m_orphaned.removeAll(m_rules.rules.at(index).program);
    changed();
}

void ProgramSwitcher::setRuleTrigger(int index, int trigger)
{
    if (index < 0 || index >= m_rules.rules.size() || trigger < 0 || trigger > 1
        || int(m_rules.rules.at(index).trigger) == trigger)
        return;
    m_rules.rules[index].trigger = ProgramRule::Trigger(trigger);
    changed();
}

QVariantList ProgramSwitcher::runningPrograms()
{
    if (m_decider.scanProcesses(now()))
        armHold();
    struct Entry
    {
        QString name, program, match, icon;
        bool windowed;
    };
    QList<Entry> entries;
    QSet<QString> seen;
    QHash<qint64, ProcessInfo> byPid;
    const QList<ProcessInfo> processes = m_decider.processes().processes();
    for (const ProcessInfo &process : processes)
        byPid.insert(process.pid, process);
    // A program with a window is offered by its window's class: that names it whether or not
    // its process can be read (another user's, another process namespace, no pid at all).
    QSet<qint64> windowed;
    // A native Wayland window names no process; the program it belongs to usually has the
    // app id's name ("foot", "org.gnome.Nautilus" of "nautilus"), and is offered by the app id
    // alone, as a name rule would never see its window.
    QSet<QString> unnamedWindows;
    const QList<FocusSource::Window> windows =
        m_focus ? m_focus->windows() : QList<FocusSource::Window> {};
    for (const FocusSource::Window &window : windows) {
        if (window.appClass.isEmpty())
            continue;
        windowed.insert(window.pid);
        if (window.pid == 0) {
            unnamedWindows.insert(window.appClass.toLower());
            unnamedWindows.insert(window.appClass.section(QLatin1Char('.'), -1).toLower());
        }
        const QString key = QStringLiteral("class") + window.appClass.toLower();
        if (seen.contains(key))
            continue;
        seen.insert(key);
        const ProcessInfo process = byPid.value(window.pid);
        const QString name = process.isValid() && !process.exePath.isEmpty()
            ? QStringLiteral("%1 (%2)").arg(window.appClass, process.displayName())
            : window.appClass;
        entries.append({name, window.appClass, matchName(ProgramRule::Match::WindowClass),
            window.appClass.toLower(), true});
    }
    const qint64 self = QCoreApplication::applicationPid();
    for (const ProcessInfo &process : processes) {
        if (process.exePath.isEmpty() || process.pid == self || windowed.contains(process.pid)
            || unnamedWindows.contains(process.exeName().toLower())
            || (process.windowsNames.isEmpty() && isSessionService(process.exeName())))
            continue;
        const ProgramRule rule = ruleForProcess(process);
        const QString match = matchName(rule.match);
        if (seen.contains(match + rule.program))
            continue;
        seen.insert(match + rule.program);
        entries.append({rule.program, rule.program, match, process.exeName(), false});
    }
    // Programs with windows first, then the others, each by name.
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        if (a.windowed != b.windowed)
            return a.windowed;
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    QVariantList list;
    for (const Entry &e : entries) {
        list.append(
            QVariantMap {{QStringLiteral("name"), e.name}, {QStringLiteral("program"), e.program},
                {QStringLiteral("match"), e.match}, {QStringLiteral("icon"), e.icon}});
    }
    return list;
}

// --- the scene ------------------------------------------------------------------------------

QStringList ProgramSwitcher::texts() const
{
    return ProgramTexts::forLanguage(m_gate ? m_gate->language() : QString());
}

QList<int> ProgramSwitcher::profileNumbers() const
{
    QList<int> numbers;
    if (m_gate) {
        for (const SceneGate::Profile &p : m_gate->profiles())
            numbers.append(p.number);
    }
    return numbers;
}

QString ProgramSwitcher::profileName(int number) const
{
    if (m_gate) {
        for (const SceneGate::Profile &p : m_gate->profiles()) {
            if (p.number == number)
                return p.name;
        }
    }
    return QString::number(number);
}

// --- watching and switching -----------------------------------------------------------------

void ProgramSwitcher::updateScanning()
{
    const bool needed = m_decider.watchesRunning();
    if (needed && !m_scanTimer.isActive()) {
        m_decider.setWindowClasses(windowClasses(), now());
        m_scanTimer.start();
    } else if (!needed) {
        m_scanTimer.stop();
    }
}

void ProgramSwitcher::scan()
{
    m_decider.scanProcesses(now());
    m_decider.setWindowClasses(windowClasses(), now());
    armHold();
}

QStringList ProgramSwitcher::windowClasses() const
{
    QStringList classes;
    if (!m_focus || !m_decider.watchesWindowClasses())
        return classes;
    for (const FocusSource::Window &window : m_focus->windows()) {
        if (!window.appClass.isEmpty() && !classes.contains(window.appClass))
            classes.append(window.appClass);
    }
    return classes;
}

void ProgramSwitcher::onFocusChanged()
{
    const FocusSource::Window focused = m_focus ? m_focus->focused() : FocusSource::Window {};
    qCDebug(lcPrograms).noquote() << "Focus:" << focused.appClass << "pid" << focused.pid;
    m_decider.setFocus(focused, now());
    armHold();
}

// The hold timer follows the decider's hold: started when what applies changes, stopped when
// it changes back to what is in use.
void ProgramSwitcher::armHold()
{
    const qint64 ends = m_decider.holdEnds();
    if (ends < 0)
        m_holdTimer.stop();
    else
        m_holdTimer.start(int(std::max<qint64>(0, ends - now())));
}

void ProgramSwitcher::holdEnded()
{
    m_decider.tick(now());
    armHold();  // a timer that woke a little early waits out the rest
    apply();
}

void ProgramSwitcher::retry()
{
    apply();
}

void ProgramSwitcher::apply()
{
    if (!m_decider.due())
        return;
    const SceneGate::SwitchHold hold =
        m_gate ? m_gate->switchHold() : SceneGate::SwitchHold::NoScene;
    if (hold != SceneGate::SwitchHold::None) {
        qCDebug(lcPrograms) << "A switch waits:" << hold;
        // Most ends of a wait announce themselves (a page closes, the mouse is free); the
        // timer catches the rest, such as the end of the start's protection period.
        m_retryTimer.start();
        return;
    }
    const std::optional<ProgramDecider::Switch> next =
        m_decider.take(profileNumbers(), m_gate->profileInUse());
    if (next)
        qCDebug(lcPrograms).noquote() << "Switch to profile" << next->profile + 1 << "for"
                                      << (next->program.isEmpty() ? "no rule" : next->program);
    if (next && m_gate->requestProfile(next->profile))
        emit switchedByRule(profileName(next->profile), next->program);
    m_decider.made(m_gate->profileInUse());
    apply();  // what applies may have changed while the mouse was written
}
