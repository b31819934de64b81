// The window's language on a German desktop (the test runs with LANG=de_DE.UTF-8 and
// LANGUAGE=de): a fresh installation speaks German, the system page switches every page, the
// tray menu and the notices at once, the choice survives a restart, and "Same as the desktop"
// brings German back. The list of languages is in the order of the window's language and
// scrolls where the window ends.

#include "notification_texts.h"
#include "scene_rig.h"
#include "shown_texts.h"

#include <QMenu>
#include <QtTest>

using namespace simtest;

class TestLanguages : public QObject
{
    Q_OBJECT

private slots:
    void init() { rig = std::make_unique<SceneRig>(); }
    void cleanup() { rig.reset(); }

    void desktopLanguageThenChoiceThenDesktopAgain();

private:
    SceneDriver &scene() const { return *rig->scene; }
    QStringList section(const QString &language, const QString &name) const;
    int listIndexOf(const QString &code) const;
    QStringList shownList() const;
    bool chooseFromKeyboard(int index);
    QStringList shownGerman();
    bool restart();

    std::unique_ptr<SceneRig> rig;
};

QStringList TestLanguages::section(const QString &language, const QString &name) const
{
    const QSettings file(rig->file("modules/i18n/" + language + ".ini"), QSettings::IniFormat);
    QStringList texts;
    for (int i = 0; i < file.value(name + "/total").toInt(); ++i)
        texts << file.value(QStringLiteral("%1/%2").arg(name).arg(i)).toString();
    return texts;
}

// The entries of the language drop-down (0 follows the desktop).
QStringList TestLanguages::shownList() const
{
    return scene().property("languageChoice", "model").toStringList();
}

// The entry of the language drop-down that names the language.
int TestLanguages::listIndexOf(const QString &code) const
{
    const QSettings file(rig->file("modules/i18n/" + code + ".ini"), QSettings::IniFormat);
    return shownList().indexOf(file.value("language/name").toString());
}

// Drops the list, moves to the entry with Down and chooses it with Enter; the entry under
// the highlight is scrolled into the list's view, inside the window.
bool TestLanguages::chooseFromKeyboard(int index)
{
    if (!scene().click("languageChoice"))
        return false;
    while (scene().property("languageChoice", "highlighted").toInt() < index)
        scene().key(Qt::Key_Down);
    QQuickItem *row = scene().item("languageChoiceItem" + QString::number(index));
    QQuickItem *view = row ? row->parentItem()->parentItem()->parentItem() : nullptr;
    if (!row || !row->hasActiveFocus() || !view)
        return false;
    const QRectF shown = view->mapRectToScene(QRectF(0, 0, view->width(), view->height()));
    const QRectF place = row->mapRectToScene(QRectF(0, 0, row->width(), row->height()));
    if (!shown.contains(place) || shown.bottom() > row->window()->height())
        return false;
    scene().key(Qt::Key_Return);
    return true;
}

// Shown texts holding a German text that the Korean file does not have.
QStringList TestLanguages::shownGerman()
{
    QStringList korean;
    for (const char *name :
        {"main", "keyMatrix", "keyAssigment", "dpiSetting", "lightControl", "macroEditor",
            "systemSetting", "gunControl", "profile", "notices", "programs", "keyCode"})
        korean << section("ko", name);
    const QString allKorean = korean.join('\n');
    QStringList german;
    for (const char *name :
        {"main", "keyMatrix", "keyAssigment", "dpiSetting", "lightControl", "macroEditor",
            "systemSetting", "gunControl", "profile", "notices", "programs", "keyCode"}) {
        for (const QString &text : section("de", name)) {
            if (text.size() >= 3 && !allKorean.contains(text))
                german << text;
        }
    }
    QStringList found;
    forShownTexts(scene().view()->quickWindow()->contentItem(), [&](QQuickItem *item) {
        const QString shown = item->property("text").toString();
        for (const QString &text : german) {
            if (shown.contains(text))
                found << placeOf(item) + ": " + shown;
        }
    });
    return found;
}

bool TestLanguages::restart()
{
    rig->scene.reset();
    rig->window.reset();
    return rig->start();
}

