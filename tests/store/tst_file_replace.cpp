// The safe replacement of a file on a real file system: a disk that takes only part of the
// copy, and a target that cannot be replaced. The target keeps its bytes in every case.

#include "diagnostics.h"
#include "file_size_limit.h"
#include "file_replace.h"
#include "program_rules.h"
#include "store_fixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kOldTarget = "[mouse]\ndpiCount=4\nlightValue=1, 2, 3\n";

// While it lives, a process started as root acts as the user "nobody" (real and effective
// user id; the saved id stays root, so the destructor can take root back). Other users are
// left as they are.
class Unprivileged
{
public:
    Unprivileged()
    {
        if (geteuid() != 0) {
            m_active = true;
            return;
        }
        const passwd *nobody = getpwnam("nobody");
        if (!nobody || nobody->pw_uid == 0) {
            m_why = QStringLiteral("there is no user \"nobody\" to act as");
            return;
        }
        if (setresuid(nobody->pw_uid, nobody->pw_uid, 0) != 0) {
            m_why = QStringLiteral("this root may not change its user id");
            return;
        }
        m_dropped = true;
        m_active = true;
    }
    ~Unprivileged()
    {
        if (m_dropped && setresuid(0, 0, 0) != 0)
            qFatal("cannot take back the root user id");
    }
    bool isActive() const { return m_active; }
    QString why() const { return m_why; }

private:
    bool m_active = false;
    bool m_dropped = false;
    QString m_why;
};

QByteArray sourceBytes(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char('a' + (i * 7 + i / 251) % 26);
    return bytes;
}

}  // namespace

class TestFileReplace : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void cutCopyKeepsTarget_data();
    void cutCopyKeepsTarget();
    void unreplaceableTargetStays_data();
    void unreplaceableTargetStays();
    void unreadableRulesAreNotReplaced();

private:
    QStringList folderEntries() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;  // where the target lives
    QString m_source;
    QString m_target;
};

void TestFileReplace::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // Open to every user, so the same folder serves a test that runs without privileges.
    QVERIFY(::chmod(QFile::encodeName(m_dir->path()).constData(), 0755) == 0);
    m_folder = m_dir->filePath(QStringLiteral("setting"));
    QVERIFY(QDir().mkpath(m_folder));
    m_source = m_dir->filePath(QStringLiteral("chosen.pf"));
    m_target = m_folder + QStringLiteral("/p1.bin");
    writeFile(m_target, kOldTarget);
}

void TestFileReplace::cleanup()
{
    ::chmod(QFile::encodeName(m_folder).constData(), 0755);
    m_dir.reset();
}

QStringList TestFileReplace::folderEntries() const
{
    return QDir(m_folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

void TestFileReplace::cutCopyKeepsTarget_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("limit");
    QTest::newRow("cut in the middle of a chunk") << 200000 << 100000;
    QTest::newRow("cut at a chunk boundary") << 200000 << 65536;
    QTest::newRow("no room at all") << 200000 << 0;
    QTest::newRow("small file, half of it") << 10000 << 5000;
}

// The copy stops at the limit: the temporary file goes, the target keeps its bytes, one line
// says why. With the limit lifted the same replacement goes through.
void TestFileReplace::cutCopyKeepsTarget()
{
    QFETCH(int, size);
    QFETCH(int, limit);
    const QByteArray source = sourceBytes(size);
    writeFile(m_source, source);
    QCOMPARE(readFile(m_source), source);

    DiagnosticCapture diagnostics;
    bool replaced = true;
    {
        FileSizeLimit full {rlim_t(limit)};
        QVERIFY(full.isActive());
        replaced = replaceFileWithCopy(m_source, m_target);
    }
    QVERIFY(!replaced);
    QCOMPARE(readFile(m_target), kOldTarget);
    QCOMPARE(folderEntries(), QStringList {QStringLiteral("p1.bin")});
    QCOMPARE(diagnostics.lines().size(), 1);
    const QString line = diagnostics.lines().constFirst();
    QVERIFY2(line.startsWith(QStringLiteral("Writing the copy of %1 failed (").arg(m_source)),
        qPrintable(line));
    QVERIFY2(
        line.endsWith(QStringLiteral("); %1 is left as it was").arg(m_target)), qPrintable(line));

    QVERIFY(replaceFileWithCopy(m_source, m_target));
    QCOMPARE(readFile(m_target), source);
    QCOMPARE(folderEntries(), QStringList {QStringLiteral("p1.bin")});
}

void TestFileReplace::unreplaceableTargetStays_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("refusal");  // how the diagnostic line starts
    QTest::newRow("target is a folder") << "folder"
                                        << "Cannot write";
    QTest::newRow("read-only folder") << "read-only"
                                      << "Cannot write";
    QTest::newRow("final rename refused") << "sticky"
                                          << "Cannot replace";
}

