// The macro editor as a user meets it: the list of macros, recording from the keys and
// buttons of the desktop, the step edits, import and export, and what reaches the macro
// files, the name file, the profiles and the device's macro slots.

#include "scene_rig.h"
#include "scripted_dialogs.h"

#include <QQuickItem>
#include <QtTest>

using namespace simtest;

namespace {

// A stored step text. A value with commas that was written without quotes reads back as a list.
QString storedText(const QVariant &value)
{
    return value.typeId() == QMetaType::QStringList ? value.toStringList().join(QLatin1Char(','))
                                                    : value.toString();
}

// The 128-byte record of key actions (code, release) with the given pauses after each, in
// 10 ms ticks below 127, repeated once: how the device stores a short macro.
QByteArray shortRecord(const QList<QPair<int, bool>> &actions, const QList<int> &ticks)
{
    QByteArray record("\x00\x01", 2);
    for (int i = 0; i < actions.size(); ++i) {
        const int pause = i == actions.size() - 1 ? 1 : qMax(1, ticks.value(i));
        record.append(char(pause | (actions.at(i).second ? 0x80 : 0)));
        record.append(char(actions.at(i).first));
    }
    record.append(2, '\0');
    return record + QByteArray(128 - record.size(), '\0');
}

// The macro ids the host sent records to, in order (553 set-macro command, byte 2).
QList<int> macroIdsSent()
{
    QList<int> ids;
    for (const sim::WireRecord &r : records(sim::Direction::FeatureOut))
        if (r.bytes.at(1) == 0x13)
            ids.append(r.bytes.at(2));
    return ids;
}

const QStringList kPressAndRelease {
    QStringLiteral("1,A"), QStringLiteral("0,50"), QStringLiteral("2,A")};

}  // namespace

class TestMacroEditor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void loadsTheListAndOpens();
    void recordsKeysWithAndWithoutDelay();
    void recordingStopsAtTheSizeLimit();
    void clicksOnTheEditorAreNotRecorded();
    void newTakesTheLowestFreeNumber();
    void renameChecksTheNewName();
    void deleteRestoresTheBoundButtons();
    void editingSteps();
    void editingSendsToTheBoundSlotOnly();
    void typedRepeatCountsBeforeRecording();
    void exportThenImport();
    void stepsRecordedInAnotherLanguage();
    void japaneseMacroPlaysInGerman();

private:
    SceneDriver &scene() const { return *rig->scene; }
    QString macroFile(const QString &name) const
    {
        return rig->file(QStringLiteral("modules/macro/%1.bin").arg(name));
    }
    QStringList stepsOf(const QString &name) const;
    int repeatOf(const QString &name) const;
    void writeNames(const QStringList &names);
    QStringList storedNames() const;
    void bindButton(int profile, int position, const QString &macro);
    bool openEditor();
    bool chooseMenu(const QString &row, const QString &list, int entry);
    QString rowText(const QString &row) const;
    QStringList shownSteps() const;
    QPoint globalPoint(const QString &objectName) const;
    bool edit(const QString &list, int row, const QString &text);
    QString editorWithFocus() const;

    std::unique_ptr<SceneRig> rig;
};

void TestMacroEditor::init()
{
    rig = std::make_unique<SceneRig>();
}

void TestMacroEditor::cleanup()
{
    rig.reset();
}

QStringList TestMacroEditor::stepsOf(const QString &name) const
{
    if (!QFile::exists(macroFile(name)))
        return {QStringLiteral("(no file)")};
    const QSettings file(macroFile(name), QSettings::IniFormat);
    QStringList steps;
    const int total = file.value(QStringLiteral("config/total")).toInt();
    for (int i = 0; i < total; ++i)
        steps << storedText(file.value(QStringLiteral("macro/%1").arg(i)));
    if (file.contains(QStringLiteral("macro/%1").arg(total)))
        steps << QStringLiteral("(step beyond total)");
    return steps;
}

int TestMacroEditor::repeatOf(const QString &name) const
{
    return QSettings(macroFile(name), QSettings::IniFormat)
        .value(QStringLiteral("config/repeat"))
        .toInt();
}

void TestMacroEditor::writeNames(const QStringList &names)
{
    QSettings(rig->file(QStringLiteral("modules/setting/name.bin")), QSettings::IniFormat)
        .setValue(QStringLiteral("macro/macroName"), names);
}

QStringList TestMacroEditor::storedNames() const
{
    return QSettings(rig->file(QStringLiteral("modules/setting/name.bin")), QSettings::IniFormat)
        .value(QStringLiteral("macro/macroName"))
        .toStringList();
}

// Button at position bound to the macro: a macro entry whose slot is the position, and the
// slot's macro name.
void TestMacroEditor::bindButton(int profile, int position, const QString &macro)
{
    rig->setProfileValue(profile, QStringLiteral("mouseKeyMatrix/%1").arg(position),
        QStringList {"4", "0", QString::number(position), "0"});
    rig->setProfileValue(profile, QStringLiteral("mouseMacroKey/%1").arg(position), macro);
}

bool TestMacroEditor::openEditor()
{
    return scene().click(QStringLiteral("macroEditorEntry"))
        && scene().waitUsable(QStringLiteral("macroEditor"));
}

bool TestMacroEditor::chooseMenu(const QString &row, const QString &list, int entry)
{
    return scene().click(row, Qt::RightButton)
        && scene().click(QStringLiteral("%1MenuEntry%2").arg(list).arg(entry));
}

