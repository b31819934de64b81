#include "program_switcher.h"

#include "file_dialogs.h"
#include "focus_source.h"
#include "lang_strings.h"

#include <QCoreApplication>
#include <QDebug>
#include <QJSValue>
#include <QMetaProperty>
#include <QSet>

#include <algorithm>

namespace {

// The texts of the language section "programs" (the scene's page uses the same list).
const char *const kBuiltInTexts[] = {
    "Programs",                        // 0 page title
    "Program",                         // 1 column: program
    "Profile",                         // 2 column: profile
    "Switches",                        // 3 column: trigger
    "While its window has the focus",  // 4
    "While it runs",                   // 5
    "Add",                             // 6
    "Remove",                          // 7
    "Switch profiles automatically",   // 8 master switch (page and tray)
    "Add a file…",                     // 9
    "Focus and running programs can both be seen on this desktop.",  // 10
    "On Wayland only X11 windows tell their focus. Rules for running programs see every "
    "program.",  // 11
    "This desktop does not tell which window has the focus: only rules for running programs "
    "work.",                         // 12
    "Profile %1 for %2",             // 13 balloon of a rule's switch
    "Profile %1 (no rule applies)",  // 14 balloon when the default comes back
    "Default profile",               // 15
    "Running programs",              // 16
    "Cancel",                        // 17
    "Programs",                      // 18 button on the profiles page
    "No rules yet: add a program.",  // 19
    "Choose a program",              // 20 file chooser caption
    "The change could not be stored in %1: what the page shows is what is stored.",  // 21
    "When no rule applies any more, the default profile comes back, unless you chose a profile "
    "by hand meanwhile: that one stays until a rule applies again.",  // 22
    "The focused window comes from %1.",                                             // 23
    "GNOME Shell tells the focus only through the extension that comes with this program, "
    "which is not enabled. Enable it with: %1",  // 24
};

QVariantList asList(const QVariant &value)
{
    if (value.canConvert<QJSValue>())
        return value.value<QJSValue>().toVariant().toList();
    return value.toList();
}

}  // namespace

ProgramSwitcher::ProgramSwitcher(const QString &rulesPath, QObject *parent)
    : QObject(parent)
    , m_path(rulesPath)
    , m_rules(ProgramRulesFile::load(rulesPath))
{
    m_holdTimer.setSingleShot(true);
    m_holdTimer.setInterval(kHoldMs);
    m_holdTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_holdTimer, &QTimer::timeout, this, [this] {
        m_holdDone = true;
        apply();
    });
    m_retryTimer.setSingleShot(true);
    m_retryTimer.setInterval(kRetryMs);
    connect(&m_retryTimer, &QTimer::timeout, this, &ProgramSwitcher::apply);
    m_scanTimer.setInterval(kScanMs);
    connect(&m_scanTimer, &QTimer::timeout, this, &ProgramSwitcher::scan);

    useFocusSource(createFocusSource(&m_waiting));
    if (m_waiting) {
        connect(
            m_waiting.get(), &FocusSource::activeChanged, this, &ProgramSwitcher::waitingChanged);
    }
    onFocusChanged();
    updateScanning();
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
    if (!m_waiting->isActive())
        return;
    m_waiting->disconnect(this);
    useFocusSource(std::move(m_waiting));
    emit desktopChanged();
    onFocusChanged();
}

void ProgramSwitcher::setScene(QObject *root, std::function<bool()> busy)
{
    m_scene = root;
    m_busy = std::move(busy);
    if (!root)
        return;
    const QMetaObject *meta = root->metaObject();
    const QMetaMethod retrySlot = metaObject()->method(metaObject()->indexOfSlot("retry()"));
    const QMetaMethod profilesSignal =
        metaObject()->method(metaObject()->indexOfSignal("profilesChanged()"));
    // Queued: a switch started while the scene is still telling of a change (a page closing)
    // would change the same properties inside their own notification.
    for (const char *name : {"popupOpen", "unsaved", "visible"}) {
        const QMetaProperty p = meta->property(meta->indexOfProperty(name));
        if (p.hasNotifySignal())
            connect(root, p.notifySignal(), this, retrySlot, Qt::QueuedConnection);
    }
    for (const char *name : {"profileNo", "profileEntries"}) {
        const QMetaProperty p = meta->property(meta->indexOfProperty(name));
        if (p.hasNotifySignal())
            connect(root, p.notifySignal(), this, profilesSignal);
    }
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
    updateScanning();
    evaluate();
}

