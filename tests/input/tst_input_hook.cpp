#include "hook_recorder.h"
#include "input_hook.h"
#include "input_source_x11.h"
#include "raw_event.h"

#include <QCursor>
#include <QGuiApplication>
#include <QtTest>

#include <xcb/xinput.h>

#include <memory>

namespace {

constexpr uint kScanA = 0x1E;
constexpr uint kScanB = 0x30;
constexpr uint kScanC = 0x2E;
constexpr uint kScanF5 = 0x3F;
constexpr uint kScanBackslash = 0x2B;
constexpr uint kScanWindows = 0x5C;
constexpr uint kScanEnter = 0x1C;
constexpr uint8_t kOpcode = 131;  // any extension opcode will do

bool dispatch(const xcb_input_raw_key_press_event_t &event)
{
    return X11InputSource::dispatch(reinterpret_cast<const xcb_generic_event_t *>(&event), kOpcode);
}

}  // namespace

class TestInputHook : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void heldKeyReportsOnePressAndOneRelease();
    void releaseNeverSeenPressedReportsNothing();
    void stateIsRecordedWithoutCallback();
    void stateOutlivesTheHookObject();
    void untranslatedKeysReportNothing();
    void isoBackslash_data();
    void isoBackslash();
    void callbackChangeTakesTheNextEvent();
    void destroyedHookIsNotReached();
    void mousePressesAreNotDeduplicated();
    void doubleClickMessageIsIgnored();
    void rawKeyEvents_data();
    void rawKeyEvents();
    void rawButtonEvents_data();
    void rawButtonEvents();
    void foreignEventsAreNotDispatched_data();
    void foreignEventsAreNotDispatched();

private:
    std::unique_ptr<InputHook> m_hook;
    HookRecorder m_recorder;
};

void TestInputHook::init()
{
    m_hook = std::make_unique<InputHook>(false);
    m_recorder.clear();
    m_recorder.attach(*m_hook);
}

void TestInputHook::cleanup()
{
    m_hook.reset();
}

void TestInputHook::heldKeyReportsOnePressAndOneRelease()
{
    QCOMPARE(InputHook::keyDownState()[0x04], uchar(0));
    for (int i = 0; i < 20; ++i)
        InputHook::keyboardProcedure(kScanA, false, false, true);
    QCOMPARE(InputHook::keyDownState()[0x04], uchar(1));
    InputHook::keyboardProcedure(kScanA, false, false, false);
    InputHook::keyboardProcedure(kScanA, false, false, false);
    QCOMPARE(m_recorder.keys, (QList<Reported> {key(0x04, 1), key(0x04, 0)}));
    QCOMPARE(InputHook::keyDownState()[0x04], uchar(0));
}

void TestInputHook::releaseNeverSeenPressedReportsNothing()
{
    QCOMPARE(InputHook::keyDownState()[0x3E], uchar(0));
    QCOMPARE(InputHook::keyboardProcedure(kScanF5, false, false, false), uchar(0));
    QVERIFY(m_recorder.keys.isEmpty());
    QCOMPARE(InputHook::keyboardProcedure(kScanF5, false, false, true), uchar(0x3E));
    QCOMPARE(InputHook::keyboardProcedure(kScanF5, false, false, false), uchar(0x3E));
    QCOMPARE(m_recorder.keys, (QList<Reported> {key(0x3E, 1), key(0x3E, 0)}));
}

void TestInputHook::stateIsRecordedWithoutCallback()
{
    m_hook->setKeyboardCallback(nullptr, nullptr);
    InputHook::keyboardProcedure(kScanB, false, false, true);
    QCOMPARE(InputHook::keyDownState()[0x05], uchar(1));
    m_recorder.attach(*m_hook);
    // Still held: the press does not repeat, the release is reported.
    InputHook::keyboardProcedure(kScanB, false, false, true);
    InputHook::keyboardProcedure(kScanB, false, false, false);
    QCOMPARE(m_recorder.keys, (QList<Reported> {key(0x05, 0)}));
}

