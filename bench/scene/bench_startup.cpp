// Reports how long the program takes from constructing its window to showing the main screen
// with the simulated mouse, without the 1000 ms protection period the scene keeps on
// purpose, next to a bare QQuickWidget program that loads a one-rectangle scene and shows its
// first frame. Both run alternately in this process, after one unmeasured run of each, so
// library loading and first-use caches count for neither.

#include "scene_rig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QQuickWidget>
#include <QQuickWindow>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace simtest;

namespace {

constexpr int kRuns = 7;
constexpr double kProtectionMs = 1000;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double bareQuickWidget(const QUrl &scene)
{
    QElapsedTimer clock;
    clock.start();
    QWidget window;
    auto *view = new QQuickWidget(&window);
    bool drawn = false;
    QObject::connect(view->quickWindow(), &QQuickWindow::afterRendering, [&] { drawn = true; });
    view->setSource(scene);
    window.resize(1024, 640);
    window.show();
    SceneDriver::waitFor([&] { return drawn; }, 10000);
    return double(clock.nsecsElapsed()) / 1e6;
}

struct Stages
{
    std::vector<double> built, checked, shown;
};

// One start of the program; records when the window was built, when the first device check
// (with its exchanges and the first frame they let through) was over, and when the main
// screen was drawn, less the protection period.
void program(Stages &stages)
{
    SceneRig rig;
    rig.plug();
    QElapsedTimer clock;
    clock.start();
    rig.window = std::make_unique<Widget>();
    const double built = double(clock.nsecsElapsed()) / 1e6;
    rig.window->showNormal();
    rig.window->checkDevice();
    const double checked = double(clock.nsecsElapsed()) / 1e6;
    rig.scene = std::make_unique<SceneDriver>(*rig.window);
    bool drawn = false;
    QObject::connect(rig.window->view()->quickWindow(), &QQuickWindow::afterRendering, [&] {
        drawn = rig.scene->isShown(QStringLiteral("mainScreen"));
    });
    SceneDriver::waitFor([&] { return drawn; }, 10000);
    stages.built.push_back(built);
    stages.checked.push_back(checked);
    stages.shown.push_back(double(clock.nsecsElapsed()) / 1e6 - kProtectionMs);
}

}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("rectangle.qml"));
    QFile qml(file);
    qml.open(QIODevice::WriteOnly);
    qml.write("import QtQuick\nRectangle { width: 1024; height: 640; color: \"#202228\" }\n");
    qml.close();
    const QUrl scene = QUrl::fromLocalFile(file);

    Stages warmUp, stages;
    bareQuickWidget(scene);
    program(warmUp);
    std::vector<double> bare;
    for (int i = 0; i < kRuns; ++i) {
        bare.push_back(bareQuickWidget(scene));
        program(stages);
    }
    const double b = median(bare), f = median(stages.shown);
    std::printf("start-up to the first frame, median of %d runs:\n"
                "  bare QQuickWidget, one rectangle:            %7.1f ms\n"
                "  program to its main screen (less %4.0f ms):   %7.1f ms\n"
                "    of which: window and scene built %.1f ms, first device check done %.1f ms\n"
                "  ratio %.2f (goal at most 1.5)\n",
        kRuns, b, kProtectionMs, f, median(stages.built), median(stages.checked), f / b);
    return 0;
}