// The text a list row shows.
QString TestMacroEditor::rowText(const QString &row) const
{
    QQuickItem *item = scene().find(row);
    if (!item)
        return QString();
    for (QQuickItem *child : item->childItems())
        if (child->inherits("QQuickText") && child->isVisible())
            return child->property("text").toString();
    return QString();
}

QStringList TestMacroEditor::shownSteps() const
{
    QStringList shown;
    for (int i = 0; scene().find(QStringLiteral("stepListRow%1").arg(i)); ++i)
        shown << rowText(QStringLiteral("stepListRow%1").arg(i));
    return shown;
}

// Where the pointer is on the screen when it is over the middle of the item.
QPoint TestMacroEditor::globalPoint(const QString &objectName) const
{
    QQuickItem *item = scene().item(objectName);
    return item ? scene().view()->mapToGlobal(scene().pointOf(item)) : QPoint();
}

// The objectName of the in-place editor that has the keyboard, or "" when none is open.
QString TestMacroEditor::editorWithFocus() const
{
    QQuickItem *focus = scene().view()->quickWindow()->activeFocusItem();
    return focus && focus->isVisible() && focus->objectName().endsWith(QLatin1String("Editor"))
        ? focus->objectName()
        : QString();
}

// Opens the row of the list for editing with a double click, types text over it and accepts
// it; false when no editor opened.
bool TestMacroEditor::edit(const QString &list, int row, const QString &text)
{
    if (!scene().doubleClick(QStringLiteral("%1Row%2").arg(list).arg(row)))
        return false;
    if (editorWithFocus() != list + QLatin1String("Editor")) {
        qWarning().noquote() << "no editor on" << list << "row" << row;
        return false;
    }
    scene().typeText(text);
    scene().key(Qt::Key_Return);
    return editorWithFocus().isEmpty();
}

void TestMacroEditor::loadsTheListAndOpens()
{
    writeNames({"Only", "loaderpivlan"});
    rig->writeMacro("Only", kPressAndRelease, 3);
    QVERIFY(rig->start());
    QVERIFY(!scene().isShown("macroEditor"));
    QCOMPARE(scene().evaluate("macroNames").toStringList(), QStringList {"Only"});

    QVERIFY(openEditor());
    QVERIFY(scene().isShown("mask"));
    QCOMPARE(scene().property("macroEditor", "width").toInt(), 640);
    QCOMPARE(scene().property("macroEditor", "height").toInt(), 448);
    QCOMPARE(scene().property("macroEditor", "x").toInt(), (1024 - 640) / 2);
    QCOMPARE(scene().property("macroEditor", "y").toInt(), (640 - 448) / 2);

    // The sentinel is not shown; the first macro is selected with its steps and repeat count.
    QCOMPARE(rowText("macroListRow0"), QStringLiteral("Only"));
    QVERIFY(!scene().find("macroListRow1"));
    QCOMPARE(shownSteps(), (QStringList {"\u2193 A", "50 ms", "\u2191 A"}));
    QCOMPARE(scene().text("macroRepeatFieldInput"), QStringLiteral("3"));
    QCOMPARE(scene().text("macroSizeText"), QStringLiteral("8 / 126 bytes"));
    QCOMPARE(scene().text("macroRecordButton"), QStringLiteral("Start Record"));

    QVERIFY(scene().click("macroEditorClose"));
    QVERIFY(!scene().isShown("macroEditor"));
    QVERIFY(!scene().isShown("mask"));
    QVERIFY(sim::wireLog().empty());
}

void TestMacroEditor::recordsKeysWithAndWithoutDelay()
{
    QVERIFY(rig->start());
    QVERIFY(openEditor());
    QVERIFY(scene().click("macroNewButton"));
    QCOMPARE(storedNames(), (QStringList {"Macro_0", "loaderpivlan"}));
    QCOMPARE(stepsOf("Macro_0"), QStringList());
    QCOMPARE(scene().evaluate("macroNames").toStringList(), QStringList {"Macro_0"});

    // "Delay" cleared: a press and a release, nothing between them.
    QVERIFY(scene().click("macroRecordButton"));
    QCOMPARE(scene().text("macroRecordButton"), QStringLiteral("Stop Record"));
    scene().hookKey(0x04, true);
    QTest::qWait(100);
    scene().hookKey(0x04, false);
    QCOMPARE(shownSteps(), (QStringList {"\u2193 A", "\u2191 A"}));
    QCOMPARE(stepsOf("Macro_0"), QStringList());  // written when the recording stops
    QVERIFY(scene().click("macroRecordButton"));
    QCOMPARE(scene().text("macroRecordButton"), QStringLiteral("Start Record"));
    QCOMPARE(stepsOf("Macro_0"), (QStringList {"1,A", "2,A"}));
    QCOMPARE(repeatOf("Macro_0"), 1);
    QCOMPARE(scene().text("macroSizeText"), QStringLiteral("8 / 126 bytes"));

    // "Delay" set: the pause between the events in 10 ms ticks, none before the first event.
    QVERIFY(scene().click("macroDelayCheck"));
    QVERIFY(scene().click("macroRecordButton"));
    QTest::qWait(80);
    scene().hookKey(0x04, true);
    QTest::qWait(90);
    scene().hookKey(0x04, false);
    QVERIFY(scene().click("macroRecordButton"));
    const QStringList steps = stepsOf("Macro_0");
    QCOMPARE(steps.size(), 3);
    QCOMPARE(steps.at(0), QStringLiteral("1,A"));
    QCOMPARE(steps.at(2), QStringLiteral("2,A"));
    QVERIFY2(steps.at(1).startsWith("0,"), qPrintable(steps.at(1)));
    const int ms = steps.at(1).mid(2).toInt();
    QVERIFY2(ms >= 100 && ms <= 400 && ms % 10 == 0, qPrintable(steps.at(1)));
    QCOMPARE(shownSteps().at(1), QStringLiteral("%1 ms").arg(ms));

    // Keys pressed while not recording change nothing.
    scene().hookKey(0x05, true);
    scene().hookKey(0x05, false);
    QCOMPARE(stepsOf("Macro_0"), steps);
}

