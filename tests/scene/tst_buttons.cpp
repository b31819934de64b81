// The buttons as a user meets them: the list on the left, the mouse picture, the button page
// with every kind of function, the guard that keeps a left click, and Save. Every test drives
// the real scene over a simulated mouse and checks the profile file, the key matrix the
// device holds and the reports on the wire.

#include "diagnostics.h"
#include "save_reports.h"
#include "scene_rig.h"

#include <QQmlProperty>
#include <QtTest>

using namespace simtest;

namespace {

using Entry = QList<int>;

// Key matrix 1 as the device gets it from the factory entries of this mouse: the five
// buttons as mouse buttons, the positions the device keeps for itself (5, 6, 8, 9, 12, with
// DPI up moved from 5 to 7), empty positions as mouse code 0, and its two own functions.
const QList<Entry> kFactoryDevice = {{0x01, 0, 0xF0, 0}, {0x01, 0, 0xF1, 0}, {0x01, 0, 0xF2, 0},
    {0x01, 0, 0xF4, 0}, {0x01, 0, 0xF3, 0}, {0x07, 0, 3, 0}, {0x05, 0, 3, 0}, {0x07, 0, 1, 0},
    {0x0D, 0, 0, 0}, {0x0D, 1, 0, 0}, {0x01, 0, 0, 0}, {0x01, 0, 0, 0}, {0x0E, 0, 0, 0},
    {0x01, 0, 0, 0}, {0x04, 0, 1, 0}, {0x04, 0, 2, 0}};

Entry ints(const QVariant &list)
{
    Entry out;
    for (const QVariant &v : list.toList())
        out.append(v.toInt());
    return out;
}

QByteArray block(const QList<Entry> &entries)
{
    QByteArray out;
    for (const Entry &e : entries)
        for (int v : e)
            out.append(char(v));
    return out;
}

QByteArray factoryDeviceWith(std::initializer_list<std::pair<int, Entry>> changes)
{
    QList<Entry> entries = kFactoryDevice;
    for (const auto &change : changes)
        entries[change.first] = change.second;
    return block(entries);
}

// Where expected appears in the reports sent, as one run; -1 when it does not.
int runIn(const QStringList &sent, const QStringList &expected)
{
    for (int i = 0; i + expected.size() <= sent.size(); ++i)
        if (sent.mid(i, expected.size()) == expected)
            return i;
    return -1;
}

int countOf(const QStringList &sent, const QString &report)
{
    return int(std::count(sent.begin(), sent.end(), report));
}

const QByteArray kReloadRecord = QByteArray::fromHex("0001050481040000") + QByteArray(120, '\0');
const QByteArray kBurstRecord =
    QByteArray::fromHex("000201048104010581050000") + QByteArray(116, '\0');

// Every value a property of a scene item takes while it lives.
class PropertyTrace : public QObject
{
    Q_OBJECT
public:
    PropertyTrace(QObject *item, const char *name)
        : m_property(item, QString::fromLatin1(name))
    {
        m_property.connectNotifySignal(this, SLOT(changed()));
    }
    QList<double> values;
private slots:
    void changed() { values.append(m_property.read().toDouble()); }

private:
    QQmlProperty m_property;
};

}  // namespace

class TestButtons : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void listAndPictureShowTheButtons();
    void textsInChinese();
    void mouseChoicesAreStoredAndSent();
    void fireKeyIsCapturedFromTheKeyboard();
    void captureEndsWhenItsSectionIsLeft();
    void typedTimesCountWithoutReturn();
    void combinationIsCollected();
    void everyListedChoiceSetsItsEntry();
    void onlyLeftClickButtonKeepsIt();
    void closeAndBackIcons();
    void chosenMacroIsSentOnce();
    void restoreDefaultButtons();
    void macroBoundButtons();
    void pageFollowsTheMacroEditor();
    void saveOnThe560GunMouse();

private:
    SceneDriver &scene() { return *rig->scene; }
    bool openButton(int position);
    bool closePage();
    Entry pageEntry();
    Entry listEntry(int position);
    Entry storedEntry(int position, int profile = 0);
    QString rowText(int position)
    {
        return scene().text(QStringLiteral("keyMatrixText%1").arg(position));
    }
    bool saveIsRed() { return scene().property("saveButton", "alert").toBool(); }
    QByteArray deviceMatrix(int number);
    void writeBurstAndReload();

    std::unique_ptr<SceneRig> rig;
};

void TestButtons::init()
{
    rig = std::make_unique<SceneRig>();
}

void TestButtons::cleanup()
{
    rig.reset();
}

bool TestButtons::openButton(int position)
{
    if (!scene().click(QStringLiteral("keyMatrixRow%1").arg(position)))
        return false;
    return SceneDriver::waitFor(
        [this] { return scene().isShown(QStringLiteral("keyAssignment")); });
}

bool TestButtons::closePage()
{
    if (!scene().click(QStringLiteral("keyAssignmentClose")))
        return false;
    return !scene().isShown(QStringLiteral("keyAssignment"));
}

Entry TestButtons::pageEntry()
{
    Entry entry;
    for (const char *name : {"keyCode0", "keyCode1", "keyCode2", "keyCode3"})
        entry.append(scene().property(QStringLiteral("keyAssignment"), name).toInt());
    return entry;
}

Entry TestButtons::listEntry(int position)
{
    return ints(scene().evaluate(QStringLiteral("page(keyMatrixPlace).entryAt(%1)").arg(position)));
}

Entry TestButtons::storedEntry(int position, int profile)
{
    Entry entry;
    const QStringList values =
        rig->profileValue(profile, QStringLiteral("mouseKeyMatrix/%1").arg(position))
            .toStringList();
    for (const QString &v : values)
        entry.append(v.toInt());
    return entry;
}

