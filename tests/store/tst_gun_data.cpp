#include "gun_data.h"
#include "store_fixture.h"

#include <QRegularExpression>
#include <QSettings>

#include <QtTest>

#include <memory>

using namespace GunData;

namespace {

const QString kFile = QStringLiteral("modules/gun/gunData.bin");

QStringList texts(const QVariantList &values)
{
    QStringList result;
    for (const QVariant &value : values)
        result << value.toString();
    return result;
}

}  // namespace

class TestGunData : public QObject
{
    Q_OBJECT

    std::unique_ptr<StoreDir> m_dir;

private slots:
    void init()
    {
        m_dir = std::make_unique<StoreDir>(QStringList {"gun"});
        writeFile(kFile, "[gunData]\n0=M416, L-Click, 9, 0, 5, 0\nM416=L-Click, 9, 0, 5, 0\n");
    }
    void cleanup() { m_dir.reset(); }

    void savedEntryReadsBackInOrder()
    {
        mouseSaveGundata(2, {"Groza", "L-Click", 10, 0, 8, 0});
        const QSettings file(kFile, QSettings::IniFormat);
        QCOMPARE(file.value("gunData/2").toStringList(),
            (QStringList {"Groza", "L-Click", "10", "0", "8", "0"}));
        QCOMPARE(texts(getGunData(2)), (QStringList {"Groza", "L-Click", "10", "0", "8", "0"}));
        QCOMPARE(getGunDataKey(), (QStringList {"0", "2", "M416"}));
    }

    void absentEntryIsEmpty() { QVERIFY(getGunData(4).isEmpty()); }

    void renameWritesNamedEntry()
    {
        modifyGundata(1, {"Beryl", "R-Click", 11, 1, 6, 30, "M416"});
        QCOMPARE(getGunDataKey(), (QStringList {"0", "Beryl"}));
        QCOMPARE(texts(getGunData("Beryl")), (QStringList {"R-Click", "11", "1", "6", "30"}));
        QCOMPARE(texts(getGunData(0)), (QStringList {"M416", "L-Click", "9", "0", "5", "0"}));
    }

    // A gun renamed to the name it has keeps its entry, with the values of the rename.
    void renameToOwnNameKeepsEntry()
    {
        modifyGundata(1, {"M416", "R-Click", 12, 2, 7, 40, "M416"});
        QCOMPARE(getGunDataKey(), (QStringList {"0", "M416"}));
        QCOMPARE(texts(getGunData("M416")), (QStringList {"R-Click", "12", "2", "7", "40"}));
        QCOMPARE(readFile(kFile),
            QByteArray("[gunData]\n0=M416, L-Click, 9, 0, 5, 0\nM416=R-Click, 12, 2, 7, 40\n"));
    }

    void removeEntry()
    {
        modifyGundata(0, {"M416"});
        QCOMPARE(getGunDataKey(), QStringList {"0"});
    }

    void refusedWritesLeaveFile_data()
    {
        QTest::addColumn<int>("operation");  // -1 save, else modifyType
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<QString>("message");
        QTest::newRow("save, five values")
            << -1 << QVariantList {"AKM", "L-Click", 9, 0, 7} << "5 values given, 6 needed";
        QTest::newRow("rename, six values")
            << 1 << QVariantList {"X", "L-Click", 9, 0, 7, 0} << "6 values given, 7 needed";
        QTest::newRow("remove, no values") << 0 << QVariantList {} << "0 values given";
        QTest::newRow("remove, empty key") << 0 << QVariantList {""} << "unusable key";
        QTest::newRow("remove, into a group") << 0 << QVariantList {"a/b"} << "unusable key";
        QTest::newRow("rename onto a position")
            << 1 << QVariantList {"0", "L-Click", 9, 0, 7, 0, "M416"} << "is a table position";
        QTest::newRow("rename from a position")
            << 1 << QVariantList {"Beryl", "L-Click", 9, 0, 7, 0, "0"} << "is a table position";
        QTest::newRow("unknown type") << 2 << QVariantList {"M416"} << "type 2 does nothing";
    }
    void refusedWritesLeaveFile()
    {
        QFETCH(int, operation);
        QFETCH(QVariantList, values);
        QFETCH(QString, message);
        const QByteArray before = readFile(kFile);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(message));
        if (operation < 0)
            mouseSaveGundata(1, values);
        else
            modifyGundata(operation, values);
        QCOMPARE(readFile(kFile), before);
    }

    void missingFileIsNeverCreated()
    {
        QVERIFY(QFile::remove(kFile));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("mouseSaveGundata: no gun data file"));
        mouseSaveGundata(0, {"M416", "L-Click", 9, 0, 5, 0});
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("modifyGundata: no gun data file"));
        modifyGundata(1, {"Beryl", "L-Click", 9, 0, 5, 0, "M416"});
        QVERIFY(!QFile::exists(kFile));
        QVERIFY(getGunData(0).isEmpty());
        QVERIFY(getGunDataKey().isEmpty());
        QVERIFY(!QFile::exists(kFile));
    }

    void profileKeys()
    {
        QSettings profile(QStringLiteral("p3.bin"), QSettings::IniFormat);
        QCOMPARE(getXYSensitive(&profile, 0).toInt(), 4);
        QCOMPARE(getselectGun(&profile, 0), QVariant(QString()));
        setXYSensitive(&profile, 1, 7);
        setSelectGun(&profile, 2, 5);
        profile.sync();
        const QSettings reread(QStringLiteral("p3.bin"), QSettings::IniFormat);
        QCOMPARE(getXYSensitive(&reread, 1).toString(), QStringLiteral("7"));
        QCOMPARE(getXYSensitive(&reread, 0).toInt(), 4);
        QCOMPARE(getselectGun(&reread, 2).toString(), QStringLiteral("5"));
        QCOMPARE(reread.allKeys(), (QStringList {"XYSensitive/1", "selectGun/2"}));
    }

    void shippedTableHoldsSixGuns()
    {
        const QString shipped = StoreDir::sourceData(QStringLiteral("gun/gunData.bin"));
        QVERIFY(QFile::remove(kFile));
        QVERIFY(QFile::copy(shipped, kFile));
        const QStringList names {"M416", "AKM", "M16A4", "SCAR-L", "UNP9", "Thomson"};
        QCOMPARE(getGunDataKey(), (QStringList {"0", "1", "2", "3", "4", "5"}));
        for (int i = 0; i < names.size(); ++i) {
            const QStringList entry = texts(getGunData(i));
            QCOMPARE(entry.size(), kEntryValues);
            QCOMPARE(entry.at(0), names.at(i));
            QCOMPARE(entry.at(1), QStringLiteral("L-Click"));
            QVERIFY(entry.at(2).toInt() > 0);
            QVERIFY(entry.at(3).toUInt() <= 64 && entry.at(4).toUInt() <= 64);
            QVERIFY(entry.at(5).toUInt() <= 255);
        }
    }
};

QTEST_GUILESS_MAIN(TestGunData)
#include "tst_gun_data.moc"