void TestMacroEditor::recordingStopsAtTheSizeLimit()
{
    QVERIFY(rig->start());
    QVERIFY(openEditor());
    QVERIFY(scene().click("macroNewButton"));
    QVERIFY(scene().click("macroRecordButton"));
    for (int i = 0; i < 70; ++i)
        Widget::onKeyboardHook(0x04, i % 2 == 0 ? 1 : 0, rig->window.get());
    SceneDriver::settle(300);
    QCOMPARE(scene().text("macroSizeText"), QStringLiteral("126 / 126 bytes"));
    QVERIFY(scene().click("macroRecordButton"));

    // 61 actions: 2 bytes of repeat count, 122 of entries, 2 end bytes.
    const QStringList steps = stepsOf("Macro_0");
    QCOMPARE(steps.size(), 61);
    QCOMPARE(steps.first(), QStringLiteral("1,A"));
    QCOMPARE(steps.last(), QStringLiteral("1,A"));

    // A full macro says so and offers no inserted step: Delete only.
    QCOMPARE(scene().text("macroHint"),
        QStringLiteral("The macro has reached 126 bytes, the most the mouse keeps; no step can be "
                       "added."));
    QVERIFY(scene().click("stepListRow60", Qt::RightButton));
    QVERIFY(scene().waitUsable("stepListMenuEntry0"));
    for (int entry = 1; entry <= 5; ++entry)
        QVERIFY(!scene()
                     .property(QStringLiteral("stepListMenuEntry%1").arg(entry), "enabled")
                     .toBool());
    scene().clickAt(scene().pointOf(scene().item("stepListMenuEntry3")));
    QVERIFY(!scene().isShown("macroInsertDialog"));
    QCOMPARE(stepsOf("Macro_0"), steps);

    // The record the device stores ends with the pause 1 and the end bytes.
    QList<QPair<int, bool>> actions;
    for (int i = 0; i < 61; ++i)
        actions.append({0x04, i % 2 == 1});
    scene().evaluate("macroFlows.sendMacro(\"Macro_0\", 0)");
    QTRY_VERIFY(rig->state().macros.count(1));
    QCOMPARE(bytes(rig->state().macros.at(1)), shortRecord(actions, {}));
    QCOMPARE(bytes(rig->state().macros.at(1)).mid(122, 6), QByteArray::fromHex("010400000000"));
}

void TestMacroEditor::clicksOnTheEditorAreNotRecorded()
{
    QVERIFY(rig->start());
    rig->window->move(130, 70);
    QVERIFY(openEditor());
    QVERIFY(scene().click("macroNewButton"));
    QVERIFY(scene().view()->mapToGlobal(QPoint(0, 0)) != QPoint(0, 0));

    // The click that starts the recording: its release arrives from the hook afterwards.
    const QPoint recordButton = globalPoint("macroRecordButton");
    scene().hover("macroRecordButton");
    scene().hookButton(0xF0, true, recordButton.x(), recordButton.y());
    QVERIFY(scene().click("macroRecordButton"));
    scene().hookButton(0xF0, false, recordButton.x(), recordButton.y());

    scene().hookKey(0x04, true);
    scene().hookKey(0x04, false);
    // A right click elsewhere on the desktop is part of the macro.
    const QPoint outside = scene().view()->mapToGlobal(QPoint(scene().view()->width() + 40, 200));
    scene().hookButton(0xF1, true, outside.x(), outside.y());
    scene().hookButton(0xF1, false, outside.x(), outside.y());
    // A middle click on the editor's step list is not.
    const QPoint onList = globalPoint("stepList");
    scene().hookButton(0xF2, true, onList.x(), onList.y());
    scene().hookButton(0xF2, false, onList.x(), onList.y());

    // The click that stops it: the hook sees the press before the button does.
    scene().hover("macroRecordButton");
    scene().hookButton(0xF0, true, recordButton.x(), recordButton.y());
    QVERIFY(scene().click("macroRecordButton"));
    scene().hookButton(0xF0, false, recordButton.x(), recordButton.y());

    QCOMPARE(stepsOf("Macro_0"), (QStringList {"1,A", "2,A", "3,MS-R", "4,MS-R"}));
    QCOMPARE(shownSteps(), (QStringList {"\u2193 A", "\u2191 A", "\u2193 MS-R", "\u2191 MS-R"}));
}