QByteArray TestButtons::deviceMatrix(int number)
{
    const sim::DeviceState state = rig->state();
    const auto found = state.keyMatrices.find(number);
    return found == state.keyMatrices.end() ? QByteArray() : bytes(found->second);
}

// Two macros in the macro editor's list: Burst (kBurstRecord) and Reload (kReloadRecord).
void TestButtons::writeBurstAndReload()
{
    rig->writeMacro("Burst", {"1,A", "2,A", "1,B", "2,B"}, 2);
    rig->writeMacro("Reload", {"1,A", "0,50", "2,A"}, 1);
    QSettings(rig->file("modules/setting/name.bin"), QSettings::IniFormat)
        .setValue("macro/macroName", QStringList {"Burst", "Reload"});
}

// One row per button with the function read from the profile, one marker per button on the
// picture; the row and the marker under the pointer light each other up.
void TestButtons::listAndPictureShowTheButtons()
{
    rig->setProfileValue(0, "mouseKeyMatrix/1", QStringList {"3", "0", "226", "0"});
    rig->setProfileValue(0, "mouseKeyMatrix/3", QStringList {"0", "0", "0", "0"});
    rig->setProfileValue(0, "mouseKeyMatrix/4", QStringList {"4", "2", "4", "0"});
    rig->setProfileValue(0, "mouseMacroKey/4", "Reload");
    rig->setProfileValue(0, "mouseKeyMatrix/6", "broken");
    DiagnosticCapture diagnostics;
    QVERIFY(rig->start());

    const QStringList expected {
        "Left Key", "Mute", "Middle Key", "Disabled", "Reload", "DPI+", "DPI-", "Double Fire"};
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(rowText(i), expected.at(i));
        QVERIFY(scene().isShown(QStringLiteral("keyMatrixRow%1").arg(i)));
        QVERIFY(scene().isShown(QStringLiteral("mouseMarker%1").arg(i + 1)));
    }
    QVERIFY(!scene().find("keyMatrixRow8"));
    QVERIFY(!scene().find("mouseMarker9"));
    bool reported = false;
    for (const QString &line : diagnostics.lines())
        reported |= line.contains("Button 7: stored entry \"broken\" is not four numbers 0 … 255; "
                                  "the built-in entry is shown");
    QVERIFY(reported);
    QCOMPARE(listEntry(6), Entry({5, 0, 2, 0}));
    QVERIFY(!saveIsRed());

    scene().hover("keyMatrixRow4");
    QVERIFY(scene().property("mouseMarker5", "lit").toBool());
    QVERIFY(!scene().property("mouseMarker4", "lit").toBool());
    QVERIFY(scene().property("keyMatrixRow4", "lit").toBool());

    scene().hover("mouseMarker3");
    QVERIFY(scene().property("keyMatrixRow2", "lit").toBool());
    QVERIFY(!scene().property("keyMatrixRow4", "lit").toBool());
    QVERIFY(!scene().property("mouseMarker5", "lit").toBool());

    // A marker opens the page for its button, which stays lit while the page is open.
    QVERIFY(scene().click("mouseMarker2"));
    QVERIFY(scene().isShown("keyAssignment"));
    QVERIFY(scene().isShown("mask"));
    QCOMPARE(scene().property("keyAssignment", "title").toString(), QStringLiteral("Key 2: Mute"));
    QCOMPARE(scene().property("keyAssignment", "width").toInt(), 416);
    QCOMPARE(scene().property("keyAssignment", "height").toInt(), 404);
    QCOMPARE(scene().evaluate("selectedButton").toInt(), 1);
    QVERIFY(scene().property("keyMatrixRow1", "lit").toBool());
    QVERIFY(closePage());
    QVERIFY(!scene().isShown("mask"));
    QCOMPARE(scene().evaluate("selectedButton").toInt(), -1);
    QVERIFY(sim::wireLog().empty());
}

void TestButtons::textsInChinese()
{
    rig->dir.setGlobal("common/language", "ChineseSimplified");
    QVERIFY(rig->start());
    const QSettings zh(rig->file("modules/i18n/ChineseSimplified.ini"), QSettings::IniFormat);
    const QString left = zh.value("keyAssigment/2").toString();
    QVERIFY(left != QStringLiteral("Left Key"));
    QCOMPARE(rowText(0), left);
    QCOMPARE(rowText(5), zh.value("keyAssigment/22").toString());
    QCOMPARE(rowText(7), zh.value("keyAssigment/7").toString());
    QCOMPARE(scene().property("keyMatrix", "title").toString(), zh.value("keyMatrix/0").toString());

    QVERIFY(openButton(2));
    QCOMPARE(scene().property("keyAssignment", "title").toString(),
        zh.value("formats/0").toString().arg(3).arg(zh.value("keyAssigment/3").toString()));
    QVERIFY(scene().click("assignSection3"));
    QVERIFY(scene().click("assignChoice31"));
    QVERIFY(closePage());
    QCOMPARE(rowText(2), zh.value("keyAssigment/31").toString());
}

