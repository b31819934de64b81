#include "diagnostics.h"
#include "settings_store.h"
#include "store_fixture.h"

#include <QDataStream>
#include <QProcess>
#include <QSettings>
#include <QtTest>

#include <climits>
#include <memory>

namespace {

constexpr char kKey[] = "mouse/value";

QString profilePath(int n)
{
    return StoreFiles::profileFile(n);
}

// Ten profiles, each with its own number as "mouse/dpiCount", and a default profile with 8.
void writeNumberedProfiles()
{
    for (int n = 0; n < ProfileNumbers::kFileCount; ++n)
        writeFile(profilePath(n), "[mouse]\ndpiCount=" + QByteArray::number(100 + n) + "\n");
    writeFile(QString::fromLatin1(StoreFiles::kDefaultProfile), "[mouse]\ndpiCount=8\n");
}

// Run in a second process: what a store built afresh reads for the key in profile 0.
int readInChildProcess(const char *key)
{
    SettingsStore store;
    QFile out;
    out.open(stdout, QIODevice::WriteOnly);
    QDataStream stream(&out);
    stream << store.getData(QString::fromLatin1(key), false)
           << store.getDataList(QString::fromLatin1(key), false);
    return 0;
}

}  // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void storedValues_data();
    void storedValues();
    void fileChoice_data();
    void fileChoice();
    void writesReachOnlyTheirFile();
    void resetApconfigKeepsCachedFacts();
    void replacementKeepsTenHandlesInFileOrder_data();
    void replacementKeepsTenHandlesInFileOrder();
    void failedReplacementKeepsTarget_data();
    void failedReplacementKeepsTarget();
    void readingMissingProfileCreatesNothing();
    void profileOutOfRange_data();
    void profileOutOfRange();
    void valuesWithoutTextFormAreRefused();
    void installedFiles();
};

void TestSettingsStore::storedValues_data()
{
    QTest::addColumn<QVariant>("written");
    QTest::addColumn<QVariant>("data");
    QTest::addColumn<QVariantList>("list");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("one-element value list")
        << QVariant(QVariantList {5}) << QVariant(QVariantList {5}) << QVariantList {5}
        << QByteArray("value=@Variant(");
    QTest::newRow("two-element value list")
        << QVariant(QVariantList {1, 2}) << QVariant(QStringList {"1", "2"})
        << QVariantList {"1", "2"} << QByteArray("value=1, 2\n");
    QTest::newRow("one-element string list") << QVariant(QStringList {"a"}) << QVariant("a")
                                             << QVariantList() << QByteArray("value=a\n");
    QTest::newRow("empty value list") << QVariant(QVariantList()) << QVariant() << QVariantList()
                                      << QByteArray("value=@Invalid()\n");
    QTest::newRow("empty string list") << QVariant(QStringList()) << QVariant() << QVariantList()
                                       << QByteArray("value=@Invalid()\n");
    QTest::newRow("integer") << QVariant(46) << QVariant("46") << QVariantList()
                             << QByteArray("value=46\n");
    QTest::newRow("boolean") << QVariant(true) << QVariant("true") << QVariantList()
                             << QByteArray("value=true\n");
    QTest::newRow("text with separator")
        << QVariant("a, b") << QVariant("a, b") << QVariantList() << QByteArray("value=\"a, b\"\n");
    QTest::newRow("mixed list") << QVariant(QVariantList {1.5, "@x", QByteArray("b")})
                                << QVariant(QVariantList {"1.5", "@x", QByteArray("b")})
                                << QVariantList {"1.5", "@x", QByteArray("b")}
                                << QByteArray("value=1.5, @@x, @ByteArray(b)\n");
}

// A value reads back the same while the store lives and after a restart, where only the
// file is left (read by this test's own executable in a second process).
void TestSettingsStore::storedValues()
{
    QFETCH(QVariant, written);
    QFETCH(QVariant, data);
    QFETCH(QVariantList, list);
    QFETCH(QByteArray, line);
    StoreDir dir;
    {
        SettingsStore store;
        store.setData(QString::fromLatin1(kKey), written);
        const QVariant read = store.getData(QString::fromLatin1(kKey), false);
        QCOMPARE(read.metaType(), data.metaType());
        QCOMPARE(read, data);
        QCOMPARE(store.getDataList(QString::fromLatin1(kKey), false), list);
    }
    QVERIFY(readFile(profilePath(0)).contains(line));

    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {"--read", kKey});
    QVERIFY(child.waitForFinished(10000));
    QDataStream stream(child.readAllStandardOutput());
    QVariant fresh;
    QVariantList freshList;
    stream >> fresh >> freshList;
    QCOMPARE(stream.status(), QDataStream::Ok);
    QCOMPARE(fresh.metaType(), data.metaType());
    QCOMPARE(fresh, data);
    QCOMPARE(freshList, list);
}

