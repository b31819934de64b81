// The window set-up, the bridge's calls into the scene and the scene's calls into the
// bridge, with the real scene and a simulated mouse behind it.

#include "device_rig.h"
#include "diagnostics.h"
#include "hid_thread.h"
#include "myqquickview.h"
#include "real_time.h"
#include "runtime_dir.h"
#include "ui_controler.h"

#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlExpression>
#include <QQuickItem>
#include <QSignalSpy>
#include <QWidget>
#include <QtTest>

#include <memory>
#include <thread>

using namespace simtest;

class TestWindowControl : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void contextPropertiesComeAfterLoading();
    void windowProperties();
    void existingObjectNameIsKept();
    void dragMovesTheWindow();
    void closeHidesMinimiseMinimises();
    void busyLockAndUnlock();
    void keyCodesReachTheSceneMasked();
    void currentDpiFromAnotherThread();
    void sceneCallsReachTheDevice();
    void slotTable();
    void sceneReachesEveryUnit();
    void emptyValuesFromTheScene_data();
    void emptyValuesFromTheScene();
    void clearHidBusyLeavesACommandAlone();
    void focusComesBackToTheScene();

private:
    void build(const QUrl &scene = Ui_Controler::kSceneUrl);
    QVariant evaluate(const QString &expression);

    std::unique_ptr<RuntimeDir> dir;
    std::unique_ptr<QWidget> host;
    std::unique_ptr<Hid_Thread> hid;
    Ui_Controler *controler = nullptr;
};

void TestWindowControl::init()
{
    sim::reset();
    dir = std::make_unique<RuntimeDir>();
    hid = std::make_unique<Hid_Thread>();
}

void TestWindowControl::cleanup()
{
    host.reset();
    delete controler;
    controler = nullptr;
    hid.reset();
    dir.reset();
    sim::reset();
}

void TestWindowControl::build(const QUrl &scene)
{
    host = std::make_unique<QWidget>();
    controler = new Ui_Controler;
    controler->setup(host.get(), hid.get(), scene);
    controler->view()->setHidThread(hid.get());
}

QVariant TestWindowControl::evaluate(const QString &expression)
{
    // In the scene's own context, where its ids are known.
    QObject *root = controler->view()->rootObject();
    QQmlExpression e(qmlContext(root), root, expression);
    const QVariant result = e.evaluate();
    if (e.hasError())
        qWarning() << e.error().toString();
    return result;
}

void TestWindowControl::contextPropertiesComeAfterLoading()
{
    build(QUrl::fromLocalFile(QStringLiteral(STRYLA_SOURCE_DIR "/tests/app/load_probe.qml")));
    QObject *root = controler->view()->rootObject();
    QVERIFY(root);
    QCOMPARE(root->property("bridgeAtLoad").toString(), QStringLiteral("undefined"));
    QCOMPARE(root->property("controlAtLoad").toString(), QStringLiteral("undefined"));
    QCOMPARE(root->property("hidAtLoad").toString(), QStringLiteral("undefined"));
    QCOMPARE(evaluate("typeof ui_View").toString(), QStringLiteral("object"));
    QCOMPARE(evaluate("typeof hid").toString(), QStringLiteral("object"));
    QCOMPARE(evaluate("typeof ui_Ctl").toString(), QStringLiteral("object"));
}

void TestWindowControl::windowProperties()
{
    build();
    QCOMPARE(host->objectName(), QStringLiteral("Widget"));
    QCOMPARE(controler->view()->objectName(), QStringLiteral("ui_View"));
    QCOMPARE(int(host->windowFlags()), 0x2000801);
    QVERIFY(host->testAttribute(Qt::WA_TranslucentBackground));
    QCOMPARE(host->styleSheet(), QStringLiteral("background:transparent;"));
    QCOMPARE(host->size(), QSize(1024, 640));
    QCOMPARE(host->minimumSize(), QSize(1024, 640));  // one size: tiling desktops float it
    QCOMPARE(host->maximumSize(), QSize(1024, 640));
    QCOMPARE(host->windowTitle(), QStringLiteral("KORVANE STRYLA Z7"));
    QVERIFY(!controler->view()->rootObject()->isVisible());  // until initUI
}