// Middle key for button 3 and double click for button 2: the page shows each entry, Save
// stores them and sends the translated matrix.
void TestButtons::mouseChoicesAreStoredAndSent()
{
    rig->setProfileValue(0, "mouseKeyMatrix/2", QStringList {"5", "0", "1", "0"});
    QVERIFY(rig->start());
    QCOMPARE(rowText(2), QStringLiteral("DPI+"));

    QVERIFY(openButton(2));
    QCOMPARE(scene().property("keyAssignment", "title").toString(), QStringLiteral("Key 3: DPI+"));
    QVERIFY(scene().click("assignSection0"));
    QVERIFY(scene().click("assignChoice3"));
    QCOMPARE(pageEntry(), Entry({0, 0, 0xF2, 0}));
    QCOMPARE(scene().property("keyAssignment", "title").toString(),
        QStringLiteral("Key 3: Middle Key"));
    QVERIFY(scene().property("assignChoice3", "checked").toBool());
    QCOMPARE(listEntry(2), Entry({5, 0, 1, 0}));  // nothing changes before the page closes
    QVERIFY(closePage());
    QCOMPARE(listEntry(2), Entry({0, 0, 0xF2, 0}));
    QCOMPARE(rowText(2), QStringLiteral("Middle Key"));
    QVERIFY(saveIsRed());

    QVERIFY(openButton(1));
    QVERIFY(scene().click("assignChoice7"));
    QCOMPARE(pageEntry(), Entry({0, 0xF0, 0x1E, 2}));
    QVERIFY(closePage());
    QCOMPARE(rowText(1), QStringLiteral("Double Fire"));
    QVERIFY(sim::wireLog().empty());  // nothing reaches the device before Save

    QVERIFY(scene().click("saveButton"));
    QTRY_COMPARE(storedEntry(2), Entry({0, 0, 0xF2, 0}));
    QCOMPARE(storedEntry(1), Entry({0, 0xF0, 0x1E, 2}));
    QCOMPARE(storedEntry(0), Entry({0, 0, 0xF0, 0}));
    QCOMPARE(storedEntry(7), Entry({0, 0xF0, 0x1E, 2}));
    QCOMPARE(storedEntry(14), Entry({255, 0, 1, 0}));
    const QByteArray sent = factoryDeviceWith({{1, {0x0A, 0xF0, 0x1E, 2}}});
    QCOMPARE(deviceMatrix(1), sent);
    const QStringList wire = sentReports();
    QVERIFY(runIn(wire, write(0x12, {1, 0x40, 0x08}, sent)) >= 0);
    QCOMPARE(commandCodes().count(0x12), 1);
    QVERIFY(!saveIsRed());
}

void TestButtons::fireKeyIsCapturedFromTheKeyboard()
{
    QVERIFY(rig->start());
    QVERIFY(openButton(3));
    QVERIFY(scene().click("assignSection1"));
    QCOMPARE(scene().text("fireRateSlider"), QStringLiteral("10 ms"));
    QVERIFY(scene().click("fireKeyField"));
    QVERIFY(scene().property("keyAssignment", "isFireInput").toBool());
    QCOMPARE(scene().text("fireKeyField"), QStringLiteral("Click Input"));

    scene().hookKey(0x04, true);
    QCOMPARE(pageEntry(), Entry({1, 0x04, 10, 0}));
    QVERIFY(!scene().property("keyAssignment", "isFireInput").toBool());
    QCOMPARE(scene().text("fireKeyField"), QStringLiteral("A"));
    QCOMPARE(scene().property("keyAssignment", "title").toString(), QStringLiteral("Key 4: A"));
    scene().hookKey(0x04, false);
    scene().hookKey(0x05, true);  // the capture is over
    QCOMPARE(pageEntry(), Entry({1, 0x04, 10, 0}));

    QVERIFY(scene().setSlider("fireRateSlider", 19));
    QCOMPARE(scene().text("fireRateSlider"), QStringLiteral("20 ms"));
    QCOMPARE(pageEntry(), Entry({1, 0x04, 20, 0}));
    QVERIFY(scene().property("fireEndless", "checked").toBool());
    QVERIFY(scene().replaceText("fireTimesFieldInput", "5"));
    QCOMPARE(pageEntry(), Entry({1, 0x04, 20, 5}));
    QVERIFY(!scene().property("fireEndless", "checked").toBool());
    QVERIFY(scene().click("fireEndless"));
    QCOMPARE(pageEntry(), Entry({1, 0x04, 20, 0}));
    QCOMPARE(scene().text("fireTimesFieldInput"), QStringLiteral("0"));
    // Past 255 the last keystroke is refused: the 30 typed before it stays.
    QVERIFY(scene().replaceText("fireTimesFieldInput", "300"));
    QCOMPARE(pageEntry(), Entry({1, 0x04, 20, 30}));
    QVERIFY(scene().replaceText("fireTimesFieldInput", "5"));
    QVERIFY(closePage());
    QCOMPARE(rowText(3), QStringLiteral("A"));

    // Opened again, the page shows the stored rate and count; a release alone ends a capture,
    // and a button that was no fire key starts from 10 ms and endless.
    QVERIFY(openButton(3));
    QCOMPARE(scene().text("fireRateSlider"), QStringLiteral("20 ms"));
    QCOMPARE(scene().text("fireTimesFieldInput"), QStringLiteral("5"));
    QVERIFY(closePage());
    QVERIFY(openButton(4));
    QVERIFY(scene().click("assignSection1"));
    QCOMPARE(scene().text("fireRateSlider"), QStringLiteral("10 ms"));
    QVERIFY(scene().click("fireKeyField"));
    scene().hookKey(0x16, false);
    QCOMPARE(pageEntry(), Entry({1, 0x16, 10, 0}));
    QVERIFY(closePage());

    QVERIFY(scene().click("saveButton"));
    QTRY_COMPARE(storedEntry(3), Entry({1, 0x04, 20, 5}));
    QCOMPARE(storedEntry(4), Entry({1, 0x16, 10, 0}));
    QCOMPARE(
        deviceMatrix(1), factoryDeviceWith({{3, {0x0A, 0x04, 20, 5}}, {4, {0x0A, 0x16, 10, 0}}}));
}

