#include "program_decider.h"

#include <QDebug>

#include <algorithm>

namespace {

bool isRunningRule(const ProgramRule &rule)
{
    return rule.trigger == ProgramRule::Trigger::Running;
}

}  // namespace

ProgramDecider::ProgramDecider(int holdMs, const QString &procRoot)
    : m_holdMs(holdMs)
    , m_procRoot(procRoot)
    , m_processes(procRoot)
{ }

void ProgramDecider::setRules(const ProgramRules &rules)
{
    const bool watched = watchesRunning();
    if (rules.automatic != m_rules.automatic) {
        m_wanted = m_applied = Target {};
        m_ruleProfile = -1;
        m_holdStart = -1;
        m_holdDone = false;
    }
    m_rules = rules;
    if (watchesRunning() && !watched)
        m_processes.scan();  // a program that runs already
}

bool ProgramDecider::watchesRunning() const
{
    return m_rules.automatic
        && std::any_of(m_rules.rules.begin(), m_rules.rules.end(), isRunningRule);
}

bool ProgramDecider::watchesWindowClasses() const
{
    return std::any_of(m_rules.rules.begin(), m_rules.rules.end(), [](const ProgramRule &r) {
        return isRunningRule(r) && r.match == ProgramRule::Match::WindowClass;
    });
}

void ProgramDecider::setFocus(const FocusSource::Window &window, qint64 now)
{
    m_focusedWindow = window;
    m_focused = window.pid > 0 ? ProcFs::read(window.pid, m_procRoot) : ProcessInfo {};
    evaluate(now);
}

bool ProgramDecider::scanProcesses(qint64 now)
{
    const bool changed = m_processes.scan();
    if (changed)
        evaluate(now);
    return changed;
}

void ProgramDecider::setWindowClasses(const QStringList &classes, qint64 now)
{
    if (classes == m_windowClasses)
        return;
    m_windowClasses = classes;
    evaluate(now);
}

bool ProgramDecider::anyWindowOf(const ProgramRule &rule) const
{
    return std::any_of(m_windowClasses.begin(), m_windowClasses.end(),
        [&rule](const QString &c) { return ruleMatches(rule, ProcessInfo {}, c); });
}

ProgramDecider::Target ProgramDecider::wanted() const
{
    for (const ProgramRule &rule : m_rules.rules) {
        if (rule.trigger == ProgramRule::Trigger::Focus
            && ruleMatches(rule, m_focused, m_focusedWindow.appClass))
            return Target {true, rule.profile, rule.program};
    }
    for (const ProgramRule &rule : m_rules.rules) {
        if (isRunningRule(rule) && (m_processes.anyMatches(rule) || anyWindowOf(rule)))
            return Target {true, rule.profile, rule.program};
    }
    return Target {};  // no rule: the default profile, whichever it is when the switch comes
}

void ProgramDecider::evaluate(qint64 now)
{
    if (!m_rules.automatic)
        return;
    const Target target = wanted();
    if (target == m_wanted)
        return;
    m_wanted = target;
    m_holdDone = false;
    m_holdStart = target == m_applied ? -1 : now;
}

void ProgramDecider::tick(qint64 now)
{
    if (m_holdStart >= 0 && now >= m_holdStart + m_holdMs) {
        m_holdStart = -1;
        m_holdDone = true;
    }
}

bool ProgramDecider::due() const
{
    return m_rules.automatic && m_holdDone && !(m_wanted == m_applied);
}

std::optional<ProgramDecider::Switch> ProgramDecider::take(const QList<int> &profiles, int inUse)
{
    if (!due())
        return std::nullopt;
    const Target target = m_wanted;
    m_applied = target;
    // A profile chosen by hand since the last rule's switch stays when no rule applies any
    // more; the next rule that applies takes over again.
    if (!target.byRule && m_ruleProfile >= 0 && inUse != m_ruleProfile)
        return std::nullopt;
    int number = target.byRule ? target.profile : m_rules.defaultProfile;
    if (!profiles.contains(number)) {
        const int fallback = target.byRule && profiles.contains(m_rules.defaultProfile)
            ? m_rules.defaultProfile
            : (profiles.isEmpty() ? 0 : profiles.constFirst());
        // Counted from 1, as the window and the command line count them.
        qDebug().noquote() << (target.byRule
                ? QStringLiteral("Profile %1 of the rule for %2 does not exist: profile %3 is used")
                      .arg(number + 1)
                      .arg(target.program)
                      .arg(fallback + 1)
                : QStringLiteral("The default profile %1 does not exist: profile %2 is used")
                      .arg(number + 1)
                      .arg(fallback + 1));
        number = fallback;
    }
    if (number == inUse)
        return std::nullopt;
    return Switch {number, target.byRule ? target.program : QString()};
}

void ProgramDecider::made(int inUse)
{
    m_ruleProfile = m_applied.byRule ? inUse : -1;
}
