// The profiles page as a user meets it: the stored list and its first entry, New, Import,
// Export, Delete with its guards, rename, and switching profiles through the page and the
// drop-down, checked in the name file, the profile files and on the simulated mouse.

#include "scene_rig.h"
#include "scripted_dialogs.h"

#include <QtTest>

using namespace simtest;

class TestProfilesPage : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        rig = std::make_unique<SceneRig>();
        dialogs = std::make_unique<ScriptedFileDialogs>();
    }
    void cleanup()
    {
        dialogs.reset();
        rig.reset();
    }

    void firstEntryIsStandard();
    void newTakesTheLowestFreeNumberUpToSix();
    void deleteGoesByProfileNumber();
    void importKeepsTheEntryOnlyWhenAFileWasRead();
    void exportWritesTheProfileInUse();
    void renameTakesNewNamesOnly();
    void switchingResendsThePages();

private:
    SceneDriver &scene() { return *rig->scene; }
    QString nameFile() const { return rig->file("modules/setting/name.bin"); }
    void writeNames(const QStringList &names)
    {
        QSettings(nameFile(), QSettings::IniFormat).setValue("profile/profileName", names);
    }
    QStringList storedNames() const
    {
        return QSettings(nameFile(), QSettings::IniFormat)
            .value("profile/profileName")
            .toStringList();
    }
    QStringList dropDownNames() { return scene().evaluate("topMenu.profileNames").toStringList(); }
    QStringList pageNames() { return scene().property("profileList", "model").toStringList(); }
    bool openPage() { return scene().click("configButton") && scene().waitUsable("profileList"); }
    // The list's right-click menu on row, then its entry (0 Use, 1 Rename, 2 Delete).
    bool menu(int row, int entry)
    {
        const QString name = QStringLiteral("profileListRow%1").arg(row);
        return scene().click(name, Qt::RightButton)
            && scene().click(QStringLiteral("profileListMenuEntry%1").arg(entry));
    }

    std::unique_ptr<SceneRig> rig;
    std::unique_ptr<ScriptedFileDialogs> dialogs;
};

// Each load names the first entry "Standard" (text 5 of the language) and stores the list;
// a missing list becomes the profile in use alone.
void TestProfilesPage::firstEntryIsStandard()
{
    writeNames({"Main0", "Work1", "Games7", "Office2"});
    QVERIFY(rig->start());
    QCOMPARE(storedNames(), (QStringList {"Standard0", "Work1", "Office2"}));
    QCOMPARE(dropDownNames(), (QStringList {"Standard", "Work", "Office"}));
    QVERIFY(openPage());
    QCOMPARE(scene().property("profilesPage", "width").toInt(), 415);
    QCOMPARE(scene().property("profilesPage", "height").toInt(), 288);
    QCOMPARE(pageNames(), (QStringList {"Standard", "Work", "Office"}));
    QCOMPARE(scene().property("profileList", "markedIndex").toInt(), 0);
    rig.reset();

    rig = std::make_unique<SceneRig>();
    QVERIFY(QFile::remove(nameFile()));
    rig->dir.setGlobal("mouse/profileNo", 3);
    rig->dir.setGlobal("common/language", "ChineseSimplified");
    QVERIFY(rig->start());
    const QString standard =
        QSettings(rig->file("modules/i18n/ChineseSimplified.ini"), QSettings::IniFormat)
            .value("profile/5")
            .toString();
    QVERIFY(!standard.isEmpty() && standard != "Standard");
    // A list of one is stored with the name file's padding name after it.
    QCOMPARE(storedNames(), (QStringList {standard + "3", "loaderpivlan"}));
    QCOMPARE(dropDownNames(), QStringList {standard});
    rig.reset();

    // The installed list is already right: it is left as it is.
    rig = std::make_unique<SceneRig>();
    const QByteArray installed = rig->fileBytes(nameFile());
    QVERIFY(installed.contains("Standard0"));
    const QDateTime written = QFileInfo(nameFile()).lastModified();
    QVERIFY(rig->start());
    QCOMPARE(dropDownNames(), QStringList {"Standard"});
    QCOMPARE(rig->fileBytes(nameFile()), installed);
    QCOMPARE(QFileInfo(nameFile()).lastModified(), written);
}