// The fire key field armed, then the macro section and a recording in the editor: the keys
// make the macro, and the button keeps what it had.
void TestButtons::captureEndsWhenItsSectionIsLeft()
{
    QVERIFY(rig->start());
    QVERIFY(openButton(3));
    const Entry before = pageEntry();
    const QString text = rowText(3);
    QVERIFY(scene().click("assignSection1"));
    QVERIFY(scene().click("fireKeyField"));
    QVERIFY(scene().click("assignSection4"));
    QVERIFY(scene().click("macroEditorLink"));
    QVERIFY(scene().click("macroNewButton"));
    QVERIFY(scene().click("macroRecordButton"));
    for (int code : {0x14, 0x1A}) {  // q w
        scene().hookKey(code, true);
        scene().hookKey(code, false);
    }
    QVERIFY(scene().click("macroRecordButton"));
    QVERIFY(scene().click("macroEditorClose"));
    QCOMPARE(pageEntry(), before);
    QVERIFY(closePage());
    QCOMPARE(rowText(3), text);
    QVERIFY(!saveIsRed());
}

// A count typed and not confirmed is the count: the close icon hands it on with the entry.
void TestButtons::typedTimesCountWithoutReturn()
{
    QVERIFY(rig->start());
    QVERIFY(openButton(3));
    QVERIFY(scene().click("assignSection1"));
    QVERIFY(scene().click("fireKeyField"));
    scene().hookKey(0x04, true);
    scene().hookKey(0x04, false);
    QVERIFY(scene().click("fireTimesField"));
    scene().key(Qt::Key_A, Qt::ControlModifier);
    scene().typeText("5");
    QVERIFY(closePage());
    QCOMPARE(rowText(3), QStringLiteral("A"));
    QVERIFY(scene().click("saveButton"));
    QTRY_COMPARE(storedEntry(3), Entry({1, 0x04, 10, 5}));
    QCOMPARE(deviceMatrix(1), factoryDeviceWith({{3, {0x0A, 0x04, 10, 5}}}));
}

void TestButtons::combinationIsCollected()
{
    QVERIFY(rig->start());
    QVERIFY(openButton(2));
    QVERIFY(scene().click("assignSection2"));
    QVERIFY(!scene().isShown("comboConfirm"));
    QVERIFY(scene().click("comboField"));
    QVERIFY(scene().isShown("comboConfirm"));
    scene().hookKey(0xE0, true);
    scene().hookKey(0xE0, false);  // releases do not count
    scene().hookKey(0xE1, true);
    scene().hookKey(0x16, true);
    QCOMPARE(scene().text("comboField"), QStringLiteral("LCtrl + LShift + S"));
    QCOMPARE(pageEntry(), Entry({0, 0, 0xF2, 0}));  // taken on confirm only
    QVERIFY(scene().click("comboConfirm"));
    QCOMPARE(pageEntry(), Entry({2, 0x03, 0x16, 0}));
    QVERIFY(!scene().isShown("comboConfirm"));
    QCOMPARE(scene().property("keyAssignment", "title").toString(),
        QStringLiteral("Key 3: LCtrl + LShift + S"));
    scene().hookKey(0x17, true);  // no longer collecting
    QCOMPARE(pageEntry(), Entry({2, 0x03, 0x16, 0}));
    QVERIFY(closePage());
    QCOMPARE(rowText(2), QStringLiteral("LCtrl + LShift + S"));

    // A third key is ignored.
    QVERIFY(openButton(1));
    QVERIFY(scene().click("assignSection2"));
    QVERIFY(scene().click("comboField"));
    for (int code : {0xE0, 0x04, 0x05, 0x06})
        scene().hookKey(code, true);
    QCOMPARE(scene().text("comboField"), QStringLiteral("LCtrl + A + B"));
    QVERIFY(scene().click("comboConfirm"));
    QCOMPARE(pageEntry(), Entry({2, 0x01, 0x04, 0x05}));
    QVERIFY(closePage());

    // Cancel, and a confirm with nothing collected, leave the entry as it was.
    QVERIFY(openButton(4));
    QVERIFY(scene().click("assignSection2"));
    QVERIFY(scene().click("comboField"));
    scene().hookKey(0x04, true);
    QVERIFY(scene().click("comboCancel"));
    QCOMPARE(pageEntry(), Entry({0, 0, 0xF3, 0}));
    QCOMPARE(scene().text("comboField"), QStringLiteral("Click Input"));
    QVERIFY(scene().click("comboField"));
    QVERIFY(scene().click("comboConfirm"));
    QCOMPARE(pageEntry(), Entry({0, 0, 0xF3, 0}));
    QCOMPARE(scene().text("comboField"), QStringLiteral("Click Input"));
    QVERIFY(closePage());
    QCOMPARE(listEntry(4), Entry({0, 0, 0xF3, 0}));

    QVERIFY(scene().click("saveButton"));
    QTRY_COMPARE(storedEntry(2), Entry({2, 0x03, 0x16, 0}));
    QCOMPARE(storedEntry(1), Entry({2, 0x01, 0x04, 0x05}));
    QCOMPARE(
        deviceMatrix(1), factoryDeviceWith({{1, {0, 0x01, 0x04, 0x05}}, {2, {0, 0x03, 0x16, 0}}}));

    // Shown again after the program starts anew, the text is rebuilt from the values.
    rig->scene.reset();
    rig->window.reset();
    QVERIFY(rig->start());
    QCOMPARE(rowText(2), QStringLiteral("LCtrl+LShift+S"));
    QCOMPARE(rowText(1), QStringLiteral("LCtrl+A+B"));
}

