#include "hook_recorder.h"
#include "input_hook.h"
#include "window_input_filter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QQuickItem>
#include <QQuickWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <QtTest>

#include <memory>

namespace {

// Counts the double-click events the window system layer makes of two quick presses.
class DoubleClickCounter : public QObject
{
public:
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick)
            ++count;
        return false;
    }
};

}  // namespace

class TestWindowInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void windowOnlyMode();
    void keysWithoutScanCode_data();
    void keysWithoutScanCode();
    void keysWithScanCode_data();
    void keysWithScanCode();
    void autoRepeatIsLeftOut();
    void eventsNotFromTheWindowSystemAreIgnored();
    void buttons_data();
    void buttons();
    void doubleClickReportsTwoPressesAndTwoReleases();
    void oneReportThroughWidgetsAndScene();

private:
    void click(Qt::MouseButton button, QPoint pos, int timestamp);

    std::unique_ptr<InputHook> m_hook;
    HookRecorder m_recorder;
    QWindow m_window;
};

void TestWindowInput::initTestCase()
{
    m_window.setGeometry(100, 80, 200, 150);
    m_window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_window));
}

void TestWindowInput::init()
{
    m_hook = std::make_unique<InputHook>(false);
    m_recorder.clear();
    m_recorder.attach(*m_hook);
}

void TestWindowInput::cleanup()
{
    m_hook.reset();
}

void TestWindowInput::windowOnlyMode()
{
    QCOMPARE(m_hook->mode(), InputHook::Mode::WindowOnly);
    QVERIFY(!m_hook->installHooks());  // no desktop-wide capture here
    QVERIFY(!m_hook->installHooks());
    QCOMPARE(m_hook->mode(), InputHook::Mode::WindowOnly);
    QTest::keyClick(&m_window, Qt::Key_Q);
    QCOMPARE(m_recorder.keys, (QList<Reported> {key(0x14, 1), key(0x14, 0)}));

    m_hook->removeHooks();
    QCOMPARE(m_hook->mode(), InputHook::Mode::Off);
    QTest::keyClick(&m_window, Qt::Key_Q);
    QTest::mouseClick(&m_window, Qt::LeftButton);
    QCOMPARE(m_recorder.keys.size(), 2);
    QVERIFY(m_recorder.buttons.isEmpty());
}

void TestWindowInput::keysWithoutScanCode_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<bool>("keypad");
    QTest::addColumn<int>("usb");

    QTest::newRow("A") << int(Qt::Key_A) << false << 0x04;
    QTest::newRow("Keypad Enter") << int(Qt::Key_Enter) << true << 0x58;
    QTest::newRow("Volume up") << int(Qt::Key_VolumeUp) << false << 0;
}

void TestWindowInput::keysWithoutScanCode()
{
    QFETCH(int, qtKey);
    QFETCH(bool, keypad);
    QFETCH(int, usb);

    const Qt::KeyboardModifiers modifiers = keypad ? Qt::KeypadModifier : Qt::NoModifier;
    QTest::keyPress(&m_window, Qt::Key(qtKey), modifiers);
    QTest::keyRelease(&m_window, Qt::Key(qtKey), modifiers);
    const QList<Reported> expected =
        usb ? QList<Reported> {key(usb, 1), key(usb, 0)} : QList<Reported> {};
    QCOMPARE(m_recorder.keys, expected);
}

void TestWindowInput::keysWithScanCode_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<quint32>("nativeScanCode");
    QTest::addColumn<int>("usb");

    // The native scan code (the X keycode) tells keys apart that Qt keys do not.
    QTest::newRow("Right Ctrl") << int(Qt::Key_Control) << 105u << 0xE4;
    QTest::newRow("Right Shift") << int(Qt::Key_Shift) << 62u << 0xE5;
    QTest::newRow("Right Windows") << int(Qt::Key_Super_R) << 134u << 0;
    QTest::newRow("AZERTY A on the Q key") << int(Qt::Key_A) << 24u << 0x14;
    QTest::newRow("scan code below 8: Qt key") << int(Qt::Key_A) << 3u << 0x04;
    QTest::newRow("scan code above 255: Qt key") << int(Qt::Key_A) << 300u << 0x04;
}

void TestWindowInput::keysWithScanCode()
{
    QFETCH(int, qtKey);
    QFETCH(quint32, nativeScanCode);
    QFETCH(int, usb);

    const QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, nativeScanCode, 0, 0);
    const QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, nativeScanCode, 0, 0);
    QCOMPARE(int(WindowInputFilter::feedKey(press, true)), usb);
    QCOMPARE(int(WindowInputFilter::feedKey(release, false)), usb);
    const QList<Reported> expected =
        usb ? QList<Reported> {key(usb, 1), key(usb, 0)} : QList<Reported> {};
    QCOMPARE(m_recorder.keys, expected);
}