// New adds "profile_" + the lowest free k with the lowest free profile number and gives it
// the factory profile; with six entries New and Import do nothing.
void TestProfilesPage::newTakesTheLowestFreeNumberUpToSix()
{
    writeNames({"Standard0", "Work1", "profile_03", "Games4", "profile_25"});
    rig->setProfileValue(2, "mouse/reportRate", 10);
    const QByteArray factory = rig->fileBytes(rig->file("modules/setting/pD.bin"));
    QVERIFY(rig->fileBytes(rig->profileFile(2)) != factory);
    const QByteArray inUse = rig->fileBytes(rig->profileFile(0));
    QVERIFY(rig->startAt("configButton", "profileList"));

    QVERIFY(scene().click("profileNew"));
    QCOMPARE(storedNames(),
        (QStringList {"Standard0", "Work1", "profile_03", "Games4", "profile_25", "profile_12"}));
    QTRY_COMPARE(rig->fileBytes(rig->profileFile(2)), factory);
    QCOMPARE(rig->fileBytes(rig->profileFile(0)), inUse);
    QCOMPARE(dropDownNames().last(), QStringLiteral("profile_1"));
    QCOMPARE(scene().property("profileList", "currentIndex").toInt(), 5);
    QVERIFY(sim::wireLog().empty());

    // A sixth New and an Import cannot be asked for, and change nothing when called.
    QVERIFY(!scene().property("profileNew", "enabled").toBool());
    QVERIFY(!scene().property("profileImport", "enabled").toBool());
    const QByteArray names = rig->fileBytes(nameFile());
    scene().evaluate("page(profilesPlace).addNew()");
    scene().evaluate("page(profilesPlace).importProfile()");
    QCOMPARE(rig->fileBytes(nameFile()), names);
    QCOMPARE(pageNames().size(), 6);
    QVERIFY(dialogs->captions.isEmpty());
}

// Delete refuses the first entry and the entry of the profile in use, judged by the entry's
// profile number, also once an earlier delete has moved entries up. The files stay.
void TestProfilesPage::deleteGoesByProfileNumber()
{
    writeNames({"Standard0", "A1", "B2", "C4"});
    rig->dir.setGlobal("mouse/profileNo", 2);
    rig->setProfileValue(1, "mouse/reportRate", 20);
    const QByteArray fileA = rig->fileBytes(rig->profileFile(1));
    QVERIFY(rig->startAt("configButton", "profileList"));
    QCOMPARE(scene().property("profileList", "markedIndex").toInt(), 2);

    QVERIFY(scene().click("profileListRow0"));
    QVERIFY(!scene().property("profileDelete", "enabled").toBool());
    QVERIFY(menu(0, 2));
    QVERIFY(scene().click("profileListRow2"));
    QVERIFY(!scene().property("profileDelete", "enabled").toBool());
    QVERIFY(menu(2, 2));
    QCOMPARE(storedNames(), (QStringList {"Standard0", "A1", "B2", "C4"}));

    QVERIFY(scene().click("profileListRow1"));
    QVERIFY(scene().click("profileDelete"));
    QCOMPARE(storedNames(), (QStringList {"Standard0", "B2", "C4"}));
    QCOMPARE(dropDownNames(), (QStringList {"Standard", "B", "C"}));
    // The profile in use now stands at position 1, and position 2 holds profile 4.
    QCOMPARE(scene().property("profileList", "markedIndex").toInt(), 1);
    QVERIFY(menu(1, 2));
    QCOMPARE(storedNames(), (QStringList {"Standard0", "B2", "C4"}));
    QVERIFY(scene().click("profileListRow2"));
    QVERIFY(scene().property("profileDelete", "enabled").toBool());
    QVERIFY(menu(2, 2));
    QCOMPARE(storedNames(), (QStringList {"Standard0", "B2"}));

    QCOMPARE(rig->fileBytes(rig->profileFile(1)), fileA);
    QCOMPARE(rig->globalValue("mouse/profileNo").toInt(), 2);
    QVERIFY(sim::wireLog().empty());
}