// Every choice of the media, DPI, Windows and shortcut lists sets its exact entry, shown by
// its label in the title and on the row.
void TestButtons::everyListedChoiceSetsItsEntry()
{
    struct Choice
    {
        int label;
        const char *text;
        Entry entry;
    };
    const QList<std::pair<int, QList<Choice>>> sections = {
        {3,
            {{27, "Player", {3, 0, 0x83, 0x01}}, {28, "Next", {3, 0, 0xB5, 0}},
                {29, "Privous", {3, 0, 0xB6, 0}}, {30, "Stop", {3, 0, 0xB7, 0}},
                {31, "Mute", {3, 0, 0xE2, 0}}, {32, "Play/Pause", {3, 0, 0xCD, 0}},
                {33, "Volumn+", {3, 0, 0xE9, 0}}, {34, "Volumn-", {3, 0, 0xEA, 0}}}},
        {6,
            {{35, "My PC", {6, 0, 0x94, 0x01}}, {36, "Index", {6, 0, 0x23, 0x02}},
                {37, "Search", {6, 0, 0x21, 0x02}}, {38, "Max", {6, 0x04, 0x2C, 0x1B}},
                {39, "Min", {6, 0x04, 0x2C, 0x11}}, {40, "Desktop", {6, 0, 0xE3, 0x07}},
                {41, "Run", {6, 0, 0xE3, 0x15}}}},
        {7,
            {{42, "New", {7, 0, 0xE0, 0x11}}, {43, "Cut", {7, 0, 0xE0, 0x1B}},
                {44, "Copy", {7, 0, 0xE0, 0x06}}, {45, "Paste", {7, 0, 0xE0, 0x19}},
                {46, "Save", {7, 0, 0xE0, 0x16}}, {47, "Print", {7, 0, 0xE0, 0x13}},
                {48, "Find", {7, 0, 0xE0, 0x09}}, {49, "Redo", {7, 0, 0xE0, 0x1C}},
                {50, "Undo", {7, 0, 0xE0, 0x1D}}, {51, "Select All", {7, 0, 0xE0, 0x04}}}},
        {5,
            {{22, "DPI+", {5, 0, 1, 0}}, {23, "DPI-", {5, 0, 2, 0}}, {24, "DPI LOOP", {5, 0, 3, 0}},
                {56, "Sniper Key", {5, 0, 4, 0}}}},
    };
    QVERIFY(rig->start());
    QVERIFY(openButton(3));
    QVERIFY(!scene().find("assignSection8"));  // the gun section is not offered
    for (const auto &section : sections) {
        QVERIFY(scene().click(QStringLiteral("assignSection%1").arg(section.first)));
        for (const Choice &choice : section.second) {
            const QString name = QStringLiteral("assignChoice%1").arg(choice.label);
            QVERIFY2(scene().click(name), qPrintable(name));
            QCOMPARE(pageEntry(), choice.entry);
            QCOMPARE(scene().property("keyAssignment", "title").toString(),
                QStringLiteral("Key 4: ") + QLatin1String(choice.text));
            QVERIFY(scene().property(name, "checked").toBool());
        }
        const Choice &last = section.second.last();
        QVERIFY(closePage());
        QCOMPARE(listEntry(3), last.entry);
        QCOMPARE(rowText(3), QLatin1String(last.text));
        QVERIFY(openButton(3));
        // The page opens on the section of the button's function.
        QCOMPARE(scene()
                     .property(QStringLiteral("assignSection%1").arg(section.first), "current")
                     .toBool(),
            true);
    }
    QVERIFY(closePage());
    QVERIFY(sim::wireLog().empty());

    // The sniper key as the 553 family takes it.
    QVERIFY(scene().click("saveButton"));
    QTRY_COMPARE(storedEntry(3), Entry({5, 0, 4, 0}));
    QCOMPARE(deviceMatrix(1), factoryDeviceWith({{3, {7, 0, 4, 2}}}));
}

void TestButtons::onlyLeftClickButtonKeepsIt()
{
    QVERIFY(rig->start());
    const QByteArray before = rig->fileBytes(rig->profileFile(0));
    QVERIFY(!scene().isShown("keyMatrixHint"));
    QVERIFY(scene().click("keyMatrixRow0"));
    SceneDriver::settle(100);
    QVERIFY(!scene().isShown("keyAssignment"));
    QVERIFY(scene().isShown("keyMatrixHint"));
    QCOMPARE(
        scene().text("keyMatrixHintText"), QStringLiteral("One button must keep the left click"));
    QCOMPARE(scene().evaluate("selectedButton").toInt(), -1);
    QVERIFY(scene().click("mouseMarker1"));
    SceneDriver::settle(100);
    QVERIFY(!scene().isShown("keyAssignment"));
    QCOMPARE(scene().evaluate("selectedButton").toInt(), -1);
    QVERIFY(!saveIsRed());
    QVERIFY(scene().click("saveButton"));
    SceneDriver::settle(200);
    QVERIFY(sim::wireLog().empty());
    QCOMPARE(rig->fileBytes(rig->profileFile(0)), before);

    // With a second left click either button can be reassigned, until one holds it alone.
    QVERIFY(openButton(1));
    QVERIFY(scene().click("assignChoice2"));
    QVERIFY(closePage());
    QVERIFY(openButton(0));
    QVERIFY(scene().click("assignChoice4"));
    QVERIFY(closePage());
    QVERIFY(scene().click("keyMatrixRow1"));
    SceneDriver::settle(100);
    QVERIFY(!scene().isShown("keyAssignment"));
    QVERIFY(openButton(0));
    QVERIFY(closePage());

    QVERIFY(scene().click("saveButton"));
    QTRY_COMPARE(storedEntry(0), Entry({0, 0, 0xF1, 0}));
    QCOMPARE(storedEntry(1), Entry({0, 0, 0xF0, 0}));
    QCOMPARE(deviceMatrix(1), factoryDeviceWith({{0, {1, 0, 0xF1, 0}}, {1, {1, 0, 0xF0, 0}}}));
}