void ProgramSwitcher::setAutomatic(bool on)
{
    if (on == m_rules.automatic)
        return;
    m_rules.automatic = on;
    if (m_focus)
        m_focus->setWatching(on);
    // Turning the switch on starts from what is in use: only a change of what applies switches.
    m_wanted = m_applied = Target {};
    m_ruleProfile = -1;
    m_holdTimer.stop();
    m_holdDone = false;
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
    const QString path = fileDialogs().openFileName(nullptr, texts().at(20), QString(), QString());
    if (path.isEmpty())
        return false;
    const ProgramRule rule = ruleForFile(path);
    return addRule(rule.program, matchName(rule.match), profile, trigger);
}

void ProgramSwitcher::removeRule(int index)
{
    if (index < 0 || index >= m_rules.rules.size())
        return;
    m_rules.rules.removeAt(index);
    changed();
}

void ProgramSwitcher::setRuleProfile(int index, int profile)
{
    if (index < 0 || index >= m_rules.rules.size() || profile < 0
        || profile > ProgramRules::kMaxProfile || m_rules.rules.at(index).profile == profile)
        return;
    m_rules.rules[index].profile = profile;
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
    if (m_processes.scan())
        evaluate();
    struct Entry
    {
        QString name, program, match, icon;
        bool windowed;
    };
    QList<Entry> entries;
    QSet<QString> seen;
    QHash<qint64, ProcessInfo> byPid;
    for (const ProcessInfo &process : m_processes.processes())
        byPid.insert(process.pid, process);
    // A program with a window is offered by its window's class: that names it whether or not
    // its process can be read (another user's, another process namespace, no pid at all).
    QSet<qint64> windowed;
    const QList<FocusSource::Window> windows =
        m_focus ? m_focus->windows() : QList<FocusSource::Window> {};
    for (const FocusSource::Window &window : windows) {
        if (window.appClass.isEmpty())
            continue;
        windowed.insert(window.pid);
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
    for (const ProcessInfo &process : m_processes.processes()) {
        if (process.exePath.isEmpty() || process.pid == self || windowed.contains(process.pid)
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

QList<QPair<int, QString>> ProgramSwitcher::profiles() const
{
    QList<QPair<int, QString>> result;
    if (!m_scene)
        return result;
    for (const QVariant &entry : asList(m_scene->property("profileEntries"))) {
        const QVariantMap map = entry.toMap();
        result.append({map.value(QStringLiteral("number")).toInt(),
            map.value(QStringLiteral("name")).toString()});
    }
    return result;
}

int ProgramSwitcher::profileInUse() const
{
    return m_scene ? m_scene->property("profileNo").toInt() : -1;
}

bool ProgramSwitcher::requestProfile(int number)
{
    if (!m_scene)
        return false;
    QVariant accepted;
    QMetaObject::invokeMethod(
        m_scene, "requestProfile", Q_RETURN_ARG(QVariant, accepted), Q_ARG(QVariant, number));
    return accepted.toBool();
}

QStringList ProgramSwitcher::texts() const
{
    QStringList result;
    for (const char *text : kBuiltInTexts)
        result.append(QString::fromUtf8(text));
    const QString language = m_scene ? m_scene->property("language").toString() : QString();
    if (language.isEmpty())
        return result;
    const QStringList given = LangStrings::getLangStrings(QStringLiteral("programs"), language);
    for (int i = 0; i < std::min(given.size(), result.size()); ++i) {
        if (!given.at(i).isEmpty())
            result[i] = given.at(i);
    }
    return result;
}

bool ProgramSwitcher::profileExists(int number) const
{
    const auto list = profiles();
    return std::any_of(
        list.begin(), list.end(), [number](const auto &p) { return p.first == number; });
}

QString ProgramSwitcher::profileName(int number) const
{
    for (const auto &p : profiles()) {
        if (p.first == number)
            return p.second;
    }
    return QString::number(number);
}

// --- watching and switching -----------------------------------------------------------------

void ProgramSwitcher::updateScanning()
{
    const bool needed = m_rules.automatic
        && std::any_of(m_rules.rules.begin(), m_rules.rules.end(),
            [](const ProgramRule &r) { return r.trigger == ProgramRule::Trigger::Running; });
    if (needed && !m_scanTimer.isActive()) {
        m_processes.scan();
        m_windowClasses = windowClasses();
        m_scanTimer.start();
        evaluate();  // a program that runs already
    } else if (!needed) {
        m_scanTimer.stop();
    }
}

void ProgramSwitcher::scan()
{
    const bool started = m_processes.scan();
    const QStringList classes = windowClasses();
    if (started || classes != m_windowClasses) {
        m_windowClasses = classes;
        evaluate();
    }
}

QStringList ProgramSwitcher::windowClasses() const
{
    QStringList classes;
    const bool wanted = m_focus
        && std::any_of(m_rules.rules.begin(), m_rules.rules.end(), [](const ProgramRule &r) {
               return r.trigger == ProgramRule::Trigger::Running
                   && r.match == ProgramRule::Match::WindowClass;
           });
    if (!wanted)
        return classes;
    for (const FocusSource::Window &window : m_focus->windows()) {
        if (!window.appClass.isEmpty() && !classes.contains(window.appClass))
            classes.append(window.appClass);
    }
    return classes;
}

bool ProgramSwitcher::anyWindowOf(const ProgramRule &rule) const
{
    return std::any_of(m_windowClasses.begin(), m_windowClasses.end(),
        [&rule](const QString &c) { return ruleMatches(rule, ProcessInfo {}, c); });
}

void ProgramSwitcher::onFocusChanged()
{
    m_focusedWindow = m_focus ? m_focus->focused() : FocusSource::Window {};
    m_focused = m_focusedWindow.pid > 0 ? ProcFs::read(m_focusedWindow.pid) : ProcessInfo {};
    evaluate();
}

ProgramSwitcher::Target ProgramSwitcher::wanted() const
{
    for (const ProgramRule &rule : m_rules.rules) {
        if (rule.trigger == ProgramRule::Trigger::Focus
            && ruleMatches(rule, m_focused, m_focusedWindow.appClass))
            return Target {true, rule.profile, rule.program};
    }
    if (m_scanTimer.isActive()) {
        for (const ProgramRule &rule : m_rules.rules) {
            if (rule.trigger == ProgramRule::Trigger::Running
                && (m_processes.anyMatches(rule) || anyWindowOf(rule)))
                return Target {true, rule.profile, rule.program};
        }
    }
    return Target {};  // no rule: the default profile, whichever it is when the switch comes
}

void ProgramSwitcher::evaluate()
{
    if (!m_rules.automatic)
        return;
    const Target now = wanted();
    if (now == m_wanted)
        return;
    m_wanted = now;
    m_holdDone = false;
    if (now == m_applied)
        m_holdTimer.stop();
    else
        m_holdTimer.start();
}

bool ProgramSwitcher::heldBack() const
{
    return !m_scene || m_switching || !m_scene->property("visible").toBool()
        || m_scene->property("popupOpen").toBool() || m_scene->property("unsaved").toBool()
        || (m_busy && m_busy());
}

void ProgramSwitcher::retry()
{
    apply();
}

void ProgramSwitcher::apply()
{
    if (!m_rules.automatic || !m_holdDone || m_wanted == m_applied)
        return;
    if (heldBack()) {
        // Most ends of a wait announce themselves (a page closes, the mouse is free); the
        // timer catches the rest, such as the end of the start's protection period.
        m_retryTimer.start();
        return;
    }
    const Target target = m_wanted;
    m_applied = target;
    // A profile chosen by hand since the last rule's switch stays when no rule applies any
    // more; the next rule that applies takes over again.
    if (!target.byRule && m_ruleProfile >= 0 && profileInUse() != m_ruleProfile) {
        m_ruleProfile = -1;
        return;
    }
    int number = target.byRule ? target.profile : m_rules.defaultProfile;
    if (!profileExists(number)) {
        const auto list = profiles();
        const int fallback = target.byRule && profileExists(m_rules.defaultProfile)
            ? m_rules.defaultProfile
            : (list.isEmpty() ? 0 : list.constFirst().first);
        qDebug().noquote() << (target.byRule
                ? QStringLiteral("Profile %1 of the rule for %2 does not exist: profile %3 is used")
                      .arg(number)
                      .arg(target.program)
                      .arg(fallback)
                : QStringLiteral("The default profile %1 does not exist: profile %2 is used")
                      .arg(number)
                      .arg(fallback));
        number = fallback;
    }
    if (number != profileInUse()) {
        m_switching = true;
        const bool switched = requestProfile(number);
        m_switching = false;
        if (switched)
            emit switchedByRule(profileName(number), target.byRule ? target.program : QString());
    }
    m_ruleProfile = target.byRule ? profileInUse() : -1;
    apply();  // what applies may have changed while the mouse was written
}