// A cancelled import leaves list and files as they were; a chosen file becomes the new
// entry's profile.
void TestProfilesPage::importKeepsTheEntryOnlyWhenAFileWasRead()
{
    writeNames({"Standard0", "Work2"});
    QVERIFY(rig->startAt("configButton", "profileList"));
    const QByteArray names = rig->fileBytes(nameFile());
    const QByteArray second = rig->fileBytes(rig->profileFile(1));

    QVERIFY(scene().click("profileImport"));
    QCOMPARE(dialogs->captions, QStringList {"Open File"});
    QCOMPARE(pageNames(), (QStringList {"Standard", "Work"}));
    QCOMPARE(dropDownNames(), (QStringList {"Standard", "Work"}));
    QCOMPARE(rig->fileBytes(nameFile()), names);
    QCOMPARE(rig->fileBytes(rig->profileFile(1)), second);

    // A file that is no profile is refused, beside the button.
    const QString damaged = rig->file("damaged.pf");
    QFile bytes(damaged);
    QVERIFY(bytes.open(QIODevice::WriteOnly));
    bytes.write(QByteArray(3000, '\x01'));
    bytes.close();
    dialogs->answer = damaged;
    QVERIFY(scene().click("profileImport"));
    QCOMPARE(scene().text("profileNotice"),
        QStringLiteral("Import refused: \"%1\" is not a profile file.").arg(damaged));
    QCOMPARE(rig->fileBytes(nameFile()), names);
    QCOMPARE(rig->fileBytes(rig->profileFile(1)), second);

    const QString exchange = rig->file("friend.pf");
    {
        QSettings pf(exchange, QSettings::IniFormat);
        pf.setValue("mouse/reportRate", 77);
        pf.setValue("mouse/scrollRate", 9);
    }
    dialogs->answer = exchange;
    QVERIFY(scene().click("profileImport"));
    QCOMPARE(storedNames(), (QStringList {"Standard0", "Work2", "profile_01"}));
    QTRY_COMPARE(rig->fileBytes(rig->profileFile(1)), rig->fileBytes(exchange));
    QCOMPARE(pageNames(), (QStringList {"Standard", "Work", "profile_0"}));
    QVERIFY(sim::wireLog().empty());
}

// Export writes the profile in use byte for byte over the chosen file, whichever entry is
// selected; a cancelled dialog writes nothing.
void TestProfilesPage::exportWritesTheProfileInUse()
{
    writeNames({"Standard0", "Work3"});
    rig->setProfileValue(3, "mouse/reportRate", 30);
    QVERIFY(rig->start());
    // Unsaved changes in the profile in use reach its file first.
    QVERIFY(scene().setSlider("lodSlider", 60));
    QVERIFY(scene().click("saveButton"));
    QVERIFY(openPage());

    const QString target = rig->file("out.pf");
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an older export, longer than the profile file will be ... ");
    old.close();
    QVERIFY(scene().click("profileExport"));
    QCOMPARE(dialogs->captions, QStringList {"Save File"});
    QVERIFY(rig->fileBytes(target)
        == QByteArray("an older export, longer than the profile file will be ... "));

    dialogs->answer = target;
    QVERIFY(scene().click("profileExport"));
    QCOMPARE(rig->fileBytes(target), rig->fileBytes(rig->profileFile(0)));
    QVERIFY(rig->fileBytes(target).contains("reportRate=60"));

    QVERIFY(scene().click("profileListRow1"));
    QVERIFY(scene().click("profileExport"));
    QCOMPARE(rig->fileBytes(target), rig->fileBytes(rig->profileFile(0)));
    QVERIFY(!rig->fileBytes(target).contains("reportRate=30"));

    // Never onto one of the program's own files.
    const QByteArray other = rig->fileBytes(rig->profileFile(3));
    dialogs->answer = rig->profileFile(3);
    QVERIFY(scene().click("profileExport"));
    QCOMPARE(scene().text("profileNotice"),
        QStringLiteral("Export refused: \"%1\" is one of the program's own files.")
            .arg(rig->profileFile(3)));
    QCOMPARE(rig->fileBytes(rig->profileFile(3)), other);
}