void TestButtons::closeAndBackIcons()
{
    QVERIFY(rig->start());
    // Back on a button holding its factory entry, and closing unchanged: nothing happens.
    QVERIFY(openButton(1));
    QVERIFY(scene().click("keyAssignmentBack"));
    QCOMPARE(pageEntry(), Entry({0, 0, 0xF1, 0}));
    QVERIFY(closePage());
    QVERIFY(!saveIsRed());
    QVERIFY(!scene().evaluate("page(keyMatrixPlace).isSave").toBool());

    QVERIFY(openButton(2));
    QVERIFY(scene().click("assignChoice7"));
    QVERIFY(closePage());
    QVERIFY(saveIsRed());
    QVERIFY(openButton(2));
    QVERIFY(closePage());
    QVERIFY(saveIsRed());  // a close without change leaves the flag as it was
    QVERIFY(scene().click("saveButton"));
    QTRY_COMPARE(storedEntry(2), Entry({0, 0xF0, 0x1E, 2}));
    QVERIFY(!saveIsRed());
    sim::clearWireLog();

    QVERIFY(openButton(2));
    QVERIFY(closePage());
    QVERIFY(!saveIsRed());

    // Back on a changed button: the factory entry, on the page and in the list, Save red.
    QVERIFY(openButton(2));
    QVERIFY(scene().click("keyAssignmentBack"));
    QCOMPARE(pageEntry(), Entry({0, 0, 0xF2, 0}));
    QCOMPARE(scene().property("keyAssignment", "title").toString(),
        QStringLiteral("Key 3: Middle Key"));
    QVERIFY(scene().isShown("keyAssignment"));
    QCOMPARE(listEntry(2), Entry({0, 0, 0xF2, 0}));
    QCOMPARE(rowText(2), QStringLiteral("Middle Key"));
    QVERIFY(saveIsRed());
    QVERIFY(closePage());
    QVERIFY(saveIsRed());
    QVERIFY(sim::wireLog().empty());
    QVERIFY(scene().click("saveButton"));
    QTRY_COMPARE(storedEntry(2), Entry({0, 0, 0xF2, 0}));
    QCOMPARE(deviceMatrix(1), factoryDeviceWith({}));
}

// A macro chosen for button 5 goes to macro slot 4 once, when the page closes, and its name
// is stored for that slot; choosing another macro for the same slot sends that one.
void TestButtons::chosenMacroIsSentOnce()
{
    writeBurstAndReload();
    QVERIFY(rig->start());

    QVERIFY(openButton(4));
    QVERIFY(scene().click("assignSection4"));
    QCOMPARE(scene().property("macroChoice0", "modelData").toString(), QStringLiteral("Burst"));
    QCOMPARE(scene().property("macroChoice1", "modelData").toString(), QStringLiteral("Reload"));
    QVERIFY(scene().property("macroMode0", "checked").toBool());
    QVERIFY(scene().click("macroMode1"));
    QVERIFY(scene().click("macroChoice1"));
    QCOMPARE(pageEntry(), Entry({4, 1, 4, 0}));
    QCOMPARE(
        scene().property("keyAssignment", "title").toString(), QStringLiteral("Key 5: Reload"));
    QVERIFY(scene().click("macroMode2"));
    QCOMPARE(pageEntry(), Entry({4, 2, 4, 0}));
    QVERIFY(sim::wireLog().empty());

    QVERIFY(closePage());
    QTRY_COMPARE(sentReports(), write(0x13, {5, 0x80}, kReloadRecord));
    QCOMPARE(bytes(rig->state().macros.at(5)), kReloadRecord);
    QTRY_COMPARE(rig->profileValue(0, "mouseMacroKey/4").toString(), QStringLiteral("Reload"));
    QCOMPARE(rowText(4), QStringLiteral("Reload"));
    QVERIFY(saveIsRed());

    // Unchanged, nothing is sent again.
    sim::clearWireLog();
    QVERIFY(openButton(4));
    QVERIFY(scene().property("macroMode2", "checked").toBool());
    QVERIFY(closePage());
    SceneDriver::settle(200);
    QVERIFY(sim::wireLog().empty());

    // Another macro in the same slot and mode is a change too.
    QVERIFY(openButton(4));
    QVERIFY(scene().click("macroChoice0"));
    QCOMPARE(pageEntry(), Entry({4, 2, 4, 0}));
    QVERIFY(closePage());
    QTRY_COMPARE(sentReports(), write(0x13, {5, 0x80}, kBurstRecord));
    QTRY_COMPARE(rig->profileValue(0, "mouseMacroKey/4").toString(), QStringLiteral("Burst"));

    sim::clearWireLog();
    QVERIFY(scene().click("saveButton"));
    QTRY_COMPARE(storedEntry(4), Entry({4, 2, 4, 0}));
    QCOMPARE(deviceMatrix(1), factoryDeviceWith({{4, {9, 2, 5, 0}}}));
    QCOMPARE(commandCodes().count(0x13), 0);
}

