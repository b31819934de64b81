// The data folder of the program: a build tree or portable copy keeps its data beside the
// executable, an installed program seeds a folder of the user's from the installed data,
// refreshing the factory files and never touching the user's own.

#include "data_folder.h"
#include "diagnostics.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    file.write(bytes);
}

void setTime(const QString &path, const QDateTime &time)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::Append), qPrintable(path));
    QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
}

// Every file below folder, as paths relative to it.
QStringList filesBelow(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(folder).relativeFilePath(it.next()));
    files.sort();
    return files;
}

const QStringList kFactoryFiles = {"setting/apConfigD.bin", "setting/pD.bin", "i18n/English.ini",
    "i18n/ChineseSimplified.ini", "img/logo.ico"};
const QStringList kUserFiles = {
    "setting/apConfig.bin", "setting/name.bin", "gun/gunData.bin", "macro/Burst.bin"};

// An installed modules folder: the data of the source tree, a name file and one macro, all
// read only and a day old, as a package leaves them.
void makeInstalled(const QString &modules)
{
    const QString from = QStringLiteral(STRYLA_SOURCE_DIR "/modules/");
    for (const QString &file :
        kFactoryFiles + QStringList {"setting/apConfig.bin", "gun/gunData.bin"}) {
        QDir().mkpath(QFileInfo(modules + '/' + file).path());
        QVERIFY2(QFile::copy(from + file, modules + '/' + file), qPrintable(file));
    }
    write(modules + "/setting/name.bin", "[macro]\nname=Burst, loaderpivlan\n");
    write(modules + "/macro/Burst.bin", "[macro]\ncount=2\n");
    const QDateTime dayOld = QDateTime::currentDateTime().addDays(-1);
    for (const QString &file : filesBelow(modules)) {
        setTime(modules + '/' + file, dayOld);
        QFile(modules + '/' + file)
            .setPermissions(
                QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    }
}

}  // namespace

class TestDataFolder : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void seedsAnEmptyFolder();
    void refreshesFactoryFilesAndKeepsTheUsers();
    void aFailedCopyLosesNothing();
    void choosesTheFolder();
    void perUserFolderThatCannotBeMade();

private:
    QString path(const QString &relative) const { return m_dir->filePath(relative); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_installed;
    QString m_target;
    QString m_previousFolder;
    QByteArray m_previousDataHome;
};

void TestDataFolder::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_installed = path("prefix/share/stryla-config/modules");
    m_target = path("home/stryla-config/modules");
    makeInstalled(m_installed);
    m_previousFolder = QDir::currentPath();
    m_previousDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", path("home").toUtf8());
}

void TestDataFolder::cleanup()
{
    QDir::setCurrent(m_previousFolder);
    qputenv("XDG_DATA_HOME", m_previousDataHome);
    m_dir.reset();
}

void TestDataFolder::seedsAnEmptyFolder()
{
    QVERIFY(seedModules(m_installed, m_target).isEmpty());

    QStringList expected = kFactoryFiles + kUserFiles;
    for (int n = 1; n <= 10; ++n)
        expected.append(QStringLiteral("setting/p%1.bin").arg(n));
    expected.sort();
    QCOMPARE(filesBelow(m_target), expected);  // and no temporary file left behind
    for (const QString &file : kFactoryFiles + kUserFiles) {
        QCOMPARE(readAll(m_target + '/' + file), readAll(m_installed + '/' + file));
        QVERIFY2(QFileInfo(m_target + '/' + file).permissions() & QFileDevice::WriteOwner,
            qPrintable(file));
    }
    for (int n = 1; n <= 10; ++n) {
        const QString profile = m_target + QStringLiteral("/setting/p%1.bin").arg(n);
        QCOMPARE(readAll(profile), readAll(m_installed + "/setting/pD.bin"));
        QVERIFY(QFileInfo(profile).permissions() & QFileDevice::WriteOwner);
    }
    // Factory copies carry the installed time, so a later install is seen as newer.
    for (const QString &file : kFactoryFiles)
        QCOMPARE(QFileInfo(m_target + '/' + file).lastModified(),
            QFileInfo(m_installed + '/' + file).lastModified());
    for (const char *folder : {"setting", "macro", "gun", "i18n"})
        QVERIFY(QFileInfo(m_target + '/' + folder).isDir());

    // Seeding again with nothing new changes nothing.
    const QDateTime copied = QFileInfo(m_target + "/setting/p1.bin").lastModified();
    QVERIFY(seedModules(m_installed, m_target).isEmpty());
    QCOMPARE(filesBelow(m_target), expected);
    QCOMPARE(QFileInfo(m_target + "/setting/p1.bin").lastModified(), copied);
}

