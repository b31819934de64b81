// The gun page of the recoil compensation, reached by its name (its entry stays hidden on
// this mouse): the gun list and its values, the slots' choice, saving, renaming, what goes to
// the device when the page closes after a change and when the main Reset runs, and a missing
// gun file.

#include "scene_rig.h"

#include <QFile>
#include <QtTest>

using namespace simtest;

namespace {

QByteArray image(const std::array<uint8_t, 128> &profile)
{
    return QByteArray(reinterpret_cast<const char *>(profile.data()), int(profile.size()));
}

}  // namespace

class TestGunPage : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void closingAfterAChangeSendsEverySlot_data();
    void closingAfterAChangeSendsEverySlot();
    void slotChoiceSaveAndPeriods();
    void renameKeepsNamesUnique();
    void resetInTheMainResetFlow();
    void missingGunFile();

private:
    SceneDriver &scene() { return *rig->scene; }
    bool openPage();
    bool closePage();
    QStringList gunEntry(const QString &key);
    QList<int> periods();

    std::unique_ptr<SceneRig> rig;
};

void TestGunPage::init()
{
    rig = std::make_unique<SceneRig>();
}

void TestGunPage::cleanup()
{
    rig.reset();
}

bool TestGunPage::openPage()
{
    if (scene().isShown(QStringLiteral("gunEditorEntry")))
        return false;  // the gun page's entry stays hidden on this mouse
    scene().evaluate(QStringLiteral("openPopup(page(gunPlace))"));
    return SceneDriver::waitFor([this] { return scene().isShown(QStringLiteral("gunPage")); });
}

bool TestGunPage::closePage()
{
    return scene().click(QStringLiteral("gunPageClose"))
        && !scene().isShown(QStringLiteral("gunPage"));
}

// The gun periods the key matrix list sends with its matrices.
QList<int> TestGunPage::periods()
{
    QList<int> out;
    for (const QVariant &v :
        scene().evaluate(QStringLiteral("page(keyMatrixPlace).gunPeriods")).toList())
        out.append(v.toInt());
    return out;
}

QStringList TestGunPage::gunEntry(const QString &key)
{
    return QSettings(rig->file("modules/gun/gunData.bin"), QSettings::IniFormat)
        .value(QStringLiteral("gunData/") + key)
        .toStringList();
}

void TestGunPage::closingAfterAChangeSendsEverySlot_data()
{
    QTest::addColumn<bool>("is560");
    QTest::newRow("553, vertical negated by the device's option") << false;
    QTest::newRow("560, inside profiles 2, 3, 4") << true;
}

// Gun 2's vertical correction changed: closing writes it and sends the three slots (guns 0,
// 1, 2 in the factory choice).
void TestGunPage::closingAfterAChangeSendsEverySlot()
{
    QFETCH(bool, is560);
    rig->configure(is560 ? sim::Family::F560 : sim::Family::F553, true);
    sim::modifyState(rig->plug(), [](sim::DeviceState &s) {
        s.options[2] = 1;
        for (int p = 2; p <= 4; ++p) {
            s.profiles[size_t(p)][65] = 0xFF;
            s.profiles[size_t(p)][10] = uint8_t(p);
        }
    });
    QVERIFY(rig->start());
    QVERIFY(openPage());
    QVERIFY(scene().click("gunListRow1"));
    QCOMPARE(scene().text("gunYFieldInput"), QStringLiteral("7"));
    QCOMPARE(scene().text("gunXFieldInput"), QStringLiteral("0"));
    QCOMPARE(scene().text("gunTimesFieldInput"), QStringLiteral("0"));
    QCOMPARE(scene().text("gunPeriodSlider"), QStringLiteral("9 ms"));
    QVERIFY(scene().property("gunEndless", "checked").toBool());
    // The fire button in words; the file keeps its own name for it (below).
    QCOMPARE(scene()
                 .property("gunFireKey", "model")
                 .toStringList()
                 .value(scene().property("gunFireKey", "currentIndex").toInt()),
        QStringLiteral("Left click"));

    QVERIFY(scene().replaceText("gunYFieldInput", "12"));
    QVERIFY(scene().property("gunSave", "alert").toBool());
    QCOMPARE(gunEntry("1"), QStringList({"AKM", "L-Click", "9", "0", "7", "0"}));
    QVERIFY(scene().replaceText("gunYFieldInput", "65"));  // past 64: the 5 is refused
    QCOMPARE(scene().text("gunYFieldInput"), QStringLiteral("6"));
    QVERIFY(scene().replaceText("gunYFieldInput", "12"));
    QVERIFY(sim::wireLog().empty());

    QVERIFY(closePage());
    QTRY_COMPARE(gunEntry("1"), QStringList({"AKM", "L-Click", "9", "0", "12", "0"}));
    const sim::DeviceState state = rig->state();
    if (is560) {
        QStringList expected;
        const int y[3] = {5, 12, 8};
        for (int p = 2; p <= 4; ++p) {
            const QByteArray sent = image(state.profiles[size_t(p)]);
            QCOMPARE(uchar(sent[65]), uchar(0xFB));
            QCOMPARE(uchar(sent[10]), uchar(p));  // the rest of the image is carried along
            QCOMPARE(sent.mid(78, 4), QByteArray::fromHex("F00000") + char(y[p - 2]));
            expected += write(0x0C, {uchar(p), 0x80}, sent);
        }
        QCOMPARE(sentReports(), expected);
    } else {
        QCOMPARE(commandCodes(), QList<int>({0x83, 0x04, 0x83, 0x04, 0x83, 0x04}));
        const QStringList sent = sentReports();
        QCOMPARE(sent.at(1), command(0x04, {0, 0, 0, 0xFB, 0}));
        QCOMPARE(sent.at(3), command(0x04, {0, 0, 0, 0xF4, 1}));
        QCOMPARE(sent.at(5), command(0x04, {0, 0, 0, 0xF8, 2}));
        QCOMPARE(state.gun[1], (std::array<uint8_t, 3> {0, 0, 0xF4}));
    }

    // Opened and closed again without a change: nothing more.
    sim::clearWireLog();
    QVERIFY(openPage());
    QVERIFY(closePage());
    SceneDriver::settle(200);
    QVERIFY(sim::wireLog().empty());
}