// A target that cannot be replaced stays as it was, and no temporary file is left beside it.
// "final rename refused": in a folder open to all with the sticky bit, a user may create the
// temporary copy but may not rename it over another user's file.
void TestFileReplace::unreplaceableTargetStays()
{
    QFETCH(QString, setup);
    QFETCH(QString, refusal);
    writeFile(m_source, sourceBytes(3000));
    const QByteArray folderBytes = "a file inside the folder";
    const QString folderMarker = m_target + QStringLiteral("/inside");

    if (setup == QLatin1String("folder")) {
        QVERIFY(QFile::remove(m_target));
        QVERIFY(QDir().mkpath(m_target));
        writeFile(folderMarker, folderBytes);
    } else if (setup == QLatin1String("read-only")) {
        // The file itself may be written; only the folder refuses new files.
        QVERIFY(::chmod(QFile::encodeName(m_target).constData(), 0666) == 0);
        QVERIFY(::chmod(QFile::encodeName(m_folder).constData(), 0555) == 0);
    } else {
        if (geteuid() != 0)
            QSKIP("needs root to leave a file of another user in the folder");
        QVERIFY(::chmod(QFile::encodeName(m_folder).constData(), 01777) == 0);
        QVERIFY(::chmod(QFile::encodeName(m_target).constData(), 0666) == 0);
    }
    const QStringList entries = folderEntries();

    DiagnosticCapture diagnostics;
    bool replaced = true;
    {
        // Root may write anywhere; the refusals are those an ordinary user meets.
        Unprivileged user;
        if (setup != QLatin1String("folder") && !user.isActive())
            QSKIP(qPrintable(
                QStringLiteral("root cannot act as an ordinary user here: %1").arg(user.why())));
        replaced = replaceFileWithCopy(m_source, m_target);
    }
    QVERIFY(!replaced);
    if (setup == QLatin1String("folder")) {
        QVERIFY(QFileInfo(m_target).isDir());
        QCOMPARE(readFile(folderMarker), folderBytes);
    } else {
        QCOMPARE(readFile(m_target), kOldTarget);
    }
    QCOMPARE(folderEntries(), entries);
    QCOMPARE(diagnostics.lines().size(), 1);
    QVERIFY2(diagnostics.lines().constFirst().startsWith(refusal + QLatin1Char(' ') + m_target),
        qPrintable(diagnostics.lines().constFirst()));
}

// A rules file the user may write but not read: the rules it holds cannot be kept aside, so
// no change replaces it.
void TestFileReplace::unreadableRulesAreNotReplaced()
{
    const QString rules = m_folder + QStringLiteral("/programs.bin");
    const QByteArray stored = "[switching]\nautomatic=false\ndefault=0\n[rules]\nsize=1\n"
                              "1\\program=game\n1\\match=name\n1\\profile=2\n1\\trigger=focus\n";
    writeFile(rules, stored);
    QVERIFY(::chmod(QFile::encodeName(m_folder).constData(), 0777) == 0);
    QVERIFY(::chmod(QFile::encodeName(rules).constData(), 0222) == 0);
    ProgramRules loaded;
    bool saved = true;
    {
        Unprivileged user;
        if (!user.isActive())
            QSKIP(qPrintable(
                QStringLiteral("root cannot act as an ordinary user here: %1").arg(user.why())));
        loaded = ProgramRulesFile::load(rules);
        loaded.automatic = true;
        saved = ProgramRulesFile::save(loaded, rules);
    }
    QVERIFY(loaded.rules.isEmpty());
    QVERIFY(!saved);
    QCOMPARE(readFile(rules), stored);
}

QTEST_GUILESS_MAIN(TestFileReplace)
#include "tst_file_replace.moc"