void TestDataFolder::refreshesFactoryFilesAndKeepsTheUsers()
{
    QVERIFY(seedModules(m_installed, m_target).isEmpty());
    // The user changes their files, and a language file of the installation by hand.
    for (const QString &file : kUserFiles + QStringList {"setting/p1.bin"})
        write(m_target + '/' + file, "[mouse]\nuser=" + file.toUtf8() + '\n');
    write(m_target + "/i18n/ChineseSimplified.ini", "[main]\nedited=1\n");
    // A newer installation: new factory files, and new user files that must not win.
    const QDateTime now = QDateTime::currentDateTime();
    for (const QString &file : kFactoryFiles + kUserFiles + QStringList {"setting/p1.bin"}) {
        if (file == "i18n/ChineseSimplified.ini")
            continue;
        QFile::remove(m_installed + '/' + file);
        write(m_installed + '/' + file, "[mouse]\nnew=" + file.toUtf8() + '\n');
        setTime(m_installed + '/' + file, now);
    }
    write(m_installed + "/i18n/Deutsch.ini", "[main]\nnew=1\n");
    write(m_installed + "/macro/Rapid.bin", "[macro]\ncount=4\n");

    QVERIFY(seedModules(m_installed, m_target).isEmpty());
    for (const QString &file : kFactoryFiles) {
        if (file == "i18n/ChineseSimplified.ini")
            continue;
        QCOMPARE(readAll(m_target + '/' + file), readAll(m_installed + '/' + file));
        QCOMPARE(QFileInfo(m_target + '/' + file).lastModified(),
            QFileInfo(m_installed + '/' + file).lastModified());
    }
    // Not newer than the copy: the edited copy stays.
    QCOMPARE(readAll(m_target + "/i18n/ChineseSimplified.ini"), QByteArray("[main]\nedited=1\n"));
    for (const QString &file : kUserFiles + QStringList {"setting/p1.bin"})
        QCOMPARE(readAll(m_target + '/' + file), "[mouse]\nuser=" + file.toUtf8() + '\n');
    // Profiles the user never changed are theirs too: the old factory profile stays in them.
    QCOMPARE(readAll(m_target + "/setting/p2.bin"),
        readAll(QStringLiteral(STRYLA_SOURCE_DIR "/modules/setting/pD.bin")));
    QCOMPARE(readAll(m_target + "/i18n/Deutsch.ini"), QByteArray("[main]\nnew=1\n"));
    QCOMPARE(readAll(m_target + "/macro/Rapid.bin"), QByteArray("[macro]\ncount=4\n"));
}

