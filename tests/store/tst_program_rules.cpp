// The rules file of the automatic profile switch: what is written is read back, the file on
// disk has the documented layout, and missing, empty or damaged files give no rules without
// stopping anything.

#include "diagnostics.h"
#include "program_rules.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestProgramRules : public QObject
{
    Q_OBJECT

private slots:
    void init() { path = dir.filePath(QStringLiteral("programs.bin")); }
    void cleanup()
    {
        QFile::remove(path);
        QFile::remove(path + QStringLiteral(".damaged"));
    }

    void roundTrip();
    void unreadableFiles_data();
    void unreadableFiles();
    void unreadableRulesAreLeftOut_data();
    void unreadableRulesAreLeftOut();

private:
    void write(const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray bytes() const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    QString path;
};

void TestProgramRules::roundTrip()
{
    ProgramRules rules;
    rules.automatic = true;
    rules.defaultProfile = 3;
    rules.rules = {{QStringLiteral("Game.exe"), ProgramRule::Match::WindowsName, 2,
                       ProgramRule::Trigger::Running},
        {QStringLiteral("/opt/blender/blender"), ProgramRule::Match::Path, 5,
            ProgramRule::Trigger::Focus},
        {QStringLiteral("krita"), ProgramRule::Match::FileName, 0, ProgramRule::Trigger::Focus},
        {QStringLiteral("Steam"), ProgramRule::Match::WindowClass, 1,
            ProgramRule::Trigger::Running}};
    DiagnosticCapture lines;
    QVERIFY(ProgramRulesFile::save(rules, path));
    const QByteArray file = bytes();
    for (const char *line : {"[switching]", "automatic=true", "default=3", "[rules]", "size=4",
             "1\\program=Game.exe", "1\\match=windows", "1\\profile=2", "1\\trigger=running",
             "2\\match=path", "3\\match=name", "3\\trigger=focus", "4\\match=class"})
        QVERIFY2(file.contains(line), line);
    QCOMPARE(ProgramRulesFile::load(path), rules);
    QVERIFY(lines.lines().isEmpty());
    // No temporary file is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList {QStringLiteral("programs.bin")});
}

void TestProgramRules::unreadableFiles_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("damaged");
    QTest::newRow("missing") << false << QByteArray() << false;
    QTest::newRow("empty") << true << QByteArray() << false;
    QTest::newRow("switch not a truth value")
        << true << QByteArray("[switching]\nautomatic=maybe\n[rules]\nsize=0\n") << true;
    QTest::newRow("default not a profile")
        << true << QByteArray("[switching]\nautomatic=true\ndefault=9\n") << true;
    QTest::newRow("size not a number")
        << true << QByteArray("[switching]\nautomatic=true\n[rules]\nsize=x\n") << true;
    QTest::newRow("binary") << true << QByteArray("\x00\xff[[[\x01=\n\xfe", 9) << true;
}

// No rules and the switch off, never more than one line; a damaged file is kept aside.
void TestProgramRules::unreadableFiles()
{
    QFETCH(bool, present);
    QFETCH(QByteArray, content);
    QFETCH(bool, damaged);
    if (present)
        write(content);
    DiagnosticCapture lines;
    const ProgramRules rules = ProgramRulesFile::load(path);
    QCOMPARE(rules, ProgramRules {});
    QVERIFY(lines.lines().size() <= 1);
    QCOMPARE(lines.lines().size(), present && !damaged ? 0 : 1);
    QFile aside(path + QStringLiteral(".damaged"));
    QCOMPARE(aside.exists(), damaged);
    if (damaged) {
        QVERIFY(aside.open(QIODevice::ReadOnly));
        QCOMPARE(aside.readAll(), content);
    }
}

void TestProgramRules::unreadableRulesAreLeftOut_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("unreadable");
    const QByteArray good = "1\\program=good\n1\\match=name\n1\\profile=4\n1\\trigger=focus\n";
    QTest::newRow("unknown match, empty program, no profile") << "[rules]\nsize=4\n" + good
            + "2\\program=bad\n2\\match=title\n2\\profile=4\n2\\trigger=focus\n"
              "3\\program=\n3\\match=name\n3\\profile=1\n3\\trigger=running\n"
              "4\\program=late\n4\\match=name\n4\\profile=6\n4\\trigger=running\n"
                                                              << 3;
    QTest::newRow("cut-off last rule")
        << "[rules]\nsize=2\n" + good + "2\\program=cut\n2\\match=na" << 1;
    QTest::newRow("cut in the middle of a key")
        << "[rules]\nsize=2\n" + good + "2\\program=cut\n2\\mat" << 1;
    // A count far beyond the entries present is read at once.
    QTest::newRow("huge count") << "[rules]\nsize=2000000000\n" + good << 1999999999;
}

// The rules that can be read apply; the file as it was is kept aside before a save rewrites it.
void TestProgramRules::unreadableRulesAreLeftOut()
{
    QFETCH(QByteArray, content);
    QFETCH(int, unreadable);
    const QByteArray original = "[switching]\nautomatic=true\ndefault=1\n" + content;
    write(original);
    DiagnosticCapture lines;
    QElapsedTimer timer;
    timer.start();
    ProgramRules rules = ProgramRulesFile::load(path);
    QVERIFY(timer.elapsed() < 1000);
    QVERIFY(rules.automatic);
    QCOMPARE(rules.defaultProfile, 1);
    QCOMPARE(rules.rules.size(), 1);
    QCOMPARE(rules.rules.at(0).program, QStringLiteral("good"));
    QCOMPARE(lines.lines().size(), 1);
    QVERIFY(lines.lines().at(0).startsWith(QString::number(unreadable) + " of the"));

    rules.rules.append(
        {QStringLiteral("new"), ProgramRule::Match::FileName, 2, ProgramRule::Trigger::Focus});
    QVERIFY(ProgramRulesFile::save(rules, path));
    QCOMPARE(ProgramRulesFile::load(path), rules);
    QFile aside(path + QStringLiteral(".damaged"));
    QVERIFY(aside.open(QIODevice::ReadOnly));
    QCOMPARE(aside.readAll(), original);
}

QTEST_GUILESS_MAIN(TestProgramRules)
#include "tst_program_rules.moc"