// A double click opens the name for editing; only a name no entry has is taken.
void TestProfilesPage::renameTakesNewNamesOnly()
{
    writeNames({"Standard0", "Work1", "Games2"});
    QVERIFY(rig->startAt("configButton", "profileList"));

    QVERIFY(scene().doubleClick("profileListRow1"));
    QVERIFY(scene().waitUsable("profileListEditor"));
    scene().key(Qt::Key_A, Qt::ControlModifier);
    scene().typeText("Games");
    scene().key(Qt::Key_Return);
    QCOMPARE(storedNames(), (QStringList {"Standard0", "Work1", "Games2"}));
    QCOMPARE(pageNames(), (QStringList {"Standard", "Work", "Games"}));
    QCOMPARE(scene().text("profileNotice"),
        QStringLiteral("\"Games\" is already in the list; choose another name."));

    // The first entry is named by the language at every start: its name stays.
    QVERIFY(scene().doubleClick("profileListRow0"));
    QVERIFY(scene().waitUsable("profileListEditor"));
    scene().key(Qt::Key_A, Qt::ControlModifier);
    scene().typeText("Mine");
    scene().key(Qt::Key_Return);
    QCOMPARE(storedNames(), (QStringList {"Standard0", "Work1", "Games2"}));
    QCOMPARE(scene().text("profileNotice"),
        QStringLiteral("The first profile is always called \"Standard\"; its name cannot be changed."));

    QVERIFY(menu(1, 1));
    QVERIFY(scene().waitUsable("profileListEditor"));
    scene().key(Qt::Key_A, Qt::ControlModifier);
    scene().typeText("Office 2");
    scene().key(Qt::Key_Return);
    QCOMPARE(storedNames(), (QStringList {"Standard0", "Office 21", "Games2"}));
    QCOMPARE(dropDownNames(), (QStringList {"Standard", "Office 2", "Games"}));
}

// Switching through the page and back through the drop-down makes the other profile the
// one in use and sends its pages to the mouse.
void TestProfilesPage::switchingResendsThePages()
{
    writeNames({"Standard0", "Work3"});
    rig->setProfileValue(3, "mouse/reportRate", 89);
    rig->setProfileValue(3, "mouse/dpiValueArray",
        QStringList {"1000", "2000", "3000", "4000", "5000", "6000", "7000", "8000"});
    rig->setProfileValue(3, "mouse/currentDpiCount", 2);
    rig->setProfileValue(3, "mouse/lightValue", QStringList {"2", "3", "4"});
    QVERIFY(rig->startAt("configButton", "profileList"));
    QVERIFY(!scene().property("profileUse", "enabled").toBool());

    QVERIFY(scene().click("profileListRow1"));
    QVERIFY(scene().click("profileUse"));
    QTRY_COMPARE(rig->globalValue("mouse/profileNo").toInt(), 3);
    QTRY_COMPARE(int(rig->state().liftOff), 125);
    sim::DeviceState device = rig->state();
    QCOMPARE(int(device.dpiStageCount), 2);
    QCOMPARE(int(device.dpiTable[0]), 9);
    QCOMPARE(int(device.dpiTable[1]), 19);
    QCOMPARE(int(device.dpiTable[2]), 0x80);
    // Neon at speed 3 on a multi-colour mouse: mode 4, value B 3.
    QCOMPARE(int(device.ledEffect[0]), 4);
    QCOMPARE(int(device.ledEffect[2]), 3);
    QCOMPARE(scene().property("profileList", "markedIndex").toInt(), 1);
    QCOMPARE(scene().evaluate("topMenu.profileIndex").toInt(), 1);
    QCOMPARE(scene().property("dpiPage", "stageCount").toInt(), 2);
    QVERIFY(rig->window->view()->isEnabled());

    QVERIFY(scene().click("profilesPageClose"));
    QVERIFY(scene().choose("profileDropDown", 0));
    QTRY_COMPARE(rig->globalValue("mouse/profileNo").toInt(), 0);
    QTRY_COMPARE(int(rig->state().liftOff), 107);
    device = rig->state();
    QCOMPARE(int(device.dpiStageCount), 4);
    QCOMPARE(int(device.dpiTable[1]), 7);
    QCOMPARE(int(device.ledEffect[0]), 1);
    QVERIFY(openPage());
    QCOMPARE(scene().property("profileList", "markedIndex").toInt(), 0);
    QCOMPARE(scene().property("profileList", "currentIndex").toInt(), 0);
}

QTEST_MAIN(TestProfilesPage)
#include "tst_profiles_page.moc"