void TestLanguages::desktopLanguageThenChoiceThenDesktopAgain()
{
    // A fresh installation follows the desktop.
    QCOMPARE(rig->globalValue("common/language").toString(), QStringLiteral("desktop"));
    QVERIFY(rig->start());
    QCOMPARE(scene().text("saveButton"), section("de", "main").at(10));
    QCOMPARE(scene().text("configButton"), section("de", "main").at(4));

    // Pages built in German: the button page, the macro editor with a macro recorded.
    QVERIFY(scene().click("keyMatrixRow1"));
    QVERIFY(scene().waitUsable("keyAssignment"));
    QCOMPARE(scene().property("keyAssignment", "title").toString(),
        QStringLiteral("Taste 2: ") + scene().text("keyMatrixText1"));
    QVERIFY(scene().click("assignSection3"));
    QVERIFY(scene().click("keyAssignmentClose"));
    // Numbers with the German decimal sign and unit.
    QVERIFY(scene().setSlider("lodSlider", 25));
    QCOMPARE(scene().text("lodSlider"), QStringLiteral("0,5 mm"));
    QVERIFY(scene().click("macroEditorEntry"));
    QVERIFY(scene().waitUsable("macroNewButton"));
    QVERIFY(scene().click("macroNewButton"));
    QVERIFY(scene().click("macroRecordButton"));
    for (int code : {0x4C, 0x2C})
        scene().hookKey(code, true);
    QVERIFY(scene().click("macroRecordButton"));
    QVERIFY(scene().click("macroEditorClose"));

    // Korean, chosen on the system page, shows at once everywhere.
    QVERIFY(scene().click("systemSettingEntry"));
    QVERIFY(scene().waitUsable("languageChoice"));
    QCOMPARE(scene().property("languageChoice", "currentIndex").toInt(), 0);
    // In German order, and longer than the room below the box.
    QCOMPARE(shownList().mid(1, 9),
        (QStringList {"Bahasa Indonesia", "\u010Ce\u0161tina", "Deutsch", "English", "Espa\u00F1ol",
            "Fran\u00E7ais", "Italiano", "Magyar", "Nederlands"}));
    QVERIFY(scene().click("languageChoice"));
    QVERIFY(scene().property("languageChoice", "shownRows").toInt() < shownList().size());
    scene().key(Qt::Key_Escape);
    QVERIFY(chooseFromKeyboard(listIndexOf("ko")));
    QCOMPARE(rig->globalValue("common/language").toString(), QStringLiteral("ko"));
    QCOMPARE(scene().property("systemSettings", "title").toString(),
        section("ko", "systemSetting").at(0));
    QCOMPARE(scene().text("saveButton"), section("ko", "main").at(10));
    QCOMPARE(scene().property("languageChoice", "currentIndex").toInt(), listIndexOf("ko"));
    QVERIFY2(shownGerman().isEmpty(), qPrintable(shownGerman().join(" | ")));
    QVERIFY(scene().click("systemSettingsOk"));
    QVERIFY(SceneDriver::waitFor([this] { return scene().isShown("mainScreen"); }));
    QVERIFY2(shownGerman().isEmpty(), qPrintable(shownGerman().join(" | ")));
    // Each page as a user opens it: the button page of a button, the macro editor, the gun page,
    // the profiles and the programs pages.
    const QList<QPair<QString, QString>> pages {{"keyMatrixRow1", "keyAssignmentPlace"},
        {"macroEditorEntry", "macroEditorPlace"}, {"", "gunPlace"},
        {"configButton", "profilesPlace"}, {"", "programsPlace"}};
    for (const auto &[opener, place] : pages) {
        if (opener.isEmpty())
            scene().evaluate("openPopup(ensurePage(" + place + "))");
        else
            QVERIFY(scene().click(opener));
        SceneDriver::settle(100);
        QVERIFY2(shownGerman().isEmpty(), qPrintable(place + ": " + shownGerman().join(" | ")));
        scene().evaluate("closePopup(page(" + place + "))");
    }
    QCOMPARE(scene().evaluate("profileEntries[0].name").toString(), section("ko", "profile").at(5));
    // The tray menu and the notices of the device follow.
    const QList<QAction *> actions = rig->window->tray()->contextMenu()->actions();
    QCOMPARE(actions.last()->text(), section("ko", "other").at(8));
    QCOMPARE(NotificationTexts::forStage(2), section("ko", "other").at(1));

    // The choice stays after a restart.
    QVERIFY(restart());
    QCOMPARE(scene().text("saveButton"), section("ko", "main").at(10));
    QCOMPARE(
        rig->window->tray()->contextMenu()->actions().last()->text(), section("ko", "other").at(8));

    // "Same as the desktop" brings German back, and is what is stored.
    QVERIFY(scene().click("systemSettingEntry"));
    QVERIFY(scene().waitUsable("languageChoice"));
    QVERIFY(scene().choose("languageChoice", 0));
    QCOMPARE(scene().text("saveButton"), section("de", "main").at(10));
    QCOMPARE(rig->globalValue("common/language").toString(), QStringLiteral("desktop"));
    QTRY_COMPARE(
        rig->window->tray()->contextMenu()->actions().last()->text(), section("de", "other").at(8));
}

QTEST_MAIN(TestLanguages)
#include "tst_languages.moc"