void TestInputHook::stateOutlivesTheHookObject()
{
    InputHook::keyboardProcedure(kScanC, false, false, true);
    m_hook.reset();
    init();
    InputHook::keyboardProcedure(kScanC, false, false, true);
    InputHook::keyboardProcedure(kScanC, false, false, false);
    QCOMPARE(m_recorder.keys, (QList<Reported> {key(0x06, 0)}));
}

void TestInputHook::untranslatedKeysReportNothing()
{
    const QByteArray before(reinterpret_cast<const char *>(InputHook::keyDownState()), 256);
    QCOMPARE(InputHook::keyboardProcedure(kScanWindows, true, false, true), uchar(0));
    QCOMPARE(InputHook::keyboardProcedure(0x36, false, false, true), uchar(0));
    QCOMPARE(InputHook::keyboardProcedure(0x64, false, false, true), uchar(0));
    QCOMPARE(InputHook::keyboardProcedure(0x1E + 0x100, false, false, true), uchar(0));
    QVERIFY(m_recorder.keys.isEmpty());
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(InputHook::keyDownState()), 256), before);
}

void TestInputHook::isoBackslash_data()
{
    QTest::addColumn<bool>("iso");
    QTest::addColumn<int>("usb");

    QTest::newRow("ANSI") << false << 0x31;
    QTest::newRow("ISO") << true << 0x32;
}

void TestInputHook::isoBackslash()
{
    QFETCH(bool, iso);
    QFETCH(int, usb);

    m_hook = std::make_unique<InputHook>(iso);
    m_recorder.attach(*m_hook);
    QCOMPARE(m_hook->isoBackslash(), iso);
    InputHook::keyboardProcedure(kScanBackslash, false, false, true);
    InputHook::keyboardProcedure(kScanBackslash, false, false, false);
    QCOMPARE(m_recorder.keys, (QList<Reported> {key(usb, 1), key(usb, 0)}));
}

void TestInputHook::callbackChangeTakesTheNextEvent()
{
    HookRecorder other;
    InputHook::keyboardProcedure(kScanEnter, false, false, true);
    other.attach(*m_hook);
    InputHook::keyboardProcedure(kScanEnter, false, false, false);
    InputHook::mouseProcedure(0x201, 1, 2);
    QCOMPARE(m_recorder.keys, (QList<Reported> {key(0x28, 1)}));
    QCOMPARE(other.keys, (QList<Reported> {key(0x28, 0)}));
    QCOMPARE(other.buttons, (QList<Reported> {{0xF0, 1, 1, 2}}));
    QVERIFY(m_recorder.buttons.isEmpty());
}

void TestInputHook::destroyedHookIsNotReached()
{
    m_hook.reset();
    QCOMPARE(InputHook::current(), nullptr);
    const QByteArray before(reinterpret_cast<const char *>(InputHook::keyDownState()), 256);
    QCOMPARE(InputHook::keyboardProcedure(kScanA, false, false, true), uchar(0));
    QCOMPARE(InputHook::mouseProcedure(0x201, 0, 0), uchar(0));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(InputHook::keyDownState()), 256), before);
    QVERIFY(m_recorder.keys.isEmpty());
    QVERIFY(m_recorder.buttons.isEmpty());
}

void TestInputHook::mousePressesAreNotDeduplicated()
{
    InputHook::mouseProcedure(0x204, -1200, 30);
    InputHook::mouseProcedure(0x204, -1199, 31);
    InputHook::mouseProcedure(0x205, 5, 6);
    InputHook::mouseProcedure(0x205, 5, 6);
    InputHook::mouseProcedure(0x200, 7, 8);  // a move
    InputHook::mouseProcedure(0x207, 9, 10);
    QCOMPARE(m_recorder.buttons,
        (QList<Reported> {{0xF1, 1, -1200, 30}, {0xF1, 1, -1199, 31}, {0xF1, 0, 5, 6},
            {0xF1, 0, 5, 6}, {0xF2, 1, 9, 10}}));
}

void TestInputHook::doubleClickMessageIsIgnored()
{
    for (uint message : {0x201u, 0x202u, 0x201u, 0x203u, 0x202u, 0x206u})
        InputHook::mouseProcedure(message, 40, 50);
    QCOMPARE(m_recorder.buttons,
        (QList<Reported> {
            {0xF0, 1, 40, 50}, {0xF0, 0, 40, 50}, {0xF0, 1, 40, 50}, {0xF0, 0, 40, 50}}));
}