void TestMacroEditor::newTakesTheLowestFreeNumber()
{
    QStringList hundred;
    for (int k = 0; k < 100; ++k)
        hundred << QStringLiteral("Macro_%1").arg(k);
    writeNames(hundred);
    rig->writeMacro("Macro_3", kPressAndRelease);
    QVERIFY(rig->start());
    QVERIFY(openEditor());
    const QByteArray names = rig->fileBytes(rig->file("modules/setting/name.bin"));

    // With 100 macros "New" does nothing, and the list's menu offers no import.
    QVERIFY(!scene().property("macroNewButton", "enabled").toBool());
    QVERIFY(scene().click("macroListRow0", Qt::RightButton));
    QVERIFY(scene().waitUsable("macroListMenuEntry0"));
    QVERIFY(!scene().property("macroListMenuEntry1", "enabled").toBool());
    QVERIFY(scene().property("macroListMenuEntry2", "enabled").toBool());
    // A greyed entry under the highlight does nothing on Enter. (A greyed button cannot take
    // the focus at all.)
    scene().find("macroListMenu")->setProperty("highlighted", 1);
    scene().key(Qt::Key_Return);
    QCOMPARE(scene().text("macroHint"), QString());
    scene().key(Qt::Key_Escape);
    scene().evaluate("page(macroEditorPlace).newMacro()");
    QCOMPARE(rig->fileBytes(rig->file("modules/setting/name.bin")), names);
    QVERIFY(!QFile::exists(macroFile("Macro_100")));

    QVERIFY(scene().click("macroListRow3"));
    QCOMPARE(shownSteps(), (QStringList {"\u2193 A", "50 ms", "\u2191 A"}));
    QVERIFY(scene().click("macroDeleteButton"));
    QVERIFY(scene().click("questionAnswer0"));
    QVERIFY(!QFile::exists(macroFile("Macro_3")));
    QStringList left = hundred;
    left.removeAt(3);
    QCOMPARE(storedNames(), left);
    QCOMPARE(scene().evaluate("macroNames").toStringList(), left);
    // The entry after it is selected.
    QCOMPARE(scene().property("macroList", "currentIndex").toInt(), 3);

    // "New" takes the number that became free, at the end of the list.
    QVERIFY(scene().click("macroNewButton"));
    QCOMPARE(storedNames(), left + QStringList {"Macro_3"});
    QCOMPARE(scene().property("macroList", "currentIndex").toInt(), 99);
    QCOMPARE(stepsOf("Macro_3"), QStringList());
    const QSettings created(macroFile("Macro_3"), QSettings::IniFormat);
    QCOMPARE(created.value("config/repeat").toInt(), 1);
    QCOMPARE(created.value("config/did").toInt(), -1);
    QCOMPARE(created.value("config/index").toInt(), 0);
    QVERIFY(!scene().property("macroNewButton", "enabled").toBool());
}

void TestMacroEditor::renameChecksTheNewName()
{
    writeNames({"Macro_0", "Macro_1", "Ghost"});  // Ghost has lost its file
    rig->writeMacro("Macro_0", kPressAndRelease);
    rig->writeMacro("Macro_1", {"1,B", "2,B"});
    rig->writeMacro("Stray", {"1,C", "2,C"});
    for (int profile : {0, 2, 7})
        bindButton(profile, 2, "Macro_0");
    bindButton(0, 11, "Ghost");
    const QByteArray macro = rig->fileBytes(macroFile("Macro_0"));
    const QByteArray stray = rig->fileBytes(macroFile("Stray"));
    QVERIFY(rig->start());
    QVERIFY(openEditor());

    // A name already in the list: refused, and the hint says why.
    QVERIFY(edit("macroList", 0, "Macro_1"));
    QCOMPARE(rowText("macroListRow0"), QStringLiteral("Macro_0"));
    QCOMPARE(scene().text("macroHint"),
        QStringLiteral("\"Macro_1\" is already in the list; choose another name."));

    // Names the macro files cannot take, and the name of a file outside the list: refused
    // with the hint, nothing touched.
    for (const QString &refused :
        {QStringLiteral("a/b"), QStringLiteral("..x"), QStringLiteral("Stray")}) {
        QVERIFY(edit("macroList", 0, refused));
        QVERIFY2(scene().isShown("macroHint"), qPrintable(refused));
        QCOMPARE(
            scene().text("macroHint"), QStringLiteral("This name cannot be used for a macro file"));
        QCOMPARE(rowText("macroListRow0"), QStringLiteral("Macro_0"));
        QCOMPARE(storedNames(), (QStringList {"Macro_0", "Macro_1", "Ghost"}));
        QCOMPARE(rig->fileBytes(macroFile("Macro_0")), macro);
        QCOMPARE(rig->fileBytes(macroFile("Stray")), stray);
        QCOMPARE(rig->profileValue(0, "mouseMacroKey/2").toString(), QStringLiteral("Macro_0"));
    }

    // A macro whose file is gone cannot be renamed; its button keeps naming it.
    QVERIFY(edit("macroList", 2, "Real"));
    QVERIFY(scene().isShown("macroHint"));
    QCOMPARE(rowText("macroListRow2"), QStringLiteral("Ghost"));
    QCOMPARE(rig->profileValue(0, "mouseMacroKey/11").toString(), QStringLiteral("Ghost"));
    QVERIFY(!QFile::exists(macroFile("Real")));

    QVERIFY(edit("macroList", 0, "Fire"));
    QCOMPARE(rowText("macroListRow0"), QStringLiteral("Fire"));
    QCOMPARE(storedNames(), (QStringList {"Fire", "Macro_1", "Ghost"}));
    QVERIFY(!QFile::exists(macroFile("Macro_0")));
    QCOMPARE(rig->fileBytes(macroFile("Fire")), macro);
    QCOMPARE(rig->profileValue(0, "mouseMacroKey/2").toString(), QStringLiteral("Fire"));
    QCOMPARE(rig->profileValue(2, "mouseMacroKey/2").toString(), QStringLiteral("Fire"));
    QCOMPARE(rig->profileValue(7, "mouseMacroKey/2").toString(), QStringLiteral("Macro_0"));
    const QStringList renamed {"Fire", "Macro_1", "Ghost"};
    QCOMPARE(scene().evaluate("macroNames").toStringList(), renamed);
    if (scene().find("keyAssignment"))
        QCOMPARE(scene().property("keyAssignment", "macroNames").toStringList(), renamed);
    QCOMPARE(shownSteps(), (QStringList {"\u2193 A", "50 ms", "\u2191 A"}));
}