void TestSettingsStore::fileChoice_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<bool>("isRecovery");
    QTest::addColumn<QString>("expected");

    QTest::newRow("first profile") << 0 << false << "100";
    QTest::newRow("third profile") << 2 << false << "102";
    QTest::newRow("tenth profile") << 9 << false << "109";
    QTest::newRow("recovery, first profile") << 0 << true << "8";
    QTest::newRow("recovery, tenth profile") << 9 << true << "8";
}

void TestSettingsStore::fileChoice()
{
    QFETCH(int, current);
    QFETCH(bool, isRecovery);
    QFETCH(QString, expected);
    StoreDir dir;
    writeNumberedProfiles();
    SettingsStore store;
    store.setCurrentProfile(current);
    QCOMPARE(store.getData("mouse/dpiCount", isRecovery), QVariant(expected));
}

void TestSettingsStore::writesReachOnlyTheirFile()
{
    StoreDir dir;
    writeNumberedProfiles();
    const auto before = settingFiles();
    {
        SettingsStore store;
        store.setCurrentProfile(4);
        store.setData("mouse/dpiCount", 3);
        store.setDataList("mouse/dpiValueArray", {400, 800});
        store.setGlobalData("mouse/profileNo", 4);
    }
    auto after = settingFiles();
    QCOMPARE(after.take("p5.bin"), QByteArray("[mouse]\ndpiCount=3\ndpiValueArray=400, 800\n"));
    QCOMPARE(after.take("apConfig.bin"), QByteArray("[mouse]\nprofileNo=4\n"));
    QCOMPARE(after.size(), before.size() - 1);
    for (auto it = after.cbegin(); it != after.cend(); ++it)
        QCOMPARE(it.value(), before.value(it.key()));
}

void TestSettingsStore::resetApconfigKeepsCachedFacts()
{
    StoreDir dir;
    QVERIFY(StoreDir::install("setting/apConfigD.bin"));
    writeFile(StoreFiles::kGlobal,
        "[mouse]\nisColorful=false\nisGun=false\nicType=560\nis55328=true\nprofileNo=2\n");
    {
        SettingsStore store;
        store.setCurrentProfile(3);
        store.setGlobalData("mouse/profileNo", 3);  // still pending when the file is replaced
        store.resetApconfig();
        QCOMPARE(store.getGlobalData("mouse/isGun"), QVariant("true"));
        QCOMPARE(store.getGlobalData("mouse/icType"), QVariant("553"));
        QCOMPARE(store.getGlobalData("mouse/profileNo"), QVariant("0"));
        const DeviceFacts facts = store.facts();
        QVERIFY(!facts.isColorful);
        QVERIFY(!facts.isGun);
        QCOMPARE(facts.icType, QString("560"));
        QVERIFY(facts.is55328);
        QCOMPARE(store.currentProfile(), 3);
    }
    QCOMPARE(readFile(StoreFiles::kGlobal), readFile(StoreFiles::kFactoryGlobal));
}

void TestSettingsStore::replacementKeepsTenHandlesInFileOrder_data()
{
    QTest::addColumn<int>("profile");
    QTest::newRow("first") << 0;
    QTest::newRow("third") << 2;
    QTest::newRow("tenth") << 9;
}

// The source has the same size as the target, and the replacement follows the last write
// within the same millisecond: the new handle must still read the new file.
void TestSettingsStore::replacementKeepsTenHandlesInFileOrder()
{
    QFETCH(int, profile);
    StoreDir dir;
    writeNumberedProfiles();
    const QByteArray source = "[mouse]\ndpiCount=777\n";
    writeFile("source.pf", source);
    {
        SettingsStore store;
        store.setCurrentProfile(profile);
        store.setData("mouse/dpiCount", 555);  // pending; must not reach the new file
        QVERIFY(store.replaceProfile(profile, "source.pf"));
        QCOMPARE(store.getData("mouse/dpiCount", false), QVariant("777"));
        for (int n = 0; n < ProfileNumbers::kFileCount; ++n)
            QCOMPARE(
                store.profileSettings(n)->fileName(), QFileInfo(profilePath(n)).absoluteFilePath());
    }
    QCOMPARE(readFile(profilePath(profile)), source);
}

void TestSettingsStore::failedReplacementKeepsTarget_data()
{
    QTest::addColumn<QString>("source");
    QTest::newRow("missing source") << "absent.pf";
    QTest::newRow("source is a folder") << "modules";
}

void TestSettingsStore::failedReplacementKeepsTarget()
{
    QFETCH(QString, source);
    StoreDir dir;
    writeNumberedProfiles();
    writeFile(StoreFiles::kGlobal, "[common]\nname=mine\n");
    DiagnosticCapture capture;
    {
        SettingsStore store;
        store.setCurrentProfile(1);
        store.setData("mouse/dpiCount", 5);
        QSettings *const profileHandle = store.profileSettings(1);
        QSettings *const globalHandle = store.globalSettings();
        QVERIFY(!store.replaceProfile(1, source));
        QVERIFY(!store.replaceGlobal(source));
        QCOMPARE(store.profileSettings(1), profileHandle);
        QCOMPARE(store.globalSettings(), globalHandle);
        QCOMPARE(store.getData("mouse/dpiCount", false), QVariant("5"));
    }
    QCOMPARE(capture.lines().size(), 2);
    QCOMPARE(readFile(profilePath(1)), QByteArray("[mouse]\ndpiCount=5\n"));
    QCOMPARE(readFile(StoreFiles::kGlobal), QByteArray("[common]\nname=mine\n"));
}