void TestInputHook::rawKeyEvents_data()
{
    QTest::addColumn<uint>("keycode");
    QTest::addColumn<int>("usb");

    // X keycodes: the Linux input code + 8.
    QTest::newRow("A") << 38u << 0x04;
    QTest::newRow("Keypad Enter") << 104u << 0x58;
    QTest::newRow("Right Ctrl") << 105u << 0xE4;
    QTest::newRow("Right Windows") << 134u << 0;
    QTest::newRow("keycode 5") << 5u << 0;
    QTest::newRow("keycode 70000") << 70000u << 0;
}

void TestInputHook::rawKeyEvents()
{
    QFETCH(uint, keycode);
    QFETCH(int, usb);

    QVERIFY(dispatch(rawEvent(XCB_INPUT_RAW_KEY_PRESS, keycode, kOpcode)));
    QVERIFY(dispatch(rawEvent(XCB_INPUT_RAW_KEY_PRESS, keycode, kOpcode)));
    QVERIFY(dispatch(rawEvent(XCB_INPUT_RAW_KEY_RELEASE, keycode, kOpcode)));
    const QList<Reported> expected =
        usb ? QList<Reported> {key(usb, 1), key(usb, 0)} : QList<Reported> {};
    QCOMPARE(m_recorder.keys, expected);
}

void TestInputHook::rawButtonEvents_data()
{
    QTest::addColumn<uint>("button");
    QTest::addColumn<int>("code");

    QTest::newRow("left") << 1u << 0xF0;
    QTest::newRow("middle") << 2u << 0xF2;
    QTest::newRow("right") << 3u << 0xF1;
    QTest::newRow("wheel up") << 4u << 0;
    QTest::newRow("back") << 8u << 0;
}

void TestInputHook::rawButtonEvents()
{
    QFETCH(uint, button);
    QFETCH(int, code);

    QCursor::setPos(321, 123);
    const QPoint pos = QCursor::pos();
    QVERIFY(dispatch(rawEvent(XCB_INPUT_RAW_BUTTON_PRESS, button, kOpcode)));
    QVERIFY(dispatch(rawEvent(XCB_INPUT_RAW_BUTTON_RELEASE, button, kOpcode)));
    const QList<Reported> expected = code
        ? QList<Reported> {{code, 1, pos.x(), pos.y()}, {code, 0, pos.x(), pos.y()}}
        : QList<Reported> {};
    QCOMPARE(m_recorder.buttons, expected);
}

void TestInputHook::foreignEventsAreNotDispatched_data()
{
    QTest::addColumn<int>("responseType");
    QTest::addColumn<int>("opcode");
    QTest::addColumn<int>("eventType");

    QTest::newRow("core KeyPress")
        << int(XCB_KEY_PRESS) << int(kOpcode) << int(XCB_INPUT_RAW_KEY_PRESS);
    QTest::newRow("other extension")
        << int(XCB_GE_GENERIC) << int(kOpcode + 1) << int(XCB_INPUT_RAW_KEY_PRESS);
    QTest::newRow("XI_KeyPress") << int(XCB_GE_GENERIC) << int(kOpcode) << int(XCB_INPUT_KEY_PRESS);
    QTest::newRow("XI_RawMotion") << int(XCB_GE_GENERIC) << int(kOpcode)
                                  << int(XCB_INPUT_RAW_MOTION);
}

void TestInputHook::foreignEventsAreNotDispatched()
{
    QFETCH(int, responseType);
    QFETCH(int, opcode);
    QFETCH(int, eventType);

    xcb_input_raw_key_press_event_t event = rawEvent(uint16_t(eventType), 38, uint8_t(opcode));
    event.response_type = uint8_t(responseType);
    QVERIFY(!dispatch(event));
    event.detail = 1;
    QVERIFY(!dispatch(event));
    QVERIFY(m_recorder.keys.isEmpty());
    QVERIFY(m_recorder.buttons.isEmpty());
}

QTEST_MAIN(TestInputHook)
#include "tst_input_hook.moc"