void TestMacroEditor::deleteRestoresTheBoundButtons()
{
    writeNames({"Macro_0", "Macro_1"});
    rig->writeMacro("Macro_0", kPressAndRelease);
    rig->writeMacro("Macro_1", {"1,B", "2,B"});
    bindButton(0, 4, "Macro_0");
    bindButton(1, 4, "Macro_0");
    bindButton(0, 10, "Macro_1");
    QVERIFY(rig->start());
    QVERIFY(openEditor());

    // Asked first, naming the macro and the buttons of every profile it plays on; the
    // question's close icon keeps it all, as Cancel does.
    QVERIFY(chooseMenu("macroListRow0", "macroList", 0));  // Delete
    QVERIFY(scene().waitUsable("questionBox"));
    QCOMPARE(scene().text("questionText"),
        QStringLiteral("Delete the macro \"Macro_0\"? 2 buttons use it and get their factory "
                       "functions back, on the mouse too.\nButton 5, Button 5 (2)"));
    QVERIFY(scene().click("questionBoxClose"));
    QVERIFY(QFile::exists(macroFile("Macro_0")));
    QCOMPARE(rig->profileValue(1, "mouseKeyMatrix/4").toStringList(),
        (QStringList {"4", "0", "4", "0"}));
    QVERIFY(sim::wireLog().empty());

    QVERIFY(scene().click("macroDeleteButton"));
    QVERIFY(scene().click("questionAnswer0"));
    QVERIFY(!QFile::exists(macroFile("Macro_0")));
    QCOMPARE(storedNames(), (QStringList {"Macro_1", "loaderpivlan"}));
    QCOMPARE(scene().evaluate("macroNames").toStringList(), QStringList {"Macro_1"});
    QCOMPARE(rowText("macroListRow0"), QStringLiteral("Macro_1"));
    QCOMPARE(shownSteps(), (QStringList {"\u2193 B", "\u2191 B"}));

    // Button 5 of both profiles holds its factory entry again; the other macro's button stays.
    const QSettings factory(rig->file("modules/setting/pD.bin"), QSettings::IniFormat);
    const QVariant factoryEntry = factory.value("mouseKeyMatrix/4");
    QCOMPARE(factoryEntry.toStringList(), (QStringList {"0", "0", "243", "0"}));
    QCOMPARE(rig->profileValue(0, "mouseKeyMatrix/4").toStringList(), factoryEntry.toStringList());
    QCOMPARE(rig->profileValue(1, "mouseKeyMatrix/4").toStringList(), factoryEntry.toStringList());
    QCOMPARE(rig->profileValue(0, "mouseKeyMatrix/10").toStringList(),
        (QStringList {"4", "0", "10", "0"}));

    QVERIFY(scene().find("keyMatrix"));
    // The device got the whole key matrix with button 5 as a mouse button (kind 1, 0xF3).
    QTRY_VERIFY(rig->state().keyMatrices.count(1));
    QCOMPARE(bytes(rig->state().keyMatrices.at(1)).mid(16, 4), QByteArray::fromHex("0100F300"));
    QCOMPARE(bytes(rig->state().keyMatrices.at(1)).mid(40, 4), QByteArray::fromHex("09000B00"));
}

