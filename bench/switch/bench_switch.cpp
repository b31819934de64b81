// Reports the wall time of a profile switch on the simulated 553, 560 and 560 gun mouse, on
// the device's real pauses, with the exchanges each one took:
//  - "drop-down": the whole profile written, as the main screen's drop-down does;
//  - "from outside": the switch a program rule, the tray or the command line makes, to a
//    profile whose light, DPI stages, lift-off and buttons differ from the one in use;
//  - "held already": the same switch to a profile the mouse holds already (two profiles with
//    the same settings).
// Each figure is the median of the runs (argument, 3 by default).

#include "save_reports.h"
#include "scene_rig.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace simtest;

namespace {

struct Figure
{
    std::vector<double> ms;
    std::vector<int> exchanges;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Profiles 0 and 2 keep the factory settings; profile 1 differs in everything a switch sends.
void writeProfiles(SceneRig &rig)
{
    QSettings names(rig.file(QStringLiteral("modules/setting/name.bin")), QSettings::IniFormat);
    names.setValue(QStringLiteral("profile/profileName"),
        QStringList {QStringLiteral("Desktop0"), QStringLiteral("Game1"), QStringLiteral("Copy2")});
    auto list = [](const char *values) {
        return QString::fromLatin1(values).split(QStringLiteral(", "));
    };
    rig.setProfileValue(1, QStringLiteral("mouse/dpiValueArray"),
        list("800, 1600, 2400, 3200, 4800, 6400, 8000, 12000"));
    rig.setProfileValue(1, QStringLiteral("mouse/lightValue"), list("1, 2, 4"));
    rig.setProfileValue(1, QStringLiteral("mouse/colorValue"),
        list("0, 0, 255, 255, 128, 0, 255, 255, 0, 0, 255, 0, 0, 255, 255, 0, 0, 255, 128, 0, "
             "255, 9, 9, 9"));
    rig.setProfileValue(1, QStringLiteral("mouse/reportRate"), 89);
    rig.setProfileValue(1, QStringLiteral("mouseFwKeyMatrix/5"), list("5, 0, 3, 0"));
    rig.setProfileValue(1, QStringLiteral("mouseFwKeyMatrix/6"), list("7, 0, 3, 0"));
}

void timed(SceneRig &rig, const QString &call, Figure &figure)
{
    sim::clearWireLog();
    QElapsedTimer clock;
    clock.start();
    rig.scene->evaluate(call);
    figure.ms.push_back(double(clock.nsecsElapsed()) / 1e6);
    figure.exchanges.push_back(int(exchanges(sim::wireLog()).size()));
}

void device(const char *name, sim::Family family, bool gun, int runs)
{
    SceneRig rig;
    rig.configure(family, gun);
    writeProfiles(rig);
    if (!rig.start()) {
        std::printf("%s: the main screen did not show\n", name);
        return;
    }
    rig.window->hid().stopMonitor();  // a quiet event interface: only the switch costs
    Figure whole, outside, held;
    for (int i = 0; i < runs; ++i) {
        timed(rig, QStringLiteral("flows.changeProfile(1)"), whole);
        timed(rig, QStringLiteral("flows.changeProfile(0)"), whole);
        timed(rig, QStringLiteral("requestProfile(1)"), outside);
        timed(rig, QStringLiteral("requestProfile(0)"), outside);
        timed(rig, QStringLiteral("requestProfile(2)"), held);
        timed(rig, QStringLiteral("requestProfile(0)"), held);
    }
    auto line = [](const char *what, const Figure &f) {
        std::printf("  %-13s %7.0f ms, %d and %d exchanges\n", what, median(f.ms),
            f.exchanges.front(), f.exchanges.back());
    };
    std::printf("%s:\n", name);
    line("drop-down", whole);
    line("from outside", outside);
    line("held already", held);
}

}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    std::printf("profile switches, median of %d, on the device's pauses:\n", runs);
    device("553", sim::Family::F553, false, runs);
    device("560", sim::Family::F560, false, runs);
    device("560 gun", sim::Family::F560, true, runs);
    return 0;
}
