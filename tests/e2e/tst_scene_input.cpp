// Keys typed and buttons clicked anywhere on the X desktop reach the scene as USB key codes,
// while the program's window is hidden and a window of another program has the focus: the
// whole path from the raw X event through the hook module and the host window into the scene.

#include "input_hook.h"
#include "myqquickview.h"
#include "runtime_dir.h"
#include "sim_device.h"
#include "widget.h"
#include "xtest_input.h"

#include <QQuickItem>
#include <QSignalSpy>
#include <QWindow>
#include <QtTest>

#include <memory>

namespace {

// X keycodes: the Linux input code + 8.
constexpr uint8_t kKeyA = 38;
constexpr uint8_t kKeyRightCtrl = 105;
constexpr uint8_t kKeyKeypadEnter = 104;
constexpr uint8_t kKeyPrintScreen = 107;

}  // namespace

class TestSceneInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void keysReachTheScene();
    void buttonsReachTheScene();

private:
    QList<QVariantList> waitFor(QSignalSpy &spy, int count);

    std::unique_ptr<RuntimeDir> dir;
    std::unique_ptr<Widget> window;
    std::unique_ptr<InputHook> hooks;
    QWindow otherProgram;
    XTestInput xtest;
};

void TestSceneInput::initTestCase()
{
    QVERIFY(xtest.open());
    dir = std::make_unique<RuntimeDir>();
    sim::reset();
    sim::plug(sim::referenceMouse(sim::Family::F553));
    window = std::make_unique<Widget>();
    hooks = std::make_unique<InputHook>(false);
    QCOMPARE(hooks->mode(), InputHook::Mode::Global);
    hooks->setKeyboardCallback(&Widget::onKeyboardHook, window.get());
    hooks->setMouseCallback(&Widget::onMouseHook, window.get());
    window->showNormal();
    window->checkDevice();
    QVERIFY(window->isDeviceConnected());
    window->setVisible(false);

    otherProgram.resize(200, 150);
    otherProgram.show();
    otherProgram.requestActivate();
    QVERIFY(QTest::qWaitForWindowActive(&otherProgram));
}

void TestSceneInput::cleanupTestCase()
{
    hooks.reset();
    window.reset();
    dir.reset();
    sim::reset();
}

// The calls the scene received once count have arrived (or after three seconds).
QList<QVariantList> TestSceneInput::waitFor(QSignalSpy &spy, int count)
{
    xtest.sync();
    QElapsedTimer clock;
    clock.start();
    while (spy.size() < count && clock.elapsed() < 3000)
        QTest::qWait(20);
    QTest::qWait(100);  // nothing more may follow
    QList<QVariantList> calls;
    for (const QVariantList &call : spy)
        calls.append(call);
    return calls;
}

void TestSceneInput::keysReachTheScene()
{
    QSignalSpy keys(window->view()->rootObject(), SIGNAL(msg_KB(bool, int)));
    for (uint8_t key : {kKeyA, kKeyRightCtrl, kKeyKeypadEnter, kKeyPrintScreen}) {
        xtest.key(key, true);
        xtest.key(key, false);
    }
    const QList<QVariantList> calls = waitFor(keys, 8);
    const QList<QVariantList> expected {
        {true, 0x04},
        {false, 0x04},
        {true, 0xE4},
        {false, 0xE4},
        {true, 0x58},
        {false, 0x58},
        {true, 0x46},
        {false, 0x46},
    };
    QCOMPARE(calls, expected);
    QVERIFY(!window->isVisible());
    QVERIFY(otherProgram.isActive());
}

void TestSceneInput::buttonsReachTheScene()
{
    QSignalSpy buttons(window->view()->rootObject(), SIGNAL(msg_MS(bool, int, int, int)));
    xtest.moveTo(321, 123);
    xtest.sync();
    for (uint8_t button : {1, 3, 2}) {
        xtest.button(button, true);
        xtest.button(button, false);
    }
    const QList<QVariantList> calls = waitFor(buttons, 6);
    const QList<QVariantList> expected {
        {true, 0xF0, 321, 123},
        {false, 0xF0, 321, 123},
        {true, 0xF1, 321, 123},
        {false, 0xF1, 321, 123},
        {true, 0xF2, 321, 123},
        {false, 0xF2, 321, 123},
    };
    QCOMPARE(calls, expected);
}

QTEST_MAIN(TestSceneInput)
#include "tst_scene_input.moc"