// The slots' choice is stored as it is made, Save writes the values without sending, and the
// periods of the chosen guns go with the key matrix.
void TestGunPage::slotChoiceSaveAndPeriods()
{
    QVERIFY(rig->start());
    QCOMPARE(periods(), QList<int>({9, 9, 9}));
    QVERIFY(openPage());
    QVERIFY(scene().click("gunSlot0"));
    QVERIFY(scene().click("gunSlot0Item4"));
    QTRY_COMPARE(rig->globalValue("mouse/selectGun").toStringList(), QStringList({"4", "1", "2"}));
    QCOMPARE(periods(), QList<int>({10, 9, 9}));

    QVERIFY(scene().click("gunListRow4"));
    QVERIFY(scene().setSlider("gunPeriodSlider", 29));
    QCOMPARE(scene().text("gunPeriodSlider"), QStringLiteral("30 ms"));
    QVERIFY(scene().click("gunFireKey"));
    QVERIFY(scene().click("gunFireKeyItem1"));
    QVERIFY(scene().click("gunEndless"));
    QCOMPARE(scene().text("gunTimesFieldInput"), QStringLiteral("1"));
    QCOMPARE(periods(), QList<int>({30, 9, 9}));
    QVERIFY(scene().click("gunSave"));
    QTRY_COMPARE(gunEntry("4"), QStringList({"UNP9", "R-Click", "30", "0", "4", "1"}));
    QVERIFY(!scene().property("gunSave", "alert").toBool());
    QVERIFY(sim::wireLog().empty());

    QVERIFY(closePage());
    QTRY_COMPARE(commandCodes().count(0x04), 3);
    QCOMPARE(rig->state().gun[0], (std::array<uint8_t, 3> {1, 0, 4}));
    QCOMPARE(rig->state().gun[1], (std::array<uint8_t, 3> {0, 0, 7}));

    // The key matrix sends the chosen guns' periods in the gun matrices.
    rig->setProfileValue(0, "mouseKeyMatrix/4", QStringList {"8", "0", "1", "0"});
    scene().evaluate("page(keyMatrixPlace).init(true, false)");
    QTRY_VERIFY(rig->state().keyMatrices.count(4) == 1);
    const sim::DeviceState state = rig->state();
    QCOMPARE(int(state.keyMatrices.at(2).at(2)), 30);
    QCOMPARE(int(state.keyMatrices.at(3).at(2)), 9);
    QCOMPARE(int(state.keyMatrices.at(4).at(2)), 9);
}

void TestGunPage::renameKeepsNamesUnique()
{
    QVERIFY(rig->start());
    QVERIFY(openPage());
    QVERIFY(scene().doubleClick("gunListRow4"));
    scene().typeText("Vector");
    scene().key(Qt::Key_Return);
    QCOMPARE(scene().property("gunListRow4", "modelData").toString(), QStringLiteral("Vector"));
    const QString names = rig->file("modules/setting/name.bin");
    QTRY_COMPARE(QSettings(names, QSettings::IniFormat).value("gun/gunName").toStringList(),
        QStringList({"M416", "AKM", "M16A4", "SCAR-L", "Vector", "Thomson"}));
    QTRY_COMPARE(gunEntry("4"), QStringList({"Vector", "L-Click", "10", "0", "4", "0"}));
    QCOMPARE(gunEntry("Vector"), QStringList({"L-Click", "10", "0", "4", "0"}));
    QVERIFY(scene().click("gunSlot2"));
    QCOMPARE(scene().property("gunSlot2Item4", "modelData").toString(), QStringLiteral("Vector"));
    QVERIFY(scene().click("gunSlot2"));

    // A name the list has already stays refused, and nothing is written.
    const QByteArray before = rig->fileBytes(rig->file("modules/gun/gunData.bin"));
    QVERIFY(scene().doubleClick("gunListRow0"));
    scene().typeText("AKM");
    scene().key(Qt::Key_Return);
    QCOMPARE(scene().property("gunListRow0", "modelData").toString(), QStringLiteral("M416"));
    SceneDriver::settle(100);
    QCOMPARE(rig->fileBytes(rig->file("modules/gun/gunData.bin")), before);
    QVERIFY(closePage());
    QVERIFY(sim::wireLog().empty());  // names go nowhere but the files

    // The new name is there after the next start.
    rig->scene.reset();
    rig->window.reset();
    QVERIFY(rig->start());
    QVERIFY(openPage());
    QCOMPARE(scene().property("gunListRow4", "modelData").toString(), QStringLiteral("Vector"));
}

