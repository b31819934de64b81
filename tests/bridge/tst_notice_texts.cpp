// The texts of the DPI-switch notices follow the language section "other" the scene reads.

#include "../store/store_fixture.h"
#include "dialog_texts.h"
#include "notification_texts.h"

#include <QRegularExpression>
#include <QtTest>

class TestNoticeTexts : public QObject
{
    Q_OBJECT

    std::unique_ptr<StoreDir> m_dir;

    static void writeLanguage(const QString &code, const QByteArray &content)
    {
        writeFile(QStringLiteral("modules/i18n/") + code + QStringLiteral(".ini"), content);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<StoreDir>(QStringList {"i18n"});
        NotificationTexts::reset();
    }
    void cleanup()
    {
        m_dir.reset();
        NotificationTexts::reset();
    }

    void otherReplacesNotificationTexts_data()
    {
        QTest::addColumn<int>("strings");
        QTest::newRow("ten") << 10;
        QTest::newRow("eight") << 8;
        QTest::newRow("three") << 3;
        QTest::newRow("none") << 0;
    }
    void otherReplacesNotificationTexts()
    {
        QFETCH(int, strings);
        QByteArray content = "[other]\ntotal=" + QByteArray::number(strings) + "\n";
        for (int i = 0; i < strings; ++i)
            content += QByteArray::number(i) + "=Stufe " + QByteArray::number(i + 1) + "\n";
        writeLanguage(QStringLiteral("de"), content);
        QCOMPARE(sceneLangStrings(QStringLiteral("other"), QStringLiteral("de")).size(), strings);
        for (int stage = 1; stage <= 8; ++stage) {
            const QString expected = stage <= strings ? QStringLiteral("Stufe %1").arg(stage)
                                                      : QStringLiteral("DPI Switch to");
            QCOMPARE(NotificationTexts::forStage(stage), expected);
        }
    }

    // Other sections and a refused language code leave the texts as they were.
    void otherReadsKeepTexts()
    {
        writeLanguage(QStringLiteral("English"), "[other]\ntotal=1\n0=x\n[main]\ntotal=1\n0=y\n");
        QCOMPARE(
            sceneLangStrings(QStringLiteral("main"), QStringLiteral("English")), QStringList {"y"});
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("is not a file name"));
        QVERIFY(
            sceneLangStrings(QStringLiteral("other"), QStringLiteral("../i18n/English")).isEmpty());
        QCOMPARE(NotificationTexts::forStage(1), QStringLiteral("DPI Switch to"));
    }
};

QTEST_GUILESS_MAIN(TestNoticeTexts)
#include "tst_notice_texts.moc"