void TestMacroEditor::editingSteps()
{
    writeNames({"Macro_0", "loaderpivlan"});
    rig->writeMacro("Macro_0", kPressAndRelease);
    QVERIFY(rig->start());
    QVERIFY(openEditor());

    // Insert Key in the middle: press before release, at the selected step.
    QVERIFY(chooseMenu("stepListRow1", "stepList", 2));
    QVERIFY(scene().waitUsable("macroInsertDialog"));
    scene().hookKey(0x05, true);
    QCOMPARE(scene().text("macroInsertKey"), QStringLiteral("B"));
    scene().hookKey(0x05, false);
    QVERIFY(scene().click("macroInsertOk"));
    QVERIFY(!scene().isShown("macroInsertDialog"));
    QStringList expected {"1,A", "1,B", "2,B", "0,50", "2,A"};
    QCOMPARE(stepsOf("Macro_0"), expected);

    // Insert Left Key: the button's press and release right after the selected step.
    QVERIFY(chooseMenu("stepListRow0", "stepList", 3));
    expected = QStringList {"1,A", "3,MS-L", "4,MS-L", "1,B", "2,B", "0,50", "2,A"};
    QCOMPARE(stepsOf("Macro_0"), expected);

    // With the last step selected, keys and buttons go to the end.
    QVERIFY(chooseMenu("stepListRow6", "stepList", 2));
    scene().hookKey(0xE0, true);
    QVERIFY(scene().click("macroInsertOk"));
    expected << "1,LCtrl"
             << "2,LCtrl";
    QCOMPARE(stepsOf("Macro_0"), expected);
    QVERIFY(chooseMenu("stepListRow8", "stepList", 5));  // Insert Right Key
    expected << "3,MS-R"
             << "4,MS-R";
    QCOMPARE(stepsOf("Macro_0"), expected);

    // Insert Key closed without a key, or with the close icon, adds nothing.
    QVERIFY(chooseMenu("stepListRow2", "stepList", 2));
    QVERIFY(scene().click("macroInsertOk"));
    QVERIFY(chooseMenu("stepListRow2", "stepList", 2));
    scene().hookKey(0x06, true);
    QVERIFY(scene().click("macroInsertClose"));
    QCOMPARE(stepsOf("Macro_0"), expected);

    // Insert Delay: 50 ms before the selected step; Delete removes the selected step.
    QVERIFY(chooseMenu("stepListRow2", "stepList", 1));
    expected.insert(2, "0,50");
    QCOMPARE(stepsOf("Macro_0"), expected);
    QCOMPARE(scene().property("stepList", "currentIndex").toInt(), 2);
    QVERIFY(chooseMenu("stepListRow1", "stepList", 0));
    expected.removeAt(1);
    QCOMPARE(stepsOf("Macro_0"), expected);
    QCOMPARE(expected,
        (QStringList {"1,A", "0,50", "4,MS-L", "1,B", "2,B", "0,50", "2,A", "1,LCtrl", "2,LCtrl",
            "3,MS-R", "4,MS-R"}));

    // A delay's milliseconds by double click: 0 … 65535; anything else (an emptied text too)
    // restores them, and the hint says why.
    QVERIFY(edit("stepList", 5, "200"));
    expected[5] = "0,200";
    QCOMPARE(stepsOf("Macro_0"), expected);
    QCOMPARE(rowText("stepListRow5"), QStringLiteral("200 ms"));
    for (const QString &wrong :
        {QStringLiteral("65536"), QStringLiteral("-1"), QStringLiteral("x"), QString()}) {
        scene().find("macroEditor")->setProperty("hint", QString());
        QVERIFY(scene().doubleClick("stepListRow5"));
        scene().key(Qt::Key_Backspace);
        scene().typeText(wrong);
        scene().key(Qt::Key_Return);
        QCOMPARE(stepsOf("Macro_0"), expected);
        QCOMPARE(rowText("stepListRow5"), QStringLiteral("200 ms"));
        QCOMPARE(scene().text("macroHint"),
            QStringLiteral("A delay is a whole number of milliseconds from 0 to 65535."));
    }
    QVERIFY(edit("stepList", 1, "0"));
    expected[1] = "0,0";
    QCOMPARE(stepsOf("Macro_0"), expected);
    // A key step has no number to edit.
    QVERIFY(scene().doubleClick("stepListRow3"));
    QCOMPARE(editorWithFocus(), QString());

    // The repeat count: 1 … 65535.
    QVERIFY(scene().click("macroRepeatFieldInput"));
    scene().key(Qt::Key_A, Qt::ControlModifier);
    scene().typeText("65535");
    scene().key(Qt::Key_Return);
    QCOMPARE(repeatOf("Macro_0"), 65535);
    scene().key(Qt::Key_A, Qt::ControlModifier);
    scene().typeText("0");
    scene().key(Qt::Key_Return);
    QCOMPARE(repeatOf("Macro_0"), 65535);
    QCOMPARE(scene().text("macroRepeatFieldInput"), QStringLiteral("65535"));
    QCOMPARE(stepsOf("Macro_0"), expected);
}

void TestMacroEditor::editingSendsToTheBoundSlotOnly()
{
    writeNames({"Macro_0", "Macro_1"});
    rig->writeMacro("Macro_0", {});
    rig->writeMacro("Macro_1", {"1,B", "2,B"});
    bindButton(0, 3, "Macro_0");  // button 4: slot 3
    bindButton(1, 5, "Macro_0");  // another profile
    bindButton(0, 6, "Macro_1");
    QVERIFY(rig->start());
    QVERIFY(scene().find("keyMatrix"));
    QVERIFY(openEditor());

    // Record Ctrl+C with the pauses between the keys.
    QVERIFY(scene().click("macroDelayCheck"));
    QVERIFY(scene().click("macroRecordButton"));
    scene().hookKey(0xE0, true);
    QTest::qWait(60);
    scene().hookKey(0x06, true);
    QTest::qWait(60);
    scene().hookKey(0x06, false);
    QTest::qWait(60);
    scene().hookKey(0xE0, false);
    QVERIFY(scene().click("macroRecordButton"));
    QStringList steps = stepsOf("Macro_0");
    QCOMPARE(steps.size(), 7);
    QTRY_COMPARE(macroIdsSent(), QList<int> {4});

    // Then one delay edited: sent again to slot 3, and only there.
    sim::clearWireLog();
    QVERIFY(edit("stepList", 1, "500"));
    steps = stepsOf("Macro_0");
    QCOMPARE(steps.at(1), QStringLiteral("0,500"));
    QTRY_COMPARE(macroIdsSent(), QList<int> {4});

    QList<int> ticks;
    for (int i : {1, 3, 5})
        ticks << steps.at(i).mid(2).toInt() / 10;
    const QByteArray expected =
        shortRecord({{0xE0, false}, {0x06, false}, {0x06, true}, {0xE0, true}}, ticks);
    QCOMPARE(bytes(rig->state().macros.at(4)), expected);
    QCOMPARE(int(rig->state().macros.size()), 1);

    // The repeat count goes to the device too.
    sim::clearWireLog();
    QVERIFY(scene().click("macroRepeatFieldInput"));
    scene().key(Qt::Key_A, Qt::ControlModifier);
    scene().typeText("300");
    scene().key(Qt::Key_Return);
    // Each keystroke's count counts at once: 3, 30 and 300 go out in turn.
    QTRY_COMPARE(macroIdsSent(), (QList<int> {4, 4, 4}));
    QCOMPARE(bytes(rig->state().macros.at(4)).left(2), QByteArray::fromHex("012C"));
    QCOMPARE(int(rig->state().macros.size()), 1);
}

