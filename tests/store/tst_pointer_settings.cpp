// gio first: it uses the name "signals", which Qt defines as a keyword.
#include <gio/gio.h>

#include "pointer_settings.h"

#include "store_fixture.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <QtTest>

using namespace PointerSettings;

namespace {

const char *const kMouse = "org.gnome.desktop.peripherals.mouse";

GSettings *mouseSettings()
{
    GSettingsSchemaSource *source = g_settings_schema_source_get_default();
    GSettingsSchema *schema =
        source ? g_settings_schema_source_lookup(source, kMouse, TRUE) : nullptr;
    if (!schema)
        return nullptr;
    g_settings_schema_unref(schema);
    return g_settings_new(kMouse);
}

}  // namespace

class TestPointerSettings : public QObject
{
    Q_OBJECT

    GSettings *m_mouse = nullptr;

private slots:
    void initTestCase()
    {
        QCOMPARE(qgetenv("GSETTINGS_BACKEND"), QByteArray("memory"));
        m_mouse = mouseSettings();
    }
    void cleanupTestCase()
    {
        if (m_mouse)
            g_object_unref(m_mouse);
    }

    void sliderStep_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<uint>("step");
        const QList<QPair<int, uint>> rows {{3, 0}, {4, 1}, {36, 1}, {37, 2}, {103, 3}, {104, 4},
            {171, 5}, {172, 6}, {304, 9}, {305, 10}, {337, 10}, {-20, 0}, {900, 10}};
        for (const auto &[position, step] : rows)
            QTest::addRow("%d", position) << position << step;
    }
    void sliderStep()
    {
        QFETCH(int, position);
        QFETCH(uint, step);
        QCOMPARE(PointerSettings::sliderStep(position), step);
    }

    void scrollLines_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<uint>("lines");
        QTest::newRow("one") << 1 << 1u;
        QTest::newRow("hundred") << 100 << 100u;
        QTest::newRow("above hundred: one screen") << 101 << 1000u;
        QTest::newRow("one screen") << 1000 << 1000u;
        QTest::newRow("zero") << 0 << 1u;
    }
    void scrollLines()
    {
        QFETCH(int, rate);
        QFETCH(uint, lines);
        QCOMPARE(scrollLinesForRate(rate), lines);
    }

    void cursorSpeed_data()
    {
        QTest::addColumn<uint>("step");
        QTest::addColumn<double>("speed");
        QTest::newRow("slowest") << 0u << -1.0;
        QTest::newRow("desktop default") << 5u << 0.0;
        QTest::newRow("step 7") << 7u << 0.4;
        QTest::newRow("fastest") << 10u << 1.0;
    }
    void cursorSpeed()
    {
        QFETCH(uint, step);
        QFETCH(double, speed);
        if (!m_mouse)
            QSKIP("the GNOME mouse schema is not installed");
        g_settings_set_double(m_mouse, "speed", 0.5);
        QVERIFY(mouseSetCursorSpeed(step));
        QCOMPARE(g_settings_get_double(m_mouse, "speed"), speed);
    }

    void doubleClick_data()
    {
        QTest::addColumn<uint>("step");
        QTest::addColumn<int>("ms");
        QTest::newRow("slowest") << 0u << 900;
        QTest::newRow("step 4") << 4u << 620;
        QTest::newRow("fastest") << 10u << 200;
    }
    void doubleClick()
    {
        QFETCH(uint, step);
        QFETCH(int, ms);
        if (!m_mouse)
            QSKIP("the GNOME mouse schema is not installed");
        g_settings_set_int(m_mouse, "double-click", 400);
        QVERIFY(mouseSetDoubleClickSpeed(step));
        QCOMPARE(g_settings_get_int(m_mouse, "double-click"), ms);
    }

    void stepAboveTenFails()
    {
        if (!m_mouse)
            QSKIP("the GNOME mouse schema is not installed");
        g_settings_set_double(m_mouse, "speed", 0.2);
        g_settings_set_int(m_mouse, "double-click", 400);
        QTest::ignoreMessage(QtDebugMsg, "setCursorSpeed Failed");
        QVERIFY(!mouseSetCursorSpeed(11));
        QTest::ignoreMessage(QtDebugMsg, "setDoubleClickSpeed Failed");
        QVERIFY(!mouseSetDoubleClickSpeed(13));
        QCOMPARE(g_settings_get_double(m_mouse, "speed"), 0.2);
        QCOMPARE(g_settings_get_int(m_mouse, "double-click"), 400);
    }

    void refusedWrites()
    {
        QVERIFY(!writeGSettingsDouble("org.example.no-such-schema", "speed", 0.0));
        QVERIFY(!writeGSettingsDouble(kMouse, "no-such-key", 0.0));
        QVERIFY(!writeGSettingsDouble(kMouse, "speed", 1.5));  // outside −1 … 1
        QVERIFY(!writeGSettingsInt(kMouse, "speed", 1));       // wrong type
        QVERIFY(!writeGSettingsDouble(kMouse, "double-click", 400.0));
    }

    void kdeglobalsEdit_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("no file") << QByteArray() << QByteArray("[KDE]\nWheelScrollLines=7\n");
        QTest::newRow("no KDE group")
            << QByteArray("[Colors:Button]\nBackgroundNormal=49,54,59\n")
            << QByteArray(
                   "[Colors:Button]\nBackgroundNormal=49,54,59\n\n[KDE]\nWheelScrollLines=7\n");
        QTest::newRow("no final newline")
            << QByteArray("[General]\nXftDPI[$e]=96")
            << QByteArray("[General]\nXftDPI[$e]=96\n\n[KDE]\nWheelScrollLines=7\n");
        QTest::newRow("group without the key")
            << QByteArray("[KDE]\nSingleClick=false\n[General]\nWheelScrollLines=2\n")
            << QByteArray(
                   "[KDE]\nWheelScrollLines=7\nSingleClick=false\n[General]\nWheelScrollLines=2\n");
        QTest::newRow("key present")
            << QByteArray(
                   "; kept\n[KDE]\nLookAndFeelPackage=org.kde.breeze.desktop\nWheelScrollLines = "
                   "3\n[$Version]\nupdate_info=a\n")
            << QByteArray("; "
                          "kept\n[KDE]\nLookAndFeelPackage=org.kde.breeze."
                          "desktop\nWheelScrollLines=7\n[$Version]\nupdate_info=a\n");
    }
    void kdeglobalsEdit()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QCOMPARE(withWheelScrollLines(before, 7), after);
    }

    void scrollLinesOnKde()
    {
        QTemporaryDir config;
        const QString path = config.filePath(QStringLiteral("kdeglobals"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Colors:View]\nForegroundNormal=252,252,252\n[KDE]\nWheelScrollLines=3\n");
        file.close();
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        qputenv("XDG_CURRENT_DESKTOP", "KDE");
        QVERIFY(mouseSetVerticalScrollLines(scrollLinesForRate(250)));
        QCOMPARE(readFile(path),
            QByteArray(
                "[Colors:View]\nForegroundNormal=252,252,252\n[KDE]\nWheelScrollLines=1000\n"));

        QTest::ignoreMessage(QtDebugMsg, "setVerticalScrollLines Failed");
        QVERIFY(!mouseSetVerticalScrollLines(0));
        QCOMPARE(readFile(path).right(22), QByteArray("WheelScrollLines=1000\n"));
    }

    void scrollLinesElsewhereFail()
    {
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
        QTest::ignoreMessage(QtDebugMsg, "setVerticalScrollLines Failed");
        QVERIFY(!mouseSetVerticalScrollLines(3));
        QVERIFY(QDir(config.path()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPointerSettings)
#include "tst_pointer_settings.moc"