void TestWindowControl::existingObjectNameIsKept()
{
    host = std::make_unique<QWidget>();
    host->setObjectName("main window");
    controler = new Ui_Controler;
    controler->setup(host.get(), hid.get());
    QCOMPARE(host->objectName(), QStringLiteral("main window"));
}

void TestWindowControl::dragMovesTheWindow()
{
    build();
    host->move(300, 200);
    host->show();
    const QPoint start = host->pos();
    controler->onXChanged(-15);
    QCOMPARE(host->pos(), start + QPoint(-15, 0));
    controler->onYChanged(7);
    QCOMPARE(host->pos(), start + QPoint(-15, 7));
}

void TestWindowControl::closeHidesMinimiseMinimises()
{
    build();
    host->show();
    controler->onMinimize();
    QTRY_VERIFY(host->isMinimized());
    host->showNormal();
    controler->onClose();
    QVERIFY(!host->isVisible());
}

void TestWindowControl::busyLockAndUnlock()
{
    build();
    myQQuickView *view = controler->view();
    view->setBusy(3000);
    QVERIFY(!view->isEnabled());
    QVERIFY(evaluate("busyIndicator.running").toBool());
    QTest::qWait(200);
    QVERIFY(!view->isEnabled());
    view->setBusy(0);
    QVERIFY(view->isEnabled());
    QVERIFY(!evaluate("busyIndicator.running").toBool());

    controler->setBusy(150);
    QVERIFY(!view->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(view->isEnabled(), 1000);
}

void TestWindowControl::keyCodesReachTheSceneMasked()
{
    build();
    QObject *root = controler->view()->rootObject();
    QSignalSpy keys(root, SIGNAL(msg_KB(bool, int)));
    QSignalSpy buttons(root, SIGNAL(msg_MS(bool, int, int, int)));
    controler->view()->detectKeyboard(true, 0x1E04);
    controler->view()->detectMouse(false, 0xF1, 640, 480);
    QCOMPARE(keys.size(), 0);  // queued
    QTRY_COMPARE(keys.size(), 1);
    QCOMPARE(keys.at(0).at(0).toBool(), true);
    QCOMPARE(keys.at(0).at(1).toInt(), 0x04);
    QTRY_COMPARE(buttons.size(), 1);
    QCOMPARE(buttons.at(0), QVariantList({false, 0xF1, 640, 480}));
}

void TestWindowControl::currentDpiFromAnotherThread()
{
    build();
    std::thread monitor([this] { controler->view()->setCurrentDPI(4); });
    monitor.join();
    QTRY_COMPARE(evaluate("root.currentStage").toInt(), 3);
    controler->view()->setCurrentDPI(0);  // 0: the scene keeps its stage
    QTest::qWait(50);
    QCOMPARE(evaluate("root.currentStage").toInt(), 3);
}

// The scene passes plain numbers for the slots' single-byte arguments.
void TestWindowControl::sceneCallsReachTheDevice()
{
    const sim::DeviceId mouse = plugInto(*hid, sim::referenceMouse(sim::Family::F553));
    build();
    evaluate("ui_View.mouseSetCurrentDPI(5)");
    evaluate("ui_View.mouseSetReportRate(107)");
    evaluate("hid.hid553_0BH_SetCurrentDPI(6)");
    QCOMPARE(int(sim::state(mouse).liftOff), 107);
    QCOMPARE(int(sim::state(mouse).currentDpi), 6);
    QCOMPARE(evaluate("ui_View.mouseGetCurrentDPI()").toInt(), 6);
    QCOMPARE(evaluate("ui_View.getGlobalData('mouse/icType')").toString(), QStringLiteral("553"));
}

// The scene calls the view by name: every slot, in declaration order, with its argument types.
void TestWindowControl::slotTable()
{
    build();
    const QStringList expected {"clearHidBusy()", "initUI()", "runUI()", "resetApconfig()",
        "loadMacroFile(QVariant)", "saveMacroFile(QVariant)", "loadProfile(int)",
        "saveProfile(int)", "profileFileRefusal()", "lastProfileFile()", "resetProfile(int)",
        "copyProfile(int,int)",
        "getLangStrings(QString,QString)", "createMacroIni(QVariant,QVariant)",
        "updataNameList(QVariant,QStringList)", "modifyMacroNameUpdateProfile(QVariant,QVariant)",
        "deleteMacroUpdateProfile(QVariant)", "deleteMacroIni(QVariant)", "getNameList(QVariant)",
        "saveMacroIni(QVariant,QStringList,QVariant)", "mouseSendMacroData(QVariantList,QVariant)",
        "loadMacroIni(QVariant)", "mouseSaveGundata(QVariant,QVariantList)",
        "mouseSendGundata(int,QVariantList)", "modifyGundata(QVariant,QVariantList)",
        "getGunData(QVariant)", "getGunDataKey()", "getXYSensitive(QVariant)",
        "getselectGun(QVariant)", "setXYSensitive(QVariant,QVariant)",
        "setSelectGun(QVariant,QVariant)", "setCurrentProfile(int)",
        "mouseSetKeyboardoption(uchar,uchar,uchar,uchar)", "mouseSetReportRate(uchar)",
        "mouseSetCurrentDPI(uchar)", "mouseResetKeyMatrix()", "mouseGetCurrentDPI()",
        "mouseSetKeyMatrix(QVariantList,bool,QVariantList)",
        "mouseSetDpi(int,QString,QVariantList)", "mouseSetRGBEffect(uchar,uchar,uchar)",
        "mouseSetRGBColor(uchar,QVariantList)", "mouseSetProfile(uint)", "mouseReadProfile(uint)",
        "mouseReadCurrentProfile()", "mouseSwitchKeyMatrix(int)", "GetKeyboardoption()",
        "mouseSetCursorSpeed(uint)", "mouseSetVerticalScrollLines(uint)",
        "mouseSetDoubleClickSpeed(uint)", "mouseGetKeydefine(QVariant,bool)", "openUpdateExe()",
        "getData(QVariant,bool)", "getGlobalData(QVariant)", "getDataList(QVariant,bool)",
        "setData(QVariant,QVariant)", "setGlobalData(QVariant,QVariant)",
        "setDataList(QVariant,QVariantList)", "setBusy(int)", "setBusy()", "setCurrentDPI(int)"};
    const QMetaObject *meta = controler->view()->metaObject();
    QStringList declared;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() == QMetaMethod::Slot && method.access() == QMetaMethod::Public)
            declared << QString::fromLatin1(method.methodSignature());
    }
    QCOMPARE(declared, expected);
}