void TestWindowInput::autoRepeatIsLeftOut()
{
    // A held key arrives as a press, then release and press pairs marked as repeats.
    QTest::keyPress(&m_window, Qt::Key_W);
    for (int i = 0; i < 5; ++i) {
        qt_handleKeyEvent(&m_window, QEvent::KeyRelease, Qt::Key_W, Qt::NoModifier, "w", true);
        qt_handleKeyEvent(&m_window, QEvent::KeyPress, Qt::Key_W, Qt::NoModifier, "w", true);
    }
    QTest::keyRelease(&m_window, Qt::Key_W);
    QCOMPARE(m_recorder.keys, (QList<Reported> {key(0x1A, 1), key(0x1A, 0)}));
}

void TestWindowInput::eventsNotFromTheWindowSystemAreIgnored()
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_E, Qt::NoModifier);
    QCoreApplication::sendEvent(&m_window, &press);
    QMouseEvent mouse(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(101, 81), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&m_window, &mouse);
    QVERIFY(m_recorder.keys.isEmpty());
    QVERIFY(m_recorder.buttons.isEmpty());
}

void TestWindowInput::buttons_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("code");

    QTest::newRow("left") << Qt::LeftButton << 0xF0;
    QTest::newRow("right") << Qt::RightButton << 0xF1;
    QTest::newRow("middle") << Qt::MiddleButton << 0xF2;
    QTest::newRow("back") << Qt::BackButton << 0;
}

void TestWindowInput::buttons()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(int, code);

    const QPoint local(12, 34);
    const QPoint global = m_window.mapToGlobal(local);
    QTest::mousePress(&m_window, button, Qt::NoModifier, local);
    QTest::mouseRelease(&m_window, button, Qt::NoModifier, local);
    const QList<Reported> expected = code
        ? QList<Reported> {{code, 1, global.x(), global.y()}, {code, 0, global.x(), global.y()}}
        : QList<Reported> {};
    QCOMPARE(m_recorder.buttons, expected);
}

void TestWindowInput::click(Qt::MouseButton button, QPoint pos, int timestamp)
{
    const QPoint global = m_window.mapToGlobal(pos);
    qt_handleMouseEvent(&m_window, pos, global, button, button, QEvent::MouseButtonPress,
        Qt::NoModifier, timestamp);
    qt_handleMouseEvent(&m_window, pos, global, Qt::NoButton, button, QEvent::MouseButtonRelease,
        Qt::NoModifier, timestamp + 10);
}

void TestWindowInput::doubleClickReportsTwoPressesAndTwoReleases()
{
    DoubleClickCounter doubleClicks;
    m_window.installEventFilter(&doubleClicks);
    const QPoint pos(50, 60);
    click(Qt::LeftButton, pos, 100000);
    click(Qt::LeftButton, pos, 100030);
    m_window.removeEventFilter(&doubleClicks);
    QCOMPARE(doubleClicks.count, 1);
    const QPoint g = m_window.mapToGlobal(pos);
    QCOMPARE(m_recorder.buttons,
        (QList<Reported> {{0xF0, 1, g.x(), g.y()}, {0xF0, 0, g.x(), g.y()}, {0xF0, 1, g.x(), g.y()},
            {0xF0, 0, g.x(), g.y()}}));
}

void TestWindowInput::oneReportThroughWidgetsAndScene()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString qml = dir.filePath("Scene.qml");
    QFile file(qml);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("import QtQuick\n"
               "Rectangle { width: 160; height: 120; focus: true; color: \"grey\"\n"
               "  property int keys: 0; property int presses: 0\n"
               "  Keys.onPressed: keys++\n"
               "  MouseArea { anchors.fill: parent; onPressed: parent.presses++ }\n"
               "}\n");
    file.close();

    QWidget top;
    auto *layout = new QVBoxLayout(&top);
    auto *scene = new QQuickWidget(QUrl::fromLocalFile(qml), &top);
    scene->setResizeMode(QQuickWidget::SizeRootObjectToView);
    layout->addWidget(scene);
    top.resize(200, 160);
    top.show();
    QVERIFY(QTest::qWaitForWindowExposed(&top));
    QVERIFY(scene->rootObject());
    scene->setFocus();
    QWindow *window = top.windowHandle();
    QVERIFY(window);

    QTest::keyClick(window, Qt::Key_R);
    const QPoint local = scene->mapTo(&top, QPoint(20, 20));
    QTest::mouseClick(window, Qt::RightButton, Qt::NoModifier, local);

    // The scene got them, and each reached the callbacks once.
    QCOMPARE(scene->rootObject()->property("keys").toInt(), 1);
    QCOMPARE(m_recorder.keys, (QList<Reported> {key(0x15, 1), key(0x15, 0)}));
    const QPoint g = window->mapToGlobal(local);
    QCOMPARE(
        m_recorder.buttons, (QList<Reported> {{0xF1, 1, g.x(), g.y()}, {0xF1, 0, g.x(), g.y()}}));
}

QTEST_MAIN(TestWindowInput)
#include "tst_window_input.moc"
