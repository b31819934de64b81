// Reports what the live lighting preview costs: the program's CPU time per second of wall
// time with each effect playing on the mouse picture, while the window is shown, minimised
// and hidden to the tray, next to Static in the same run, and the frames the scene rendered.
// The shown figures come after one whole cycle of the eight colour blocks, whose glows are
// drawn once, the first time each is lit. Meant to run under Xvfb (the xcb platform renders
// and composites as on a desktop); it never fails on a figure.

#include "scene_rig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QQuickWindow>

#include <cstdio>
#include <ctime>

using namespace simtest;

namespace {

constexpr int kSettleMs = 600;
constexpr int kCycleMs = 8 * 1400;  // eight blocks at the slowest block period
constexpr int kMeasureMs = 4000;

double cpuSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

struct Share
{
    double cpu;     // per cent of one core the whole process used
    double frames;  // frames the scene rendered per second
};

// What the program used while the event loop ran for kMeasureMs.
Share measure(QQuickWindow *scene, int settleMs = kSettleMs)
{
    SceneDriver::settle(settleMs);
    int frames = 0;
    const auto counting =
        QObject::connect(scene, &QQuickWindow::afterRendering, [&] { ++frames; });
    QElapsedTimer wall;
    const double cpu = cpuSeconds();
    wall.start();
    SceneDriver::settle(kMeasureMs);
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    QObject::disconnect(counting);
    return {100.0 * (cpuSeconds() - cpu) / seconds, frames / seconds};
}

struct Effect
{
    int index;
    const char *name;
};

}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    SceneRig rig;
    rig.configure(sim::Family::F553, false, true);
    if (!rig.start()) {
        std::fprintf(stderr, "the main screen did not show\n");
        return 1;
    }
    const Effect effects[] = {{0, "Static"}, {1, "Breath"}, {2, "Neon"}, {4, "Twinkling"},
        {10, "Spotlight"}};
    std::printf("CPU of the program, %% of one core, and frames rendered per second (%d s each, "
                "platform %s):\n"
                "  effect        shown (fps)    minimised (fps)   hidden (fps)\n",
        kMeasureMs / 1000, qPrintable(QGuiApplication::platformName()));
    for (const Effect &effect : effects) {
        rig.window->showNormal();
        SceneDriver::waitFor([&] { return rig.window->isVisible(); });
        if (!rig.scene->choose(QStringLiteral("lightEffectList"), effect.index)) {
            std::fprintf(stderr, "effect %s could not be chosen\n", effect.name);
            return 1;
        }
        QQuickWindow *scene = rig.window->view()->quickWindow();
        const Share shown = measure(scene, kCycleMs);
        rig.window->showMinimized();
        const Share minimised = measure(scene);
        rig.window->showNormal();
        rig.window->hide();
        const Share hidden = measure(scene);
        std::printf("  %-12s %6.2f (%4.1f) %9.2f (%4.1f) %9.2f (%4.1f)\n", effect.name, shown.cpu,
            shown.frames, minimised.cpu, minimised.frames, hidden.cpu, hidden.frames);
        std::fflush(stdout);
    }
    return 0;
}
