#include "diagnostics.h"
#include "file_chooser.h"
#include "profile_files.h"
#include "settings_store.h"
#include "store_fixture.h"

#include <QSettings>
#include <QDir>
#include <QWidget>
#include <QtTest>

namespace {

QString profilePath(int n)
{
    return StoreFiles::profileFile(n);
}

// Answers every dialog with a prepared path ("" = cancelled) and remembers what it was shown.
class ScriptedDialogs : public FileDialogs
{
public:
    QString openFileName(
        QWidget *parent, const QString &caption, const QString &dir, const QString &filter) override
    {
        return record(parent, caption, dir, filter);
    }
    QString saveFileName(
        QWidget *parent, const QString &caption, const QString &dir, const QString &filter) override
    {
        return record(parent, caption, dir, filter);
    }

    QString answer;
    QStringList shown;  // caption, directory and filter of each dialog
    QWidget *parent = nullptr;

private:
    QString record(QWidget *p, const QString &caption, const QString &dir, const QString &filter)
    {
        parent = p;
        shown << caption << dir << filter;
        return answer;
    }
};

}  // namespace

class TestProfileFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void exportCopiesProfile_data();
    void exportCopiesProfile();
    void typedNameGetsTheEnding();
    void importReplacesProfile();
    void resetCopiesDefault();
    void copy_data();
    void copy();
    void failuresChangeNothing_data();
    void failuresChangeNothing();

private:
    std::unique_ptr<StoreDir> m_dir;
    std::unique_ptr<SettingsStore> m_store;
    std::unique_ptr<ProfileFiles> m_files;
    ScriptedDialogs m_dialogs;
    QWidget m_view;
};

// Ten profiles that differ in "mouse/dpiCount", a default profile and an exchange file.
void TestProfileFiles::init()
{
    m_dir = std::make_unique<StoreDir>();
    for (int n = 0; n < ProfileNumbers::kFileCount; ++n)
        writeFile(profilePath(n), "[mouse]\ndpiCount=" + QByteArray::number(n + 1) + "\n");
    QVERIFY(StoreDir::install("setting/pD.bin"));
    writeFile("chosen.pf", "[mouse]\ndpiCount=6\nlightValue=1, 2, 3\n");
    m_store = std::make_unique<SettingsStore>();
    m_files = std::make_unique<ProfileFiles>(*m_store, &m_view);
    m_dialogs = ScriptedDialogs();
    setFileDialogs(&m_dialogs);
}

void TestProfileFiles::cleanup()
{
    setFileDialogs(nullptr);
    m_files.reset();
    m_store.reset();
    m_dir.reset();
}

void TestProfileFiles::exportCopiesProfile_data()
{
    QTest::addColumn<int>("profile");
    QTest::addColumn<bool>("targetExists");
    QTest::newRow("first profile, new file") << 0 << false;
    QTest::newRow("first profile over an existing file") << 0 << true;
    QTest::newRow("tenth profile") << 9 << true;
}

void TestProfileFiles::exportCopiesProfile()
{
    QFETCH(int, profile);
    QFETCH(bool, targetExists);
    if (!targetExists)
        QFile::remove("chosen.pf");
    m_store->setCurrentProfile(profile);
    m_store->setData("mouse/scrollRate", 3);  // not yet on disk
    m_dialogs.answer = "chosen.pf";
    m_files->saveProfile(profile, "Work/Play");

    QCOMPARE(m_dialogs.shown,
        QStringList({"Save File", QDir::homePath() + "/Work_Play.pf", "Profile(*.pf)"}));
    QCOMPARE(m_dialogs.parent, &m_view);
    QVERIFY(readFile("chosen.pf").contains("scrollRate=3"));
    QCOMPARE(readFile("chosen.pf"), readFile(profilePath(profile)));
}

// A name typed without an ending is written with ".pf"; a typed ending is kept.
void TestProfileFiles::typedNameGetsTheEnding()
{
    m_dialogs.answer = "typed";
    m_files->saveProfile(1);
    QVERIFY(!QFile::exists("typed"));
    QCOMPARE(readFile("typed.pf"), readFile(profilePath(1)));
    m_dialogs.answer = "typed.backup";
    m_files->saveProfile(1);
    QCOMPARE(readFile("typed.backup"), readFile(profilePath(1)));
}

void TestProfileFiles::importReplacesProfile()
{
    m_dialogs.answer = "chosen.pf";
    m_store->setCurrentProfile(2);
    QVERIFY(m_files->loadProfile(2));

    QCOMPARE(m_dialogs.shown.value(0), QString("Open File"));
    QCOMPARE(m_dialogs.shown.value(2), QString("Profile(*.pf)"));
    QCOMPARE(m_store->getData("mouse/dpiCount", false), QVariant("6"));
    QCOMPARE(m_store->getDataList("mouse/lightValue", false), QVariantList({"1", "2", "3"}));
    QCOMPARE(readFile(profilePath(2)), readFile("chosen.pf"));
    for (int n = 0; n < ProfileNumbers::kFileCount; ++n)
        QCOMPARE(
            m_store->profileSettings(n)->fileName(), QFileInfo(profilePath(n)).absoluteFilePath());
}

