// Every page in every shipped language: no shown text is wider than its box (unless it wraps,
// then no taller), cut or elided, and the font the scene takes for the language has a glyph
// for every character of the language's file.

#include "scene_rig.h"
#include "shown_texts.h"

#include <QDir>
#include <QRawFont>
#include <QtTest>

#include <functional>

using namespace simtest;

namespace {

struct View
{
    const char *name;
    std::function<void(SceneDriver &)> open;
    // What closes it again (besides closing every page and drop-down).
    std::function<void(SceneDriver &)> close = nullptr;
    // What shows once it is open, where a view could otherwise open without anyone noticing.
    const char *shows = nullptr;
};

void openPlace(SceneDriver &scene, const char *place)
{
    scene.evaluate(QStringLiteral("openPopup(ensurePage(%1))").arg(QLatin1String(place)));
}

// The button page of the second button, at the section of that kind (where the page has it).
void openSection(SceneDriver &scene, int kind)
{
    scene.click(QStringLiteral("keyMatrixRow1"));
    const QString tab = QStringLiteral("assignSection%1").arg(kind);
    if (scene.find(tab))
        scene.click(tab);
}

// Closes a drop-down's list (it covers its box: a click there would choose).
std::function<void(SceneDriver &)> closeList(const char *name)
{
    return [name](SceneDriver &s) { QMetaObject::invokeMethod(s.item(name), "close"); };
}

// The programs page, with a rule once one is added.
void openPrograms(SceneDriver &scene)
{
    openPlace(scene, "programsPlace");
    SceneDriver::settle(50);
}

void closeAll(SceneDriver &scene)
{
    scene.evaluate(QStringLiteral(
        "mainFocus(); closePopup(resetBox); [macroEditorPlace, gunPlace, systemPlace, "
        "keyAssignmentPlace, profilesPlace, programsPlace].forEach(function (p) { "
        "closePopup(page(p)) })"));
    SceneDriver::settle(50);
}

// What a user can bring to the screen, one view after another from the main screen (the
// questions last: they leave a change behind).
const View kViews[] = {
    {"main screen", [](SceneDriver &) {}},
    {"profile drop-down", [](SceneDriver &s) { s.click("profileDropDown"); }},
    {"help menu", [](SceneDriver &s) { s.click("askButton"); }},
    {"DPI stages", [](SceneDriver &s) { s.click("dpiCountList"); }},
    {"lighting effects", [](SceneDriver &s) { s.click("lightEffectList"); },
        closeList("lightEffectList"), "lightEffectListItem11"},
    {"reset box", [](SceneDriver &s) { s.click("resetButton"); }},
    {"system page", [](SceneDriver &s) { openPlace(s, "systemPlace"); }},
    {"language list",
        [](SceneDriver &s) {
            openPlace(s, "systemPlace");
            s.click("languageChoice");
        },
        closeList("languageChoice")},
    // From its entry, as a user opens it (the list is loaded then).
    {"macro editor",
        [](SceneDriver &s) {
            s.click("macroEditorEntry");
            s.click("macroNewButton");
            s.click("macroRecordButton");
            for (int code : {0xE0, 0x4C, 0x2C, 0x28})
                s.hookKey(code, true);
            s.click("macroRecordButton");
        },
        nullptr, "stepListRow3"},
    {"gun page", [](SceneDriver &s) { openPlace(s, "gunPlace"); }},
    // The button page, each section (mouse, fire, combination, media, macro, DPI, Windows,
    // shortcut, gun).
    {"button page 0", [](SceneDriver &s) { openSection(s, 0); }},
    {"button page 1", [](SceneDriver &s) { openSection(s, 1); }},
    {"button page 2", [](SceneDriver &s) { openSection(s, 2); }},
    {"button page 3", [](SceneDriver &s) { openSection(s, 3); }},
    {"button page 4", [](SceneDriver &s) { openSection(s, 4); }},
    {"button page 5", [](SceneDriver &s) { openSection(s, 5); }},
    {"button page 6", [](SceneDriver &s) { openSection(s, 6); }},
    {"button page 7", [](SceneDriver &s) { openSection(s, 7); }},
    {"button page 8", [](SceneDriver &s) { openSection(s, 8); }},
    {"profiles page", [](SceneDriver &s) { openPlace(s, "profilesPlace"); }},
    {"programs page", openPrograms},
    {"programs page with a rule",
        [](SceneDriver &s) {
            s.evaluate(QStringLiteral("ui_Programs.addRule(\"strylagame\", \"name\", 1, 0)"));
            openPrograms(s);
        },
        nullptr, "programRule0"},
    {"rule's profiles",
        [](SceneDriver &s) {
            openPrograms(s);
            s.click("programRuleProfile0");
        },
        closeList("programRuleProfile0"), "programRuleProfile0Item0"},
    {"rule's triggers",
        [](SceneDriver &s) {
            openPrograms(s);
            s.click("programRuleTrigger0");
        },
        closeList("programRuleTrigger0"), "programRuleTrigger0Item1"},
    {"running programs",
        [](SceneDriver &s) {
            openPrograms(s);
            s.click("programsAdd");
        },
        [](SceneDriver &s) { s.click("programsChooserCancel"); }, "programsChooser"},
    // A macro the second button plays, then the question before deleting it.
    {"macro delete question",
        [](SceneDriver &s) {
            openSection(s, 4);
            s.click("macroChoice0");
            s.click("keyAssignmentClose");
            s.click("macroEditorEntry");
            s.click("macroListRow0");
            s.click("macroDeleteButton");
        },
        [](SceneDriver &s) { s.click("questionAnswer1"); }, "questionBox"},
    // Closing to the tray with a change not saved.
    {"unsaved question",
        [](SceneDriver &s) {
            s.choose("dpiCountList", 2);
            s.click("closeButton");
        },
        nullptr, "questionBox"},
};

QStringList shippedCodes()
{
    QStringList codes;
    for (const QFileInfo &info : QDir(QStringLiteral(STRYLA_SOURCE_DIR "/modules/i18n"))
                                     .entryInfoList({QStringLiteral("*.ini")}, QDir::Files))
        codes << info.completeBaseName();
    return codes;
}

// Every character of every text of a language file.
QSet<char32_t> charactersOf(const QString &path)
{
    const QSettings file(path, QSettings::IniFormat);
    QSet<char32_t> characters;
    for (const QString &key : file.allKeys()) {
        const QVariant value = file.value(key);
        const QString text = value.typeId() == QMetaType::QStringList
            ? value.toStringList().join(QLatin1String(", "))
            : value.toString();
        for (char32_t c : text.toUcs4())
            characters.insert(c);
    }
    return characters;
}

}  // namespace