void TestDataFolder::aFailedCopyLosesNothing()
{
    QVERIFY(seedModules(m_installed, m_target).isEmpty());
    // Things in the way: a folder where the factory profile was, a file where the macro folder
    // was; and a newer installation that wants both.
    QVERIFY(QFile::remove(m_target + "/setting/pD.bin"));
    write(m_target + "/setting/pD.bin/keep.txt", "keep");
    QVERIFY(QDir(m_target + "/macro").removeRecursively());
    write(m_target + "/macro", "a file of the user");
    write(m_target + "/setting/p3.bin", "[mouse]\nuser=3\n");
    QFile::remove(m_target + "/setting/p4.bin");
    QFile::remove(m_installed + "/setting/pD.bin");
    write(m_installed + "/setting/pD.bin", "[mouse]\nnew=1\n");
    write(m_installed + "/macro/Rapid.bin", "[macro]\ncount=4\n");
    write(m_installed + "/i18n/Deutsch.ini", "[main]\nnew=1\n");

    DiagnosticCapture diagnostics;
    QStringList failed = seedModules(m_installed, m_target);
    failed.sort();
    QCOMPARE(failed, QStringList({m_target + "/macro", m_target + "/setting/pD.bin"}));
    QVERIFY2(diagnostics.lines().filter(m_target + "/macro").size() >= 1,
        qPrintable(diagnostics.lines().join('\n')));
    QVERIFY(
        diagnostics.contains(QStringLiteral("Data folder: %1 is not a file; it is left as it was")
                                 .arg(m_target + "/setting/pD.bin")));

    QCOMPARE(readAll(m_target + "/setting/pD.bin/keep.txt"), QByteArray("keep"));
    QCOMPARE(readAll(m_target + "/macro"), QByteArray("a file of the user"));
    QCOMPARE(readAll(m_target + "/setting/p3.bin"), QByteArray("[mouse]\nuser=3\n"));
    // What could be done was done: the new language, the missing profile.
    QCOMPARE(readAll(m_target + "/i18n/Deutsch.ini"), QByteArray("[main]\nnew=1\n"));
    QCOMPARE(readAll(m_target + "/setting/p4.bin"), QByteArray("[mouse]\nnew=1\n"));

    // A target that cannot be made at all.
    write(path("blocked"), "x");
    QCOMPARE(
        seedModules(m_installed, path("blocked/modules")), QStringList {path("blocked/modules")});
    QCOMPARE(readAll(path("blocked")), QByteArray("x"));
}

void TestDataFolder::choosesTheFolder()
{
    // A build tree or portable copy: its own folder, as it always was; no per-user folder.
    const QString portable = path("portable");
    QVERIFY(seedModules(m_installed, portable + "/modules").isEmpty());
    {
        DiagnosticCapture diagnostics;
        QCOMPARE(enterDataFolder(portable + "/stryla-config"), portable);
        QCOMPARE(QDir::currentPath(), portable);
        QCOMPARE(diagnostics.lines(), QStringList {"Data folder: " + portable});
    }
    QVERIFY(!QFileInfo::exists(path("home/stryla-config")));

    // Installed in bin/ beside share/: the user's folder, seeded.
    QVERIFY(QDir().mkpath(path("prefix/bin")));
    {
        DiagnosticCapture diagnostics;
        QCOMPARE(enterDataFolder(path("prefix/bin/stryla-config")), path("home/stryla-config"));
        QCOMPARE(QDir::currentPath(), path("home/stryla-config"));
        QCOMPARE(diagnostics.lines(), QStringList {"Data folder: " + path("home/stryla-config")});
    }
    QCOMPARE(
        readAll("modules/setting/apConfig.bin"), readAll(m_installed + "/setting/apConfig.bin"));
    QCOMPARE(readAll("modules/setting/p10.bin"), readAll(m_installed + "/setting/pD.bin"));

    // Nothing installed anywhere: the executable's folder, as before, and the line says why.
    QVERIFY(QDir().mkpath(path("lonely")));
    DiagnosticCapture diagnostics;
    QCOMPARE(enterDataFolder(path("lonely/stryla-config")), path("lonely"));
    QCOMPARE(QDir::currentPath(), path("lonely"));
    QCOMPARE(diagnostics.lines(),
        QStringList {"Data folder: " + path("lonely")
            + " (no modules folder beside the program nor in ../share/stryla-config)"});
}

void TestDataFolder::perUserFolderThatCannotBeMade()
{
    QVERIFY(QDir().mkpath(path("prefix/bin")));
    write(path("home/stryla-config"), "not a folder");
    DiagnosticCapture diagnostics;
    // The installed data, read only; the user is told that changes are not kept.
    QCOMPARE(enterDataFolder(path("prefix/bin/stryla-config")), path("prefix/share/stryla-config"));
    QCOMPARE(QDir::currentPath(), path("prefix/share/stryla-config"));
    QCOMPARE(diagnostics.lines(),
        QStringList {"Data folder: " + path("prefix/share/stryla-config")
            + " (read only: the per-user folder " + path("home/stryla-config")
            + " cannot be made, so changes are not kept)"});
    QCOMPARE(readAll(path("home/stryla-config")), QByteArray("not a folder"));
}

QTEST_GUILESS_MAIN(TestDataFolder)
#include "tst_data_folder.moc"