void TestProfileFiles::resetCopiesDefault()
{
    const auto before = settingFiles();
    m_files->resetProfile(1);
    auto after = settingFiles();
    QCOMPARE(after.take("p2.bin"), readFile(StoreFiles::kDefaultProfile));
    QCOMPARE(after.size(), before.size() - 1);
    for (auto it = after.cbegin(); it != after.cend(); ++it)
        QCOMPARE(it.value(), before.value(it.key()));
    m_store->setCurrentProfile(1);
    QCOMPARE(m_store->getData("mouse/dpiCount", false), QVariant("8"));
}

void TestProfileFiles::copy_data()
{
    QTest::addColumn<int>("dest");
    QTest::addColumn<int>("src");
    QTest::addColumn<QString>("changed");  // the only file that changes, "" for none
    QTest::newRow("sixth over first") << 0 << 5 << "p1.bin";
    QTest::newRow("first over sixth") << 5 << 0 << "p6.bin";
    QTest::newRow("tenth over third") << 2 << 9 << "p3.bin";
    QTest::newRow("onto itself") << 4 << 4 << "";
    QTest::newRow("destination out of range") << 10 << 0 << "";
    QTest::newRow("source out of range") << 0 << -1 << "";
}

void TestProfileFiles::copy()
{
    QFETCH(int, dest);
    QFETCH(int, src);
    QFETCH(QString, changed);
    const QString source = QFileInfo(profilePath(src)).fileName();
    if (!changed.isEmpty()) {
        m_store->setCurrentProfile(src);
        m_store->setData("mouse/scrollRate", 7);  // not yet on disk; goes along with the copy
    }
    const auto before = settingFiles();
    m_files->copyProfile(dest, src);
    const auto after = settingFiles();
    if (!changed.isEmpty()) {
        QCOMPARE(after.value(changed), after.value(source));
        QVERIFY(after.value(changed).contains("scrollRate=7"));
        m_store->setCurrentProfile(dest);
        QCOMPARE(m_store->getData("mouse/scrollRate", false), QVariant("7"));
    }
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (changed.isEmpty() || (it.key() != changed && it.key() != source))
            QCOMPARE(it.value(), before.value(it.key()));
    }
}

// Operations that must leave every file as it was: what is called, the dialog's answer, a file
// taken away first, and the number of diagnostic lines.
struct Failure
{
    const char *name;
    const char *operation;
    const char *answer;
    const char *removed;
    int lines;
};

constexpr Failure kFailures[] = {
    {"export cancelled", "export", "", "", 0},
    {"export of a missing profile", "export", "chosen.pf", "modules/setting/p3.bin", 1},
    {"export of an unknown profile", "export 10", "chosen.pf", "", 1},
    {"import cancelled", "import", "", "", 0},
    {"import of a missing file", "import", "gone.pf", "", 1},
    {"import into an unknown profile", "import 10", "chosen.pf", "", 1},
    {"reset without a default profile", "reset", "", "modules/setting/pD.bin", 1},
    {"reset of an unknown profile", "reset -1", "", "", 1},
    {"copy of a missing profile", "copy", "", "modules/setting/p6.bin", 1},
};

void TestProfileFiles::failuresChangeNothing_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("removed");
    QTest::addColumn<int>("lines");
    for (const Failure &row : kFailures) {
        QTest::newRow(row.name) << QString::fromLatin1(row.operation)
                                << QString::fromLatin1(row.answer)
                                << QString::fromLatin1(row.removed) << row.lines;
    }
}

// Every file stays as it was, and the third profile keeps its handle.
void TestProfileFiles::failuresChangeNothing()
{
    QFETCH(QString, operation);
    QFETCH(QString, answer);
    QFETCH(QString, removed);
    QFETCH(int, lines);
    if (!removed.isEmpty())
        QFile::remove(removed);
    const QByteArray exchange = readFile("chosen.pf");
    const auto before = settingFiles();
    QSettings *const handle = m_store->profileSettings(2);
    m_dialogs.answer = answer;
    DiagnosticCapture capture;

    if (operation == "export")
        m_files->saveProfile(2);
    else if (operation == "export 10")
        m_files->saveProfile(10);
    else if (operation == "import")
        QVERIFY(!m_files->loadProfile(2));
    else if (operation == "import 10")
        QVERIFY(!m_files->loadProfile(10));
    else if (operation == "reset")
        m_files->resetProfile(2);
    else if (operation == "reset -1")
        m_files->resetProfile(-1);
    else
        m_files->copyProfile(2, 5);

    QCOMPARE(capture.lines().size(), lines);
    QCOMPARE(settingFiles(), before);
    QCOMPARE(readFile("chosen.pf"), exchange);
    QCOMPARE(m_store->profileSettings(2), handle);
    if (operation.contains(' '))
        QVERIFY(m_dialogs.shown.isEmpty());
}

QTEST_MAIN(TestProfileFiles)
#include "tst_profile_files.moc"