class TestLanguageFit : public QObject
{
    Q_OBJECT

private slots:
    void everyPageFits_data();
    void everyPageFits();
};

void TestLanguageFit::everyPageFits_data()
{
    QTest::addColumn<QString>("language");
    for (const QString &code : shippedCodes())
        QTest::newRow(qPrintable(code)) << code;
}

void TestLanguageFit::everyPageFits()
{
    QFETCH(QString, language);
    SceneRig rig;
    rig.dir.setGlobal(QStringLiteral("common/language"), language);
    rig.configure(sim::Family::F553, true, true);
    // Every lighting effect in the list: those of a multi-colour and of a 55328 mouse.
    rig.dir.setGlobal(QStringLiteral("mouse/is55328"), true);
    QVERIFY(rig.start());
    const QString family = rig.scene->evaluate(QStringLiteral("fontFamily")).toString();
    QStringList misfits;
    QSet<QString> seen;
    for (const View &view : kViews) {
        view.open(*rig.scene);
        SceneDriver::settle(60);
        const auto shown = [&view, &rig] { return rig.scene->isShown(QLatin1String(view.shows)); };
        if (view.shows && !SceneDriver::waitFor(shown))
            misfits << QStringLiteral("%1: %2 does not show")
                           .arg(QLatin1String(view.name), QLatin1String(view.shows));
        forShownTexts(rig.scene->view()->quickWindow()->contentItem(), [&](QQuickItem *item) {
            const QString why = misfit(item);
            const QString text = item->property("text").toString();
            if (!why.isEmpty() && !seen.contains(placeOf(item) + text)) {
                seen.insert(placeOf(item) + text);
                misfits << QStringLiteral("%1, %2: \"%3\" %4")
                               .arg(QLatin1String(view.name), placeOf(item), text, why);
            }
        });
        if (view.close)
            view.close(*rig.scene);
        closeAll(*rig.scene);
    }
    QVERIFY2(misfits.isEmpty(),
        qPrintable(QString::number(misfits.size()) + " texts do not fit:\n"
            + misfits.join(QLatin1Char('\n'))));

    // Letters and digits come from the language's font itself (one design, the language's
    // own glyph forms); a symbol (an arrow) may come from a font the desktop falls back on.
    const QRawFont font = QRawFont::fromFont(QFont(family));
    const QFontMetrics withFallback {QFont(family)};
    QVERIFY2(font.isValid(), qPrintable(family));
    QStringList missing;
    for (char32_t c : charactersOf(QStringLiteral(STRYLA_SOURCE_DIR "/modules/i18n/") + language
             + QStringLiteral(".ini"))) {
        if (QChar::isSpace(c) || QChar::category(c) == QChar::Other_Control
            || font.supportsCharacter(c))
            continue;
        if (!QChar::isLetterOrNumber(c) && withFallback.inFontUcs4(c))
            continue;
        missing << QString::fromUcs4(&c, 1)
                + QStringLiteral(" U+%1").arg(uint(c), 4, 16, QLatin1Char('0'));
    }
    QVERIFY2(missing.isEmpty(), qPrintable(family + " has no glyph for " + missing.join(", ")));
}

QTEST_MAIN(TestLanguageFit)
#include "tst_language_fit.moc"