void TestButtons::restoreDefaultButtons()
{
    rig->setProfileValue(0, "mouseKeyMatrix/1", QStringList {"3", "0", "226", "0"});
    rig->setProfileValue(0, "mouseKeyMatrix/3", QStringList {"1", "4", "10", "0"});
    QVERIFY(rig->start());
    QCOMPARE(rowText(1), QStringLiteral("Mute"));
    QCOMPARE(
        scene().property("keyMatrixRestore", "name").toString(), QStringLiteral("Restore Default"));
    QVERIFY(scene().click("keyMatrixRestore"));
    QCOMPARE(rowText(1), QStringLiteral("Right Key"));
    QCOMPARE(rowText(3), QStringLiteral("Forward Key"));
    QVERIFY(saveIsRed());
    QVERIFY(sim::wireLog().empty());
    QVERIFY(scene().click("saveButton"));
    QTRY_COMPARE(storedEntry(1), Entry({0, 0, 0xF1, 0}));
    const QSettings factory(rig->file("modules/setting/pD.bin"), QSettings::IniFormat);
    for (int i = 0; i < 16; ++i) {
        const QString key = QStringLiteral("mouseKeyMatrix/%1").arg(i);
        QCOMPARE(rig->profileValue(0, key).toStringList(), factory.value(key).toStringList());
    }
    QCOMPARE(deviceMatrix(1), factoryDeviceWith({}));

    // With everything at the factory entries the control changes nothing.
    QVERIFY(scene().click("keyMatrixRestore"));
    QVERIFY(!saveIsRed());
}

// What the macro editor asks of the list when a macro is renamed, edited or deleted.
void TestButtons::macroBoundButtons()
{
    rig->setProfileValue(0, "mouseKeyMatrix/4", QStringList {"4", "0", "4", "0"});
    rig->setProfileValue(0, "mouseMacroKey/4", "Reload");
    rig->setProfileValue(0, "mouseKeyMatrix/3", QStringList {"4", "1", "3", "0"});
    rig->setProfileValue(0, "mouseMacroKey/3", "Other");
    QVERIFY(rig->start());
    QCOMPARE(rowText(4), QStringLiteral("Reload"));
    QCOMPARE(ints(scene().evaluate("page(keyMatrixPlace).macroSlotsOf('Reload')")), Entry {4});
    QCOMPARE(ints(scene().evaluate("page(keyMatrixPlace).macroSlotsOf('None')")), Entry {});

    scene().evaluate("page(keyMatrixPlace).renameMacro('Reload', 'Fast')");
    QCOMPARE(rowText(4), QStringLiteral("Fast"));
    QTRY_COMPARE(rig->profileValue(0, "mouseMacroKey/4").toString(), QStringLiteral("Fast"));
    QCOMPARE(rig->profileValue(0, "mouseMacroKey/3").toString(), QStringLiteral("Other"));
    QVERIFY(sim::wireLog().empty());

    QCOMPARE(scene().evaluate("page(keyMatrixPlace).restoreMacroButtons('Fast')").toInt(), 1);
    QCOMPARE(rowText(4), QStringLiteral("Back Key"));
    QCOMPARE(rowText(3), QStringLiteral("Other"));
    QTRY_COMPARE(storedEntry(4), Entry({0, 0, 0xF3, 0}));
    QCOMPARE(storedEntry(3), Entry({4, 1, 3, 0}));
    QCOMPARE(deviceMatrix(1), factoryDeviceWith({{3, {9, 1, 4, 0}}}));
    QVERIFY(!saveIsRed());
}

// The macro editor, opened from the button page, renames the macro chosen there, and later
// deletes another one chosen there: the page follows both, and the device gets the renamed
// macro's record, never an empty one.
void TestButtons::pageFollowsTheMacroEditor()
{
    writeBurstAndReload();
    QVERIFY(rig->start());
    auto editInEditor = [this](auto action) {
        QVERIFY(scene().click("macroEditorLink"));
        QVERIFY(scene().waitUsable("macroEditor"));
        action();
        QVERIFY(scene().click("macroEditorClose"));
    };

    QVERIFY(openButton(4));
    QVERIFY(scene().click("assignSection4"));
    QVERIFY(scene().click("macroChoice1"));
    editInEditor([this] {
        QVERIFY(scene().doubleClick("macroListRow1"));
        scene().typeText("Fast");
        scene().key(Qt::Key_Return);
    });
    QCOMPARE(scene().property("keyAssignment", "title").toString(), QStringLiteral("Key 5: Fast"));
    QVERIFY(closePage());
    QTRY_COMPARE(sentReports(), write(0x13, {5, 0x80}, kReloadRecord));
    QCOMPARE(rowText(4), QStringLiteral("Fast"));
    QTRY_COMPARE(rig->iniText(rig->profileFile(0), "mouseMacroKey/4"), QStringLiteral("Fast"));

    sim::clearWireLog();
    QVERIFY(openButton(3));
    QVERIFY(scene().click("assignSection4"));
    QVERIFY(scene().click("macroChoice0"));
    // The editor opened from the keyboard; its opener, the link, goes with the macro.
    scene().find("macroEditorLink")->forceActiveFocus();
    scene().key(Qt::Key_Space);
    QVERIFY(scene().waitUsable("macroEditor"));
    QVERIFY(scene().click("macroListRow0", Qt::RightButton));
    QVERIFY(scene().click("macroListMenuEntry0"));  // Delete
    QVERIFY(scene().click("questionAnswer0"));      // confirmed
    QCOMPARE(pageEntry(), Entry({0, 0, 244, 0}));
    // Esc closes the editor and the focus goes to a control the button page still shows, so
    // a second Esc closes that page.
    scene().key(Qt::Key_Escape);
    QTRY_VERIFY(!scene().isShown("macroEditor"));
    QTRY_VERIFY(scene()
                    .evaluate("Window.activeFocusItem !== null && Window.activeFocusItem.visible")
                    .toBool());
    scene().key(Qt::Key_Escape);
    QTRY_VERIFY(!scene().isShown("keyAssignment"));
    SceneDriver::settle(300);
    QCOMPARE(commandCodes().count(0x13), 0);
    QCOMPARE(rowText(3), QStringLiteral("Forward Key"));
    QCOMPARE(rig->iniText(rig->profileFile(0), "mouseMacroKey/3"), QString());
}