// A repeat count typed and not confirmed counts before the recording starts: the macro's
// steps stay until the recording stops, and then go out with that count.
void TestMacroEditor::typedRepeatCountsBeforeRecording()
{
    writeNames({"Macro_0", "loaderpivlan"});
    rig->writeMacro("Macro_0", kPressAndRelease);
    bindButton(0, 3, "Macro_0");
    QVERIFY(rig->start());
    QVERIFY(scene().find("keyMatrix"));
    QVERIFY(openEditor());
    QVERIFY(scene().click("macroRepeatField"));
    scene().key(Qt::Key_A, Qt::ControlModifier);
    scene().typeText("3");
    sim::clearWireLog();
    QVERIFY(scene().click("macroRecordButton"));
    QCOMPARE(repeatOf("Macro_0"), 3);
    QCOMPARE(stepsOf("Macro_0"), kPressAndRelease);

    scene().hookKey(0x05, true);
    scene().hookKey(0x05, false);
    QVERIFY(scene().click("macroRecordButton"));
    QCOMPARE(stepsOf("Macro_0"), (QStringList {"1,B", "2,B"}));
    QCOMPARE(repeatOf("Macro_0"), 3);
    QTRY_COMPARE(macroIdsSent(), QList<int> {4});
    QByteArray expected = shortRecord({{0x05, false}, {0x05, true}}, {});
    expected[1] = 3;
    QCOMPARE(bytes(rig->state().macros.at(4)), expected);
}

void TestMacroEditor::exportThenImport()
{
    writeNames({"Macro_0", "loaderpivlan"});
    rig->writeMacro("Macro_0", {"1,A", "0,50", "2,A", "3,MS-M", "4,MS-M"}, 7);
    rig->writeMacro("Macro_1", {"1,C", "2,C"});  // a macro file the list does not hold
    const QByteArray stray = rig->fileBytes(macroFile("Macro_1"));
    QVERIFY(rig->start());
    QVERIFY(openEditor());
    ScriptedFileDialogs dialogs;

    const QString exchange = rig->file("fire.mc");
    dialogs.answer = exchange;
    QVERIFY(chooseMenu("macroListRow0", "macroList", 2));  // Export
    QCOMPARE(dialogs.captions, QStringList {"Save File"});
    QCOMPARE(rig->fileBytes(exchange), rig->fileBytes(macroFile("Macro_0")));

    // Imported before the selected entry, under the lowest name no list entry and no file has.
    QVERIFY(chooseMenu("macroListRow0", "macroList", 1));  // Import
    QCOMPARE(dialogs.captions.last(), QStringLiteral("Open File"));
    QCOMPARE(storedNames(), (QStringList {"Macro_2", "Macro_0"}));
    QCOMPARE(rig->fileBytes(macroFile("Macro_2")), rig->fileBytes(exchange));
    QCOMPARE(rig->fileBytes(macroFile("Macro_1")), stray);
    QCOMPARE(scene().property("macroList", "currentIndex").toInt(), 0);
    QCOMPARE(shownSteps(),
        (QStringList {"\u2193 A", "50 ms", "\u2191 A", "\u2193 MS-M", "\u2191 MS-M"}));
    QCOMPARE(scene().text("macroRepeatFieldInput"), QStringLiteral("7"));
    QCOMPARE(scene().evaluate("macroNames").toStringList(), (QStringList {"Macro_2", "Macro_0"}));

    // A cancelled import leaves a new empty macro.
    dialogs.answer.clear();
    QVERIFY(chooseMenu("macroListRow1", "macroList", 1));
    QCOMPARE(storedNames(), (QStringList {"Macro_2", "Macro_3", "Macro_0"}));
    QCOMPARE(stepsOf("Macro_3"), QStringList());
    QCOMPARE(shownSteps(), QStringList());

    // Below the entries the menus open too: steps go to the end, an import after the last macro.
    QVERIFY(chooseMenu("stepListEmpty", "stepList", 4));  // Insert Middle Key
    QCOMPARE(stepsOf("Macro_3"), (QStringList {"3,MS-M", "4,MS-M"}));
    QVERIFY(chooseMenu("stepListEmpty", "stepList", 1));  // Insert Delay
    QCOMPARE(stepsOf("Macro_3"), (QStringList {"3,MS-M", "4,MS-M", "0,50"}));
    QVERIFY(chooseMenu("macroListEmpty", "macroList", 1));
    QCOMPARE(storedNames(), (QStringList {"Macro_2", "Macro_3", "Macro_0", "Macro_4"}));
    QCOMPARE(scene().property("macroList", "currentIndex").toInt(), 3);
    QVERIFY(sim::wireLog().empty());
}

