// Renders the program's pages as a user sees them, one picture each, with the simulated
// mouse attached: take_screenshots <folder> <language> [name …], the language a file of
// modules/i18n. Each picture starts from a fresh installation, so no page shows what another
// one left behind.

#include "file_dialogs.h"
#include "scene_rig.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QScreen>
#include <QMenu>

#include <functional>
#include <iostream>
#include <utility>

using namespace simtest;

namespace {

struct Shot
{
    const char *name;
    std::function<void(SceneRig &)> prepare;
    // What is pictured, when it is not the window (a menu).
    std::function<QImage(SceneRig &)> capture = nullptr;
};

// The programs page: opened from the profiles page.
void openPrograms(SceneRig &rig)
{
    rig.scene->click(QStringLiteral("configButton"));
    rig.scene->click(QStringLiteral("profilePrograms"));
}

// The tray menu, opened beside the window.
QImage trayMenu(SceneRig &rig)
{
    QMenu *menu = rig.window->tray()->contextMenu();
    menu->popup(QPoint(40, 40));
    SceneDriver::settle(400);
    const QImage picture = menu->grab().toImage();
    menu->hide();
    return picture;
}

// The macro editor with two macros, the first recorded as Ctrl+C with the pauses between the
// keys, its third step selected.
void recordCtrlC(SceneRig &rig)
{
    SceneDriver &scene = *rig.scene;
    scene.click(QStringLiteral("macroEditorEntry"));
    scene.click(QStringLiteral("macroNewButton"));
    scene.click(QStringLiteral("macroNewButton"));
    scene.click(QStringLiteral("macroListRow0"));
    scene.click(QStringLiteral("macroDelayCheck"));
    scene.click(QStringLiteral("macroRecordButton"));
    for (const auto &[code, pressed] :
        {std::pair {0xE0, true}, {0x06, true}, {0x06, false}, {0xE0, false}}) {
        scene.hookKey(code, pressed);
        QTest::qWait(70);
    }
    scene.click(QStringLiteral("macroRecordButton"));
    scene.click(QStringLiteral("stepListRow2"));
}

// A file dialog shown over the window (pictured from the screen, not the scene), in a home
// folder holding two exchange files.
std::unique_ptr<QFileDialog> shownDialog;

void showFileDialog(SceneRig &rig, bool save)
{
    const QString home = rig.dir.path(QStringLiteral("home"));
    QDir().mkpath(home);
    for (const char *name : {"Tournament.pf", "Office.pf"}) {
        QFile file(home + QLatin1Char('/') + QLatin1String(name));
        file.open(QIODevice::WriteOnly);
    }
    qputenv("HOME", QFile::encodeName(home));
    const QString offered = save ? home + QStringLiteral("/Standard.pf") : home;
    // The words the program gives the dialog, in the window's language as it shows them.
    const auto text = [](const char *source) {
        return QCoreApplication::translate("myQQuickView", source);
    };
    shownDialog.reset(makeFileDialog(rig.window->view(), text(save ? "Save File" : "Open File"),
        offered, text("Profile(*.pf)"), save));
    // Xvfb has no desktop dialog: Qt's own is what such a desktop shows.
    shownDialog->setOption(QFileDialog::DontUseNativeDialog);
    shownDialog->show();
}

// Presses Tab until the item of that name has the keyboard focus.
void tabTo(SceneRig &rig, const char *name)
{
    rig.scene->view()->activateWindow();
    rig.scene->view()->setFocus(Qt::ActiveWindowFocusReason);
    for (int i = 0; i < 80; ++i) {
        const QQuickItem *item = rig.scene->find(QLatin1String(name));
        if (item && item->hasActiveFocus())
            return;
        rig.scene->key(Qt::Key_Tab);
    }
}

// What the user does before each picture.
const Shot kShots[] = {
    {"main", [](SceneRig &) {}},
    {"lod-slider", [](SceneRig &rig) { rig.scene->click("lodSlider"); }},
    {"profile-drop-down", [](SceneRig &rig) { rig.scene->click("profileDropDown"); }},
    {"help-menu", [](SceneRig &rig) { rig.scene->click("askButton"); }},
    {"reset-box", [](SceneRig &rig) { rig.scene->click("resetButton"); }},
    {"macro-editor", recordCtrlC},
    {"macro-step-menu",
        [](SceneRig &rig) {
            recordCtrlC(rig);
            rig.scene->click("stepListRow3", Qt::RightButton);
        }},
    {"macro-insert-key",
        [](SceneRig &rig) {
            recordCtrlC(rig);
            rig.scene->click("stepListRow3", Qt::RightButton);
            rig.scene->click("stepListMenuEntry2");
            rig.scene->hookKey(0x2C, true);
        }},
    {"focus-ring-main", [](SceneRig &rig) { tabTo(rig, "mouseMarker3"); }},
    {"focus-ring-page",
        [](SceneRig &rig) {
            tabTo(rig, "keyMatrixRow2");
            rig.scene->key(Qt::Key_Return);
            rig.scene->key(Qt::Key_Tab);
            rig.scene->key(Qt::Key_Down);
        }},
    {"buttons-hovered", [](SceneRig &rig) { rig.scene->hover("keyMatrixRow4"); }},
    {"key-assignment",
        [](SceneRig &rig) {
            rig.scene->click("keyMatrixRow1");
            rig.scene->hover("assignChoice3");
        }},
    {"key-assignment-fire",
        [](SceneRig &rig) {
            rig.scene->click("keyMatrixRow7");
            rig.scene->click("assignSection1");
            rig.scene->click("fireKeyField");
            rig.scene->hookKey(0x04, true);
            rig.scene->click("fireRateSlider");
        }},
    {"key-assignment-macro",
        [](SceneRig &rig) {
            for (const char *name : {"Reload", "Burst_3", "Macro_1"}) {
                rig.scene->evaluate(
                    QStringLiteral("ui_View.createMacroIni('%1', 0)").arg(QLatin1String(name)));
            }
            rig.scene->evaluate(QStringLiteral("macroNames = ['Reload', 'Burst_3', 'Macro_1']"));
            rig.scene->click("keyMatrixRow4");
            rig.scene->click("assignSection4");
            rig.scene->click("macroChoice1");
        }},
    {"gun-page",
        [](SceneRig &rig) {
            rig.scene->evaluate(QStringLiteral("openPopup(page(gunPlace))"));
            rig.scene->click("gunListRow1");
        }},
    {"dpi-stage-slider", [](SceneRig &rig) { rig.scene->click("dpiSlider1"); }},
    {"dpi-stage-count",
        [](SceneRig &rig) {
            rig.scene->click("dpiCountList");
            rig.scene->click("dpiCountListItem7");
            rig.scene->click("dpiCountList");
        }},
    {"lighting-effects", [](SceneRig &rig) { rig.scene->click("lightEffectList"); }},
    {"lighting-wave",
        [](SceneRig &rig) {
            rig.scene->click("lightEffectList");
            rig.scene->click("lightEffectListItem5");
            rig.scene->click("lightBlock2");
        }},
    {"profiles", [](SceneRig &rig) { rig.scene->click("configButton"); }},
    {"profiles-menu",
        [](SceneRig &rig) {
            rig.scene->click("configButton");
            rig.scene->click("profileListRow1", Qt::RightButton);
        }},
    {"system-settings", [](SceneRig &rig) { rig.scene->click("systemSettingEntry"); }},
    {"language-list",
        [](SceneRig &rig) {
            rig.scene->click("systemSettingEntry");
            rig.scene->click("languageChoice");
        }},
    {"system-settings-not-applied",
        [](SceneRig &rig) {
            // Wheel lines only apply on KDE Plasma; elsewhere the page says so.
            qputenv("XDG_CURRENT_DESKTOP", "none");
            rig.scene->click("systemSettingEntry");
            rig.scene->click("scrollOneScreen");
        }},
    {"system-settings-no-pointer-speed",
        [](SceneRig &rig) {
            // Plasma without KWin's input devices (on X11) lets no program set the speed.
            qputenv("XDG_CURRENT_DESKTOP", "KDE");
            rig.scene->click("systemSettingEntry");
            qputenv("XDG_CURRENT_DESKTOP", "none");
        }},
    {"unsaved-question",
        [](SceneRig &rig) {
            rig.scene->choose("dpiCountList", 2);
            rig.scene->choose("profileDropDown", 1);
        }},
    {"macro-delete-question",
        [](SceneRig &rig) {
            rig.scene->click("macroEditorEntry");
            rig.scene->click("macroNewButton");
            rig.scene->click("macroDeleteButton");
        }},
    {"profile-rename-refused",
        [](SceneRig &rig) {
            rig.scene->click("configButton");
            rig.scene->doubleClick("profileListRow2");
            rig.scene->key(Qt::Key_A, Qt::ControlModifier);
            rig.scene->typeText(QStringLiteral("Tournament"));
            rig.scene->key(Qt::Key_Return);
        }},
    {"write-progress",
        [](SceneRig &rig) {
            // A write stopped in the middle for the picture: 4 of its 10 exchanges ended.
            rig.scene->evaluate(QStringLiteral("busyIndicator.running = true;"
                                               "busyIndicator.planned = 10;"
                                               "flows.writeStart = hid.exchangesDone - 4"));
        }},
    {"file-dialog-import", [](SceneRig &rig) { showFileDialog(rig, false); }},
    {"file-dialog-export", [](SceneRig &rig) { showFileDialog(rig, true); }},
    {"programs", openPrograms},
    {"programs-rule-triggers",
        [](SceneRig &rig) {
            rig.scene->evaluate(
                QStringLiteral("ui_Programs.addRule(\"strylagame\", \"name\", 1, 0)"));
            openPrograms(rig);
            rig.scene->click(QStringLiteral("programRuleTrigger0"));
        }},
    {"programs-running",
        [](SceneRig &rig) {
            openPrograms(rig);
            rig.scene->click("programsAdd");
        }},
    {"tray-menu", [](SceneRig &) {}, trayMenu},
};

// The language in a picture's name: "en" and "zh" for the first two languages, else its code.
QString suffixOf(const QString &language)
{
    if (language == QLatin1String("English"))
        return QStringLiteral("en");
    if (language == QLatin1String("ChineseSimplified"))
        return QStringLiteral("zh");
    return language;
}

bool take(const Shot &shot, const QString &folder, const QString &language)
{
    SceneRig rig;
    rig.dir.setGlobal(QStringLiteral("common/language"), language);
    QSettings names(rig.file(QStringLiteral("modules/setting/name.bin")), QSettings::IniFormat);
    names.setValue(QStringLiteral("profile/profileName"),
        QStringList {
            QStringLiteral("Standard0"), QStringLiteral("Tournament1"), QStringLiteral("Office2")});
    names.sync();
    // Two programs with rules, for the programs page and the tray menu's master switch.
    QSettings rules(rig.file(QStringLiteral("modules/setting/programs.bin")), QSettings::IniFormat);
    rules.setValue(QStringLiteral("switching/automatic"), QStringLiteral("true"));
    rules.setValue(QStringLiteral("switching/default"), 0);
    rules.beginWriteArray(QStringLiteral("rules"), 2);
    const QStringList programs {QStringLiteral("Cyberpunk2077.exe"), QStringLiteral("blender")};
    const QStringList matches {QStringLiteral("windows"), QStringLiteral("name")};
    const QStringList triggers {QStringLiteral("focus"), QStringLiteral("running")};
    for (int i = 0; i < 2; ++i) {
        rules.setArrayIndex(i);
        rules.setValue(QStringLiteral("program"), programs.at(i));
        rules.setValue(QStringLiteral("match"), matches.at(i));
        rules.setValue(QStringLiteral("profile"), i + 1);
        rules.setValue(QStringLiteral("trigger"), triggers.at(i));
    }
    rules.endArray();
    rules.sync();
    if (!rig.start())
        return false;
    shot.prepare(rig);
    SceneDriver::settle(600);
    QImage picture;
    if (shownDialog) {
        const QRect area = rig.window->frameGeometry();
        picture = shownDialog->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
        shownDialog.reset();
    } else {
        picture = shot.capture ? shot.capture(rig) : rig.window->view()->grabFramebuffer();
    }
    const QString file =
        QStringLiteral("%1/%2-%3.png")
            .arg(folder, QLatin1String(shot.name), suffixOf(language));
    return picture.save(file);
}

}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::cerr << "usage: stryla-screenshots <folder> <language (English, de, …)> [name …]\n";
        return 2;
    }
    const QString folder = QDir(args.at(1)).absolutePath();
    QDir().mkpath(folder);
    const QStringList wanted = args.mid(3);
    int failed = 0;
    for (const Shot &shot : kShots) {
        if (!wanted.isEmpty() && !wanted.contains(QLatin1String(shot.name)))
            continue;
        const bool ok = take(shot, folder, args.at(2));
        std::cout << (ok ? "wrote " : "FAILED ") << shot.name << '\n';
        failed += ok ? 0 : 1;
    }
    return failed == 0 ? 0 : 1;
}