void TestSettingsStore::readingMissingProfileCreatesNothing()
{
    StoreDir dir;
    {
        SettingsStore store;
        store.setCurrentProfile(3);
        QVERIFY(!store.getData("mouse/dpiCount", false).isValid());
        QVERIFY(store.getDataList("mouse/dpiValueArray", true).isEmpty());
        QVERIFY(!store.getGlobalData("mouse/isGun").isValid());
        QVERIFY(!store.facts().isGun);
    }
    QVERIFY(settingFiles().isEmpty());
}

void TestSettingsStore::profileOutOfRange_data()
{
    QTest::addColumn<int>("profile");
    QTest::newRow("-1") << -1;
    QTest::newRow("10") << 10;
    QTest::newRow("INT_MIN") << INT_MIN;
}

void TestSettingsStore::profileOutOfRange()
{
    QFETCH(int, profile);
    StoreDir dir;
    writeNumberedProfiles();
    DiagnosticCapture capture;
    SettingsStore store;
    store.setCurrentProfile(2);
    store.setCurrentProfile(profile);
    QCOMPARE(capture.lines().size(), 1);
    QCOMPARE(store.currentProfile(), 2);
    QCOMPARE(store.getData("mouse/dpiCount", false), QVariant("102"));
    QVERIFY(!store.profileSettings(profile));
    QVERIFY(!store.replaceProfile(profile, StoreFiles::kDefaultProfile));
}

// A value the INI text cannot hold (an object, a list of lists) is refused with one line
// naming the key; the key keeps its value on disk.
void TestSettingsStore::valuesWithoutTextFormAreRefused()
{
    StoreDir dir;
    writeNumberedProfiles();
    writeFile(StoreFiles::kGlobal, "[mouse]\nselectGun=0, 1, 2\n");
    DiagnosticCapture capture;
    {
        SettingsStore store;
        store.setGlobalData("mouse/selectGun", QVariantMap {{"a", 1}});
        store.setData("mouse/dpiCount", QVariantList {QVariantList {1, 2}, 3});
    }
    const QStringList lines = capture.lines();
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines.at(0).contains("mouse/selectGun"), qPrintable(lines.at(0)));
    QVERIFY2(lines.at(1).contains("mouse/dpiCount"), qPrintable(lines.at(1)));
    QCOMPARE(readFile(StoreFiles::kGlobal), QByteArray("[mouse]\nselectGun=0, 1, 2\n"));
    QCOMPARE(readFile(profilePath(0)), QByteArray("[mouse]\ndpiCount=100\n"));
}

// The files installed beside the program parse, and the global configuration carries the
// reference device list.
void TestSettingsStore::installedFiles()
{
    StoreDir dir;
    for (const char *name :
        {"setting/apConfig.bin", "setting/apConfigD.bin", "setting/pD.bin", "DevInfo.ini"})
        QVERIFY2(StoreDir::install(name), name);
    QCOMPARE(readFile(StoreFiles::kGlobal), readFile(StoreFiles::kFactoryGlobal));
    const SettingsStore store;
    QCOMPARE(store.facts().icType, QString("553"));
    QVERIFY(store.facts().isGun && store.facts().isColorful && !store.facts().is55328);

    const QSettings reference("modules/DevInfo.ini", QSettings::IniFormat);
    QCOMPARE(reference.status(), QSettings::NoError);
    QCOMPARE(store.getGlobalData("common/deviceCount"), reference.value("common/total"));
    for (const char *group : {"0/", "1/"}) {
        for (const char *key :
            {"type", "vid", "pid", "usagePage", "usage", "usagePage2", "usage2", "reportLength"}) {
            const QString name = QString::fromLatin1(group) + QString::fromLatin1(key);
            QVERIFY2(reference.contains(name), qPrintable(name));
            QCOMPARE(store.getGlobalData(name), reference.value(name));
        }
    }
    for (int i = 0; i < 16; ++i) {
        for (const char *table : {"mouseKeyMatrix/", "mouseFwKeyMatrix/"}) {
            const QVariantList entry = store.getDataList(table + QString::number(i), true);
            QCOMPARE(entry.size(), 4);
            for (const QVariant &value : entry)
                QVERIFY(value.toUInt() <= 255 && !value.toString().isEmpty());
        }
    }
}

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--read") == 0) {
        QCoreApplication app(argc, argv);
        return readInChildProcess(argv[2]);
    }
    QCoreApplication app(argc, argv);
    TestSettingsStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settings_store.moc"
