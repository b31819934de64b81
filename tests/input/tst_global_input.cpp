#include "hook_recorder.h"
#include "input_hook.h"
#include "xtest_input.h"

#include <QGuiApplication>
#include <QWindow>
#include <QtTest>

#include <memory>

namespace {

// X keycodes (Linux input code + 8).
constexpr uint8_t kKeycodeEsc = 9;
constexpr uint8_t kKeycodeA = 38;
constexpr int kUsbEsc = 0x29;
constexpr QPoint kPointer(321, 123);

// A window of the test, not of the hook's owner; it holds the focus throughout.
class FocusWindow : public QWindow
{
public:
    int keyPresses = 0;

protected:
    void keyPressEvent(QKeyEvent *) override { ++keyPresses; }
};

}  // namespace

class TestGlobalInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void keys_data();
    void keys();
    void heldKeyReportsOnce();
    void buttons_data();
    void buttons();
    void reinstallDoesNotDuplicate();
    void removedHooksReportNothing();

private:
    // Esc typed after the input under test: once its release has arrived, so has everything
    // before it.
    void typeMarkerAndWait();
    QList<Reported> keysBeforeMarker() const;

    XTestInput m_xtest;
    FocusWindow m_window;
    std::unique_ptr<InputHook> m_hook;
    HookRecorder m_recorder;
};

void TestGlobalInput::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QVERIFY(m_xtest.open());
    m_window.setGeometry(600, 400, 200, 120);
    m_window.show();
    m_window.requestActivate();
    QVERIFY(QTest::qWaitForWindowActive(&m_window));
}

void TestGlobalInput::init()
{
    m_hook = std::make_unique<InputHook>(false);
    QCOMPARE(m_hook->mode(), InputHook::Mode::Global);
    m_recorder.clear();
    m_recorder.attach(*m_hook);
}

void TestGlobalInput::cleanup()
{
    m_hook.reset();
}

void TestGlobalInput::typeMarkerAndWait()
{
    m_xtest.key(kKeycodeEsc, true);
    m_xtest.key(kKeycodeEsc, false);
    m_xtest.sync();
    QTRY_VERIFY(!m_recorder.keys.isEmpty() && m_recorder.keys.last() == key(kUsbEsc, 0));
}

QList<Reported> TestGlobalInput::keysBeforeMarker() const
{
    QList<Reported> keys = m_recorder.keys;
    if (keys.size() >= 2 && keys.endsWith(key(kUsbEsc, 0)))
        keys.resize(keys.size() - 2);
    return keys;
}

void TestGlobalInput::keys_data()
{
    QTest::addColumn<int>("keycode");
    QTest::addColumn<int>("usb");

    QTest::newRow("A") << int(kKeycodeA) << 0x04;
    QTest::newRow("Right Ctrl") << 105 << 0xE4;
    QTest::newRow("Keypad Enter") << 104 << 0x58;
    QTest::newRow("Print Screen") << 107 << 0x46;
    QTest::newRow("Right Windows") << 134 << 0;
}

void TestGlobalInput::keys()
{
    QFETCH(int, keycode);
    QFETCH(int, usb);

    const int presses = m_window.keyPresses;
    m_xtest.key(uint8_t(keycode), true);
    m_xtest.key(uint8_t(keycode), false);
    typeMarkerAndWait();
    const QList<Reported> expected =
        usb ? QList<Reported> {key(usb, 1), key(usb, 0)} : QList<Reported> {};
    QCOMPARE(keysBeforeMarker(), expected);
    // The keys still reach the window that has the focus.
    QTRY_VERIFY(m_window.keyPresses >= presses + 2);
    QVERIFY(m_window.isActive());
}

void TestGlobalInput::heldKeyReportsOnce()
{
    for (int i = 0; i < 4; ++i)
        m_xtest.key(kKeycodeA, true);
    m_xtest.key(kKeycodeA, false);
    typeMarkerAndWait();
    QCOMPARE(keysBeforeMarker(), (QList<Reported> {key(0x04, 1), key(0x04, 0)}));
}

void TestGlobalInput::buttons_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("code");

    QTest::newRow("left") << 1 << 0xF0;
    QTest::newRow("middle") << 2 << 0xF2;
    QTest::newRow("right") << 3 << 0xF1;
    QTest::newRow("wheel up") << 4 << 0;
    QTest::newRow("wheel down") << 5 << 0;
    QTest::newRow("back") << 8 << 0;
}

void TestGlobalInput::buttons()
{
    QFETCH(int, button);
    QFETCH(int, code);

    m_xtest.moveTo(kPointer.x(), kPointer.y());
    m_xtest.button(uint8_t(button), true);
    m_xtest.button(uint8_t(button), false);
    typeMarkerAndWait();
    const QList<Reported> expected = code ? QList<Reported> {{code, 1, kPointer.x(), kPointer.y()},
                                         {code, 0, kPointer.x(), kPointer.y()}}
                                          : QList<Reported> {};
    QCOMPARE(m_recorder.buttons, expected);
}

void TestGlobalInput::reinstallDoesNotDuplicate()
{
    QVERIFY(m_hook->installHooks());
    QVERIFY(m_hook->installHooks());
    m_xtest.key(kKeycodeA, true);
    m_xtest.key(kKeycodeA, false);
    m_xtest.moveTo(kPointer.x(), kPointer.y());
    m_xtest.button(1, true);
    m_xtest.button(1, false);
    typeMarkerAndWait();
    QCOMPARE(keysBeforeMarker(), (QList<Reported> {key(0x04, 1), key(0x04, 0)}));
    QCOMPARE(m_recorder.buttons.size(), 2);
}

void TestGlobalInput::removedHooksReportNothing()
{
    m_hook->removeHooks();
    QCOMPARE(m_hook->mode(), InputHook::Mode::Off);
    m_xtest.key(kKeycodeA, true);
    m_xtest.key(kKeycodeA, false);
    m_xtest.button(3, true);
    m_xtest.button(3, false);
    m_xtest.sync();
    QTest::qWait(50);
    QVERIFY(m_hook->installHooks());
    typeMarkerAndWait();
    QCOMPARE(keysBeforeMarker(), QList<Reported> {});
    QVERIFY(m_recorder.buttons.isEmpty());
}

QTEST_MAIN(TestGlobalInput)
#include "tst_global_input.moc"
