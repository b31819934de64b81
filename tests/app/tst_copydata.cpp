// The length check of the warning request that other programs send with WM_COPYDATA.

#include "copydata.h"

#include <QtTest>

#include <memory>

class TestCopyData : public QObject
{
    Q_OBJECT

private slots:
    void warningText_data();
    void warningText();
    void neverReadsPastTheCount();
};

void TestCopyData::warningText_data()
{
    QTest::addColumn<quintptr>("dwData");
    QTest::addColumn<QByteArray>("buffer");  // what the sender's memory holds
    QTest::addColumn<int>("cbData");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("text");

    QTest::newRow("three letters, count 3")
        << quintptr(9487) << QByteArray("abc", 4) << 3 << true << "abc";
    QTest::newRow("count includes the zero")
        << quintptr(9487) << QByteArray("abc", 4) << 4 << false << "";
    QTest::newRow("other dwData") << quintptr(9488) << QByteArray("abc", 4) << 3 << false << "";
    QTest::newRow("UTF-8 text") << quintptr(9487) << QByteArray("Ärger \xe2\x9c\x93", 11) << 10
                                << true << QString::fromUtf8("Ärger ✓");
    QTest::newRow("count short of the text")
        << quintptr(9487) << QByteArray("abcdef", 7) << 3 << true << "abc";
    QTest::newRow("zero inside the count")
        << quintptr(9487) << QByteArray("ab\0cd", 6) << 5 << false << "";
    QTest::newRow("invalid UTF-8")
        << quintptr(9487) << QByteArray("\xff\xfe", 3) << 2 << false << "";
    QTest::newRow("empty") << quintptr(9487) << QByteArray("", 1) << 0 << true << "";
}

void TestCopyData::warningText()
{
    QFETCH(quintptr, dwData);
    QFETCH(QByteArray, buffer);
    QFETCH(int, cbData);
    QFETCH(bool, shown);
    QFETCH(QString, text);

    const auto result = CopyData::warningText(dwData, buffer.constData(), quint32(cbData));
    QCOMPARE(result.has_value(), shown);
    if (shown)
        QCOMPARE(*result, text);
}

// The text is taken from exactly cbData bytes: the byte after them is never looked at, so a
// sender that leaves out the terminating zero cannot make the window read foreign memory.
void TestCopyData::neverReadsPastTheCount()
{
    // Exactly three bytes on the heap: AddressSanitizer builds catch any read beyond them.
    const std::unique_ptr<char[]> bytes(new char[3] {'x', 'x', 'x'});
    const auto result = CopyData::warningText(9487, bytes.get(), 3);
    QVERIFY(result.has_value());
    QCOMPARE(*result, QStringLiteral("xxx"));
}

QTEST_GUILESS_MAIN(TestCopyData)
#include "tst_copydata.moc"