// A few calls from the scene through the view into each kind of unit and down to the device.
void TestWindowControl::sceneReachesEveryUnit()
{
    const sim::DeviceId mouse = plugInto(*hid, sim::referenceMouse(sim::Family::F553));
    build();
    evaluate("ui_View.mouseSetDpi(3, '3360', [400, 800, 1600, 3200, 4800, 6400, 8000, 12000])");
    const std::array<uint8_t, 8> dpi {3, 7, 15, 0x80, 0x80, 0x80, 0x80, 0x80};
    QCOMPARE(sim::state(mouse).dpiTable, dpi);
    evaluate("ui_View.mouseSetRGBEffect(8, 2, 3)");
    const std::array<uint8_t, 3> effect {8, 192, 15};
    QCOMPARE(sim::state(mouse).ledEffect, effect);
    evaluate("ui_View.mouseSendMacroData([0, 1, 5, 4, 0x81, 4], 0)");
    QCOMPARE(sim::state(mouse).macros.at(1).at(3), uint8_t(4));
    QCOMPARE(evaluate("ui_View.getLangStrings('main', 'English').length").toInt(), 15);
    QCOMPARE(evaluate("ui_View.getNameList(7).length").toInt(), 0);
    evaluate("ui_View.setData('mouse/reportRate', 46)");
    QCOMPARE(
        evaluate("ui_View.getData('mouse/reportRate', false)").toString(), QStringLiteral("46"));
}

