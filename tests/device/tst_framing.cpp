// Report framing without a device: checksums, command reports, data reports.

#include "hid_framing.h"

#include <QtTest>

using namespace HidFraming;

class TestFraming : public QObject
{
    Q_OBJECT

private slots:
    void checksum_data();
    void checksum();
    void commandReportExample();
    void dataReports_data();
    void dataReports();
    void shortBlockIsZeroPadded();
};

void TestFraming::checksum_data()
{
    QTest::addColumn<QByteArray>("bytes");  // bytes 1 … 7 of a command report
    QTest::addColumn<int>("expected");
    QTest::newRow("all zero") << QByteArray(7, '\0') << 0xFF;
    QTest::newRow("rate 1") << QByteArray::fromHex("01010000000000") << 0xFD;
    QTest::newRow("sum 0x100") << QByteArray::fromHex("80800000000000") << 0xFF;
    QTest::newRow("sum 0x200") << QByteArray::fromHex("FFFF0200000000") << 0xFF;
    QTest::newRow("sum 0xFF") << QByteArray::fromHex("F00F0000000000") << 0x00;
    QTest::newRow("sum 0x1FF") << QByteArray::fromHex("FF800000000080") << 0x00;
    QTest::newRow("0x84 profile 1") << QByteArray::fromHex("84010000000000") << 0x7A;
}

void TestFraming::checksum()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, expected);
    QCOMPARE(
        int(HidFraming::checksum(reinterpret_cast<const uchar *>(bytes.constData()))), expected);
}

void TestFraming::commandReportExample()
{
    const CommandReport report = commandReport(0x01, {0x01});
    QCOMPARE(hex(report.data(), int(report.size())), QByteArray("00 01 01 00 00 00 00 00 FD"));
    const CommandReport lod = commandReport(0x07, {0x00, 100, 0x7D});
    QCOMPARE(hex(lod.data(), int(lod.size())), QByteArray("00 07 00 64 7D 00 00 00 17"));
}

void TestFraming::dataReports_data()
{
    QTest::addColumn<int>("dataLength");
    QTest::addColumn<int>("reportLength");
    QTest::addColumn<int>("reports");
    for (int reportLength : {32, 64}) {
        for (int length : {4, 8, 24, 64, 128}) {
            const int n = qMin(length, reportLength);
            QTest::addRow("%d bytes / %d", length, reportLength)
                << length << reportLength << (length + n - 1) / n;
        }
    }
}

// Each report is reportLength + 1 bytes: 0x00, then the next bytes of the block in order.
void TestFraming::dataReports()
{
    QFETCH(int, dataLength);
    QFETCH(int, reportLength);
    QFETCH(int, reports);

    uchar block[128];
    for (int i = 0; i < 128; ++i)
        block[i] = uchar(0xA0 + i);
    const QList<QByteArray> out = HidFraming::dataReports(block, dataLength, reportLength);
    QCOMPARE(out.size(), reports);

    QByteArray joined;
    for (const QByteArray &report : out) {
        QCOMPARE(report.size(), reportLength + 1);
        QCOMPARE(report.at(0), '\0');
        joined += report.mid(1);
    }
    QCOMPARE(joined.left(dataLength), QByteArray(reinterpret_cast<char *>(block), dataLength));
    QCOMPARE(joined.mid(dataLength), QByteArray(joined.size() - dataLength, '\0'));
}

void TestFraming::shortBlockIsZeroPadded()
{
    const uchar eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const QList<QByteArray> out = HidFraming::dataReports(eight, 8, 32);
    QCOMPARE(out.size(), 1);
    QCOMPARE(out.first(), QByteArray::fromHex("000102030405060708") + QByteArray(24, '\0'));
}

QTEST_GUILESS_MAIN(TestFraming)
#include "tst_framing.moc"