// Steps recorded with the program in Chinese name their keys in Chinese, as the macro file
// keeps them. With the program in English and nothing edited, the editor shows the English
// names and the device gets the same key codes; a name no language has is marked unknown.
void TestMacroEditor::stepsRecordedInAnotherLanguage()
{
    rig->dir.setGlobal("common/language", "ChineseSimplified");
    QVERIFY(rig->start());
    QVERIFY(openEditor());
    QVERIFY(scene().click("macroNewButton"));
    QVERIFY(scene().click("macroRecordButton"));
    for (int code : {0x28, 0x2C}) {
        scene().hookKey(code, true);
        scene().hookKey(code, false);
    }
    QVERIFY(scene().click("macroRecordButton"));
    QCOMPARE(stepsOf("Macro_0"),
        (QStringList {"1,\u56DE\u8F66", "2,\u56DE\u8F66", "1,\u7A7A\u683C", "2,\u7A7A\u683C"}));

    rig->scene.reset();
    rig->window.reset();
    rig->dir.setGlobal("common/language", "English");
    rig->writeMacro("Odd", {"1,Nowhere", "2,Nowhere"});
    // Names German and Chinese gave Backspace and Delete in earlier versions.
    rig->writeMacro("Earlier", {"1,R\u00FCck", "2,R\u00FCck", "1,\u5220\u9664", "2,\u5220\u9664"});
    writeNames({"Macro_0", "Odd", "Earlier"});
    rig->allowConsole("names no known key");
    QVERIFY(rig->start());
    QVERIFY(openEditor());
    QCOMPARE(shownSteps(),
        (QStringList {"\u2193 Enter", "\u2191 Enter", "\u2193 Space", "\u2191 Space"}));
    QVERIFY(scene().click("macroListRow1"));
    QCOMPARE(shownSteps(),
        (QStringList {"\u2193 Nowhere (unknown key)", "\u2191 Nowhere (unknown key)"}));
    QVERIFY(scene().click("macroListRow2"));
    QCOMPARE(
        shownSteps(), (QStringList {"\u2193 Back", "\u2191 Back", "\u2193 Del", "\u2191 Del"}));
    QVERIFY(scene().click("macroEditorClose"));

    sim::clearWireLog();
    QVERIFY(scene().click("keyMatrixRow4"));
    QVERIFY(scene().click("assignSection4"));
    QVERIFY(scene().click("macroChoice0"));
    QVERIFY(scene().click("keyAssignmentClose"));
    QTRY_COMPARE(macroIdsSent(), QList<int> {5});
    QCOMPARE(bytes(rig->state().macros.at(5)),
        shortRecord({{0x28, false}, {0x28, true}, {0x2C, false}, {0x2C, true}}, {}));
}

// Recorded in Japanese, the steps keep the Japanese key names; in German the editor shows the
// German ones and the device gets the keys that were pressed.
void TestMacroEditor::japaneseMacroPlaysInGerman()
{
    const auto keyName = [this](const QString &language, int code) {
        const QSettings file(rig->file("modules/i18n/" + language + ".ini"), QSettings::IniFormat);
        return file.value(QStringLiteral("keyCode/%1").arg(code - 4)).toString();
    };
    const QList<int> keys {0x28, 0x2C, 0x4A, 0x4C};  // Enter, Space, Home, Delete
    rig->dir.setGlobal("common/language", "ja");
    QVERIFY(rig->start());
    QVERIFY(openEditor());
    QVERIFY(scene().click("macroNewButton"));
    QVERIFY(scene().click("macroRecordButton"));
    for (int code : keys)
        scene().hookKey(code, true);
    QVERIFY(scene().click("macroRecordButton"));
    QStringList japanese, german;
    for (int code : keys) {
        japanese << "1," + keyName("ja", code);
        german << "\u2193 " + keyName("de", code);
        QVERIFY(keyName("ja", code) != keyName("de", code));
    }
    QCOMPARE(stepsOf("Macro_0"), japanese);

    rig->scene.reset();
    rig->window.reset();
    rig->dir.setGlobal("common/language", "de");
    QVERIFY(rig->start());
    QVERIFY(openEditor());
    QCOMPARE(shownSteps(), german);
    QVERIFY(scene().click("macroEditorClose"));
    sim::clearWireLog();
    QVERIFY(scene().click("keyMatrixRow4"));
    QVERIFY(scene().click("assignSection4"));
    QVERIFY(scene().click("macroChoice0"));
    QVERIFY(scene().click("keyAssignmentClose"));
    QTRY_COMPARE(macroIdsSent(), QList<int> {5});
    QCOMPARE(bytes(rig->state().macros.at(5)),
        shortRecord({{0x28, false}, {0x2C, false}, {0x4A, false}, {0x4C, false}}, {}));
}

QTEST_MAIN(TestMacroEditor)
#include "tst_macro_editor.moc"
