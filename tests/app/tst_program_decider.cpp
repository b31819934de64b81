// The decision of the profiles that follow programs, on a clock of the test's own: each row
// is a script of what the desktop does (the focus moves, programs start and end, the user
// picks a profile) at given milliseconds, and the switches the decider asks for. The
// processes live in a folder laid out as /proc is; the focused window is what a focus source
// would report.

#include "diagnostics.h"
#include "program_decider.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A folder laid out as /proc: PID/exe (a link), PID/cmdline, PID/environ.
class FakeProc
{
public:
    QString root() const { return m_dir.path(); }
    // A program called name; a name ending in ".exe" runs under Wine, as Wine names it.
    qint64 start(const QString &name)
    {
        const qint64 pid = ++m_last;
        const QString folder = m_dir.filePath(QString::number(pid));
        QDir().mkpath(folder);
        const bool windows = name.endsWith(QLatin1String(".exe"));
        QFile::link(windows ? QStringLiteral("/usr/bin/wine64-preloader") : "/usr/games/" + name,
            folder + QStringLiteral("/exe"));
        write(folder + QStringLiteral("/cmdline"),
            windows ? "C:\\Games\\" + name.toUtf8() + '\0' : name.toUtf8() + '\0');
        write(folder + QStringLiteral("/environ"), "HOME=/home/u\0");
        m_pids.insert(name, pid);
        return pid;
    }
    void end(const QString &name)
    {
        QDir(m_dir.filePath(QString::number(m_pids.take(name)))).removeRecursively();
    }
    qint64 pid(const QString &name) const { return m_pids.value(name); }

private:
    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }

    QTemporaryDir m_dir;
    QHash<QString, qint64> m_pids;
    qint64 m_last = 1000;
};

// "F:name:strylagame:2,R:windows:game.exe:1": trigger (Focus, Running), match, program,
// profile; the switch on.
ProgramRules rulesFrom(const QString &text, int defaultProfile)
{
    ProgramRules rules;
    rules.automatic = true;
    rules.defaultProfile = defaultProfile;
    for (const QString &entry : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList part = entry.split(QLatin1Char(':'));
        rules.rules.append(ProgramRule {part.at(2), ProgramRule::Match(matchFromName(part.at(1))),
            part.at(3).toInt(),
            part.at(0) == QLatin1String("F") ? ProgramRule::Trigger::Focus
                                             : ProgramRule::Trigger::Running});
    }
    return rules;
}

}  // namespace

class TestProgramDecider : public QObject
{
    Q_OBJECT

private slots:
    void switches_data();
    void switches();
};

