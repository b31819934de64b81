// A click and a key press that reach the program while a command waits in its pauses are
// handled as soon as the command is done, neither in the middle of it nor later: under a real X
// server, with synthetic input from the X server's own test devices.

#include "held_input.h"
#include "save_reports.h"
#include "scene_rig.h"
#include "xtest_input.h"

#include <QWindow>
#include <QtTest>

#include <chrono>
#include <vector>

using namespace simtest;
using Clock = std::chrono::steady_clock;

namespace {

constexpr uint8_t kKeyA = 38;  // X keycode: the Linux input code + 8

// A click at point and the key A, as the X server's test devices make them.
void clickAndType(XTestInput &xtest, const QPoint &point)
{
    xtest.moveTo(point.x(), point.y());
    xtest.button(1, true);
    xtest.button(1, false);
    xtest.key(kKeyA, true);
    xtest.key(kKeyA, false);
    xtest.sync();
}

// Notes when the window system hands a click or a key press to one of the program's windows.
class InputLog : public QObject
{
public:
    std::vector<std::pair<QEvent::Type, Clock::time_point>> seen;

protected:
    bool eventFilter(QObject *receiver, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (receiver->isWindowType() && event->spontaneous()
            && (type == QEvent::MouseButtonPress || type == QEvent::KeyPress))
            seen.emplace_back(type, Clock::now());
        return false;
    }
};

}  // namespace

class TestInputDuringPauses : public QObject
{
    Q_OBJECT

private slots:
    void inputWaitsForTheCommand();
    void heldInputIsReleased();
};

void TestInputDuringPauses::inputWaitsForTheCommand()
{
    XTestInput xtest;
    QVERIFY(xtest.open());
    SceneRig rig;
    QVERIFY(rig.start());
    rig.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
    const QPoint inside = rig.window->mapToGlobal(QPoint(300, 300));

    InputLog input;
    qApp->installEventFilter(&input);
    Clock::time_point sent {};
    QTimer poll;  // the input goes out once the command report is on the wire
    poll.setTimerType(Qt::PreciseTimer);
    connect(&poll, &QTimer::timeout, this, [&] {
        if (sent != Clock::time_point {} || records(sim::Direction::FeatureOut).empty())
            return;
        clickAndType(xtest, inside);
        sent = Clock::now();
    });
    sim::clearWireLog();
    poll.start(1);
    const Clock::time_point start = Clock::now();
    // One key matrix: 128 ms of settle, two data reports 120 ms apart, 120 ms and 128 ms more.
    rig.scene->evaluate(QStringLiteral("ui_View.mouseSetKeyMatrix(%1, true, [0, 0, 0])")
                            .arg(jsList(QVariantList(64, 0))));
    const Clock::time_point end = Clock::now();
    poll.stop();
    QTRY_COMPARE_WITH_TIMEOUT(int(input.seen.size()), 2, 1000);  // not left for a later event
    qApp->removeEventFilter(&input);

    QCOMPARE(int(records(sim::Direction::InterruptOut).size()), 2);
    QVERIFY2(msBetween(start, sent) < msBetween(start, end) - 200,
        "the input went out early in the command");
    QCOMPARE(input.seen[0].first, QEvent::MouseButtonPress);
    QCOMPARE(input.seen[1].first, QEvent::KeyPress);
    for (const auto &event : input.seen)
        QVERIFY2(event.second >= end,
            qPrintable(QStringLiteral("handled %1 ms before the command ended")
                           .arg(msBetween(event.second, end))));
}

// Input held back by a wait that excludes user input is handed on at the next turn of the event
// loop once it is released, without any further event from the X server.
void TestInputDuringPauses::heldInputIsReleased()
{
    XTestInput xtest;
    QVERIFY(xtest.open());
    QWidget window;
    window.resize(400, 300);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const QPoint inside = window.mapToGlobal(QPoint(100, 100));
    QTest::qWait(200);

    InputLog input;
    qApp->installEventFilter(&input);
    QTimer::singleShot(40, this, [&] { clickAndType(xtest, inside); });
    QElapsedTimer clock;
    clock.start();
    QTimer wake;
    wake.setSingleShot(true);
    while (clock.elapsed() < 300) {
        if (!wake.isActive())
            wake.start(int(300 - clock.elapsed()));
        QCoreApplication::processEvents(
            QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
    }
    QVERIFY(input.seen.empty());
    HeldInput::release(window.windowHandle());
    QTRY_COMPARE_WITH_TIMEOUT(int(input.seen.size()), 2, 1000);
    qApp->removeEventFilter(&input);
    QCOMPARE(input.seen[0].first, QEvent::MouseButtonPress);
    QCOMPARE(input.seen[1].first, QEvent::KeyPress);
}

QTEST_MAIN(TestInputDuringPauses)
#include "tst_input_during_pauses.moc"