// The line of "mouse/probe" in profile 1's file on disk.
static QByteArray probeLine()
{
    QFile file(QStringLiteral("modules/setting/p1.bin"));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith("probe="))
            return line;
    }
    return QByteArray();
}

void TestWindowControl::emptyValuesFromTheScene_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("null") << "ui_View.setData('mouse/probe', null)"
                          << QByteArray("probe=@Invalid()");
    QTest::newRow("list with null")
        << "ui_View.setDataList('mouse/probe', [1, null])" << QByteArray("probe=1, ");
    QTest::newRow("list of nulls")
        << "ui_View.setDataList('mouse/probe', [null, null, 3])" << QByteArray("probe=, , 3");
}

// What the scene stores as null replaces the value with an empty one, element by element in
// a list: the old value never stays behind.
void TestWindowControl::emptyValuesFromTheScene()
{
    QFETCH(QString, call);
    QFETCH(QByteArray, line);
    build();
    evaluate("ui_View.setData('mouse/probe', 5)");
    QTRY_COMPARE(probeLine(), QByteArray("probe=5"));
    evaluate(call);
    QTRY_COMPARE(probeLine(), line);
}

// Releasing the interlock from events processed during a command's pauses would let another
// exchange in; it is kept for the command. Outside a command a stuck interlock is released.
void TestWindowControl::clearHidBusyLeavesACommandAlone()
{
    const RealTime realTime;  // the timer below fires inside the command's real settle
    const sim::DeviceId mouse = plugInto(*hid, sim::referenceMouse(sim::Family::F553));
    build();
    DiagnosticCapture diagnostics;
    bool called = false, idleAfter = true;
    QTimer::singleShot(30, this, [&] {
        evaluate("ui_View.clearHidBusy()");
        idleAfter = hid->isIdle();
        called = true;
    });
    evaluate("ui_View.mouseSetCurrentDPI(5)");  // 128 ms of settle after the report
    QVERIFY(called);
    QVERIFY(!idleAfter);
    QCOMPARE(
        diagnostics.count("clearHidBusy: a command is in progress, the interlock stays taken"), 1);
    QCOMPARE(int(sim::state(mouse).currentDpi), 5);

    hid->setIdle(false);
    evaluate("ui_View.clearHidBusy()");
    QVERIFY(hid->isIdle());
}

// Keys as the window system delivers them, to whatever has the focus in window.
static void type(QWindow *window, const char *text)
{
    for (const char *c = text; *c; ++c)
        QTest::keyClick(window, *c);
}

// Keys typed into a scene text field keep arriving after the focus has been in another window
// and come back.
void TestWindowControl::focusComesBackToTheScene()
{
    build(QUrl::fromLocalFile(QStringLiteral(STRYLA_SOURCE_DIR "/tests/app/focus_probe.qml")));
    myQQuickView *view = controler->view();
    QQuickItem *field = view->rootObject()->findChild<QQuickItem *>("field");
    QVERIFY(field);
    host->show();
    host->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(host.get()));
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));  // into the field
    QTRY_VERIFY(field->hasActiveFocus());
    type(host->windowHandle(), "ab");
    QCOMPARE(field->property("text").toString(), QStringLiteral("ab"));

    QWidget other;
    other.resize(100, 100);
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(!field->hasActiveFocus());
    type(other.windowHandle(), "x");  // to the other window, not the scene

    host->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(host.get()));
    type(host->windowHandle(), "cd");
    QCOMPARE(field->property("text").toString(), QStringLiteral("abcd"));
    QVERIFY(field->hasActiveFocus());
}

QTEST_MAIN(TestWindowControl)
#include "tst_window_control.moc"