// Reset from the main screen: guns 0, 1, 2 in the slots with their factory vertical
// correction and period, written and sent; the other guns stay as they were.
void TestGunPage::resetInTheMainResetFlow()
{
    {
        QSettings guns(rig->file("modules/gun/gunData.bin"), QSettings::IniFormat);
        guns.setValue("gunData/0", QStringList {"M416", "L-Click", "20", "3", "30", "5"});
        guns.setValue("gunData/4", QStringList {"UNP9", "L-Click", "40", "1", "2", "3"});
    }
    rig->dir.setGlobal("mouse/selectGun", QStringList {"5", "4", "3"});
    QVERIFY(rig->start());
    QVERIFY(scene().click("resetButton"));
    QVERIFY(scene().click("resetBoxOk"));
    QTRY_VERIFY(rig->window->view()->isEnabled());

    QTRY_COMPARE(rig->iniText(rig->file("modules/setting/apConfig.bin"), "mouse/selectGun"),
        QStringLiteral("0, 1, 2"));
    QTRY_COMPARE(gunEntry("0"), QStringList({"M416", "L-Click", "9", "3", "5", "5"}));
    QCOMPARE(gunEntry("1"), QStringList({"AKM", "L-Click", "9", "0", "7", "0"}));
    QCOMPARE(gunEntry("2"), QStringList({"M16A4", "L-Click", "9", "0", "8", "0"}));
    QCOMPARE(gunEntry("4"), QStringList({"UNP9", "L-Click", "40", "1", "2", "3"}));
    const sim::DeviceState state = rig->state();
    QCOMPARE(state.gun[0], (std::array<uint8_t, 3> {5, 3, 5}));
    QCOMPARE(state.gun[1], (std::array<uint8_t, 3> {0, 0, 7}));
    QCOMPARE(state.gun[2], (std::array<uint8_t, 3> {0, 0, 8}));
    QCOMPARE(periods(), QList<int>({9, 9, 9}));

    QVERIFY(openPage());
    QCOMPARE(scene().property("gunSlot0", "currentIndex").toInt(), 0);
    QCOMPARE(scene().property("gunSlot2", "currentIndex").toInt(), 2);
}

// Without a gun file the page shows empty values, writes nothing, and still sends what it
// shows; nothing else breaks.
void TestGunPage::missingGunFile()
{
    QVERIFY(QFile::remove(rig->file("modules/gun/gunData.bin")));
    QVERIFY(rig->start());
    QCOMPARE(periods(), QList<int>({10, 10, 10}));
    QVERIFY(openPage());
    QCOMPARE(scene().property("gunListRow2", "modelData").toString(), QStringLiteral("M16A4"));
    QCOMPARE(scene().text("gunYFieldInput"), QString());
    QCOMPARE(scene().text("gunTimesFieldInput"), QString());
    QCOMPARE(scene().text("gunPeriodSlider"), QString());
    QVERIFY(!scene().property("gunEndless", "checked").toBool());
    QVERIFY(closePage());
    SceneDriver::settle(200);
    QVERIFY(sim::wireLog().empty());

    QVERIFY(openPage());
    QVERIFY(scene().replaceText("gunYFieldInput", "6"));
    QVERIFY(closePage());
    QTRY_COMPARE(commandCodes().count(0x04), 3);
    QCOMPARE(rig->state().gun[0], (std::array<uint8_t, 3> {0, 0, 6}));
    QCOMPARE(rig->state().gun[1], (std::array<uint8_t, 3> {0, 0, 0}));
    QVERIFY(!QFile::exists(rig->file("modules/gun/gunData.bin")));

    sim::clearWireLog();
    QVERIFY(scene().click("resetButton"));
    QVERIFY(scene().click("resetBoxOk"));
    QTRY_VERIFY(rig->window->view()->isEnabled());
    QCOMPARE(rig->state().gun[0], (std::array<uint8_t, 3> {0, 0, 5}));
    QCOMPARE(rig->state().gun[2], (std::array<uint8_t, 3> {0, 0, 8}));
    QVERIFY(!QFile::exists(rig->file("modules/gun/gunData.bin")));
}

QTEST_MAIN(TestGunPage)
#include "tst_gun_page.moc"