void TestProgramDecider::switches_data()
{
    QTest::addColumn<QString>("rules");
    QTest::addColumn<QString>("profiles");  // the numbers the scene lists
    QTest::addColumn<int>("defaultProfile");
    QTest::addColumn<int>("inUse");  // at the start
    // "@T" the clock reaches T ms; "focus:C" a window of class C (of the program C when it
    // runs) takes the focus; "run:P" / "end:P" a program starts or ends; "class:C" a window of
    // class C is on the desktop; "hand:N" the user picks profile N; "off" / "on" the master
    // switch.
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("switched");  // "T>N" for each switch to N at T
    QTest::addColumn<QString>("diagnostic");

    const QString game = QStringLiteral("F:name:strylagame:2");
    QTest::newRow("hold, then back to the default")
        << game << "0 1 2" << 0 << 0
        << "@0 run:strylagame focus:strylagame @999 @1000 focus:desk @1999 @2000"
        << "1000>2 2000>0"
        << "";
    QTest::newRow("focus flaps faster than the hold")
        << game << "0 1 2" << 0 << 0
        << "@0 run:strylagame focus:strylagame @250 focus:desk @500 focus:strylagame @750 "
           "focus:desk "
           "@1000 focus:strylagame @1250 focus:desk @4000"
        << ""
        << "";
    QTest::newRow("focus flaps, then stays")
        << game << "0 1 2" << 0 << 0
        << "@0 run:strylagame focus:strylagame @250 focus:desk @500 focus:strylagame @1499 @1500"
        << "1500>2"
        << "";
    QTest::newRow("back to what is in use within the hold")
        << game << "0 1 2" << 0 << 0
        << "@0 run:strylagame focus:strylagame @1000 focus:desk @1500 focus:strylagame @2500 @4000"
        << "1000>2"
        << "";
    QTest::newRow("another rule within the hold starts it again")
        << game + ",F:class:shooter:1"
        << "0 1 2" << 0 << 0
        << "@0 run:strylagame focus:strylagame @600 focus:shooter @1000 @1599 @1600"
        << "1600>1"
        << "";
    QTest::newRow("the rule's profile is in use already")
        << game << "0 1 2" << 0 << 2 << "@0 run:strylagame focus:strylagame @3000"
        << ""
        << "";
    QTest::newRow("focus rule wins over a running rule listed first")
        << "R:name:strylagame:1," + game << "0 1 2" << 0 << 0
        << "@0 run:strylagame @1000 focus:strylagame @2000 focus:desk @3000"
        << "1000>1 2000>2 3000>1"
        << "";
    QTest::newRow("first focus rule of the list wins")
        << "F:class:strylagame:1," + game << "0 1 2" << 0 << 0
        << "@0 run:strylagame focus:strylagame @1000"
        << "1000>1"
        << "";
    QTest::newRow("first running rule of the list wins")
        << "R:name:strylagame:1,R:windows:game.exe:2"
        << "0 1 2" << 0 << 0 << "@0 run:game.exe run:strylagame @1000"
        << "1000>1"
        << "";
    QTest::newRow("running rule follows the program")
        << "R:windows:GAME.EXE:1"
        << "0 1 2" << 0 << 0 << "@0 run:game.exe @1000 end:game.exe @1999 @2000"
        << "1000>1 2000>0"
        << "";
    QTest::newRow("running rule by a window's class")
        << "R:class:StrylaClass:1"
        << "0 1 2" << 0 << 0 << "@0 class:strylaclass @1000"
        << "1000>1"
        << "";
    QTest::newRow("a profile chosen by hand stays until a rule applies again")
        << game << "0 1 2" << 0 << 0
        << "@0 run:strylagame focus:strylagame @1000 hand:1 focus:desk @3000 focus:strylagame @4000"
        << "1000>2 4000>2"
        << "";
    QTest::newRow("rule's profile is gone: the default")
        << "F:name:strylagame:4"
        << "0 1 2" << 1 << 2 << "@0 run:strylagame focus:strylagame @1000"
        << "1000>1"
        << "Profile 5 of the rule for strylagame does not exist: profile 2 is used";
    QTest::newRow("rule's profile and the default are gone: the first")
        << "F:name:strylagame:4"
        << "1 2" << 5 << 2 << "@0 run:strylagame focus:strylagame @1000"
        << "1000>1"
        << "Profile 5 of the rule for strylagame does not exist: profile 2 is used";
    QTest::newRow("default is gone: the first")
        << game << "1 2" << 5 << 1 << "@0 run:strylagame focus:strylagame @1000 focus:desk @2000"
        << "1000>2 2000>1"
        << "The default profile 6 does not exist: profile 2 is used";
    QTest::newRow("switch off: nothing")
        << game << "0 1 2" << 0 << 0 << "off @0 run:strylagame focus:strylagame @3000"
        << ""
        << "";
    QTest::newRow("switch on while the program has the focus")
        << game << "0 1 2" << 0 << 0
        << "off @0 run:strylagame focus:strylagame @2000 on @2999 @3000"
        << "3000>2"
        << "";
    QTest::newRow("switch off and on starts from what is in use")
        << game << "0 1 2" << 0 << 0
        << "@0 run:strylagame focus:strylagame @1000 off focus:desk @1500 on @4000"
        << "1000>2"
        << "";
}

void TestProgramDecider::switches()
{
    QFETCH(QString, rules);
    QFETCH(QString, profiles);
    QFETCH(int, defaultProfile);
    QFETCH(int, inUse);
    QFETCH(QString, script);
    QFETCH(QString, switched);
    QFETCH(QString, diagnostic);

    FakeProc proc;
    ProgramDecider decider(ProgramDecider::kHoldMs, proc.root());
    ProgramRules given = rulesFrom(rules, defaultProfile);
    decider.setRules(given);
    QList<int> numbers;
    for (const QString &n : profiles.split(QLatin1Char(' ')))
        numbers.append(n.toInt());

    DiagnosticCapture lines;
    QStringList log;
    qint64 now = 0;
    for (const QString &step : script.split(QLatin1Char(' '))) {
        const QString what = step.section(QLatin1Char(':'), 0, 0);
        const QString arg = step.section(QLatin1Char(':'), 1);
        if (step.startsWith(QLatin1Char('@'))) {
            now = step.mid(1).toLongLong();
            decider.tick(now);
            // What the switcher does when the hold ends and the mouse is free.
            while (decider.due()) {
                if (const auto next = decider.take(numbers, inUse)) {
                    inUse = next->profile;
                    log.append(QStringLiteral("%1>%2").arg(now).arg(inUse));
                }
                decider.made(inUse);
            }
        } else if (what == QLatin1String("focus")) {
            decider.setFocus(FocusSource::Window {arg, proc.pid(arg), arg, arg}, now);
        } else if (what == QLatin1String("run") || what == QLatin1String("end")) {
            if (what == QLatin1String("run"))
                proc.start(arg);
            else
                proc.end(arg);
            QVERIFY(decider.scanProcesses(now));
        } else if (what == QLatin1String("class")) {
            decider.setWindowClasses({arg}, now);
        } else if (what == QLatin1String("hand")) {
            inUse = arg.toInt();
        } else if (what == QLatin1String("off") || what == QLatin1String("on")) {
            given.automatic = what == QLatin1String("on");
            decider.setRules(given);
            decider.evaluate(now);
        } else {
            QFAIL(qPrintable("unknown step " + step));
        }
    }
    QCOMPARE(log.join(QLatin1Char(' ')), switched);
    QCOMPARE(lines.lines(), diagnostic.isEmpty() ? QStringList() : QStringList {diagnostic});
}

QTEST_GUILESS_MAIN(TestProgramDecider)
#include "tst_program_decider.moc"