// The 560 gun mouse: a gun button makes Save send profile image 0, the four key matrices with
// the periods of the guns chosen for the three gun slots, and make matrix 1 current.
void TestButtons::saveOnThe560GunMouse()
{
    rig->configure(sim::Family::F560, true);
    {
        QSettings guns(rig->file("modules/gun/gunData.bin"), QSettings::IniFormat);
        const QStringList names {"M416", "AKM", "M16A4", "SCAR-L", "UNP9", "Thomson"};
        for (int i = 0; i < names.size(); ++i)
            guns.setValue(QStringLiteral("gunData/%1").arg(i),
                QStringList {names.at(i), "L-Click", QString::number(11 + i), "0", "6", "0"});
    }
    rig->dir.setGlobal("mouse/selectGun", QStringList {"4", "0", "2"});
    rig->setProfileValue(0, "mouseKeyMatrix/4", QStringList {"8", "0", "3", "0"});
    const sim::DeviceId device = rig->plug();
    sim::modifyState(device, [](sim::DeviceState &s) {
        s.profiles[0][3] = 0x66;
        s.profiles[0][2] = 0x07;
    });
    QVERIFY(rig->start());
    QCOMPARE(rowText(4), QStringLiteral("Gun 3"));
    QCOMPARE(ints(scene().evaluate("page(keyMatrixPlace).gunPeriods")), Entry({15, 11, 13}));

    QVERIFY(openButton(1));
    QVERIFY(scene().click("assignChoice3"));
    QVERIFY(closePage());
    PropertyTrace progress(scene().item("busyIndicator"), "fraction");
    QVERIFY(scene().click("saveButton"));
    QTRY_VERIFY(rig->state().keyMatrices.count(4) == 1);

    // The bar under the busy indicator rose one step per exchange from 0 to 1, and went.
    const int count = int(exchanges(sim::wireLog()).size());
    QCOMPARE(scene().evaluate("ui_View.plannedExchanges()").toInt(), count);
    QList<double> steps;
    for (int i = 1; i <= count; ++i)
        steps << double(i) / count;
    steps << 0.0;
    QCOMPARE(progress.values, steps);
    QVERIFY(!scene().isShown("progressBar"));

    QByteArray image0(128, '\0');
    image0[2] = 0x1F;
    image0[3] = 0x66;
    QList<Entry> main = kFactoryDevice;
    main[1] = {1, 0, 0xF2, 0};
    main[4] = {8, 0, 1, 0};
    const QList<Entry> table = {{1, 0, 240, 0}, {1, 0, 241, 0}, {1, 0, 242, 0}, {1, 0, 244, 0},
        {8, 0, 3, 0}, {7, 0, 3, 0}, {5, 0, 3, 0}, {7, 0, 1, 0}, {13, 0, 0, 0}, {13, 1, 0, 0},
        {0, 0, 0, 0}, {0, 0, 0, 0}, {14, 0, 0, 0}, {0, 0, 0, 0}, {4, 0, 1, 0}, {4, 0, 2, 0}};
    QStringList expected = write(0x0C, {0, 0x80}, image0);
    expected += write(0x0D, {1, 0x80}, block(main) + QByteArray(64, '\0'));
    const int periods[3] = {15, 11, 13};
    const int gunCount[3] = {3, 3, 0};
    for (int s = 0; s < 3; ++s) {
        QList<Entry> gun = table;
        gun[0] = {0x0B, s, periods[s], 0};
        gun[4] = {8, 0, gunCount[s], 0};
        expected += write(0x0D, {uchar(s + 2), 0x80}, block(gun) + QByteArray(64, '\0'));
    }
    expected += command(0x02, {1});
    const QStringList wire = sentReports();
    QVERIFY2(runIn(wire, expected) >= 0, qPrintable(wire.join('\n')));
    QCOMPARE(countOf(wire, command(0x02, {1})), 1);
    // Save sends the lighting panel after the buttons: its eight colours go to bytes 24 … 47.
    image0.replace(24, 24, QByteArray::fromHex("ff0000ff8000ffff0000ff0000ffff0000ff8000ffffffff"));
    const auto &profile0 = rig->state().profiles[0];
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(profile0.data()), 128), image0);
    QCOMPARE(int(rig->state().currentProfile), 1);
    QTRY_COMPARE(storedEntry(4), Entry({8, 0, 3, 0}));

    // A second long write of the session counts its own exchanges: the bar fills again from
    // its first step to the whole.
    QVERIFY(openButton(1));
    QVERIFY(scene().click("assignChoice2"));
    QVERIFY(closePage());
    sim::clearWireLog();
    PropertyTrace again(scene().item("busyIndicator"), "fraction");
    QVERIFY(scene().click("saveButton"));
    QTRY_VERIFY(!scene().property("busyIndicator", "running").toBool());
    const int secondCount = int(exchanges(sim::wireLog()).size());
    QVERIFY(secondCount > 1);
    steps.clear();
    for (int i = 1; i <= secondCount; ++i)
        steps << double(i) / secondCount;
    steps << 0.0;
    QCOMPARE(again.values, steps);
}

QTEST_MAIN(TestButtons)
#include "tst_buttons.moc"
