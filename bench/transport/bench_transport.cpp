// Reports, against the simulated mouse:
//  - the wall time of one settled 128-byte write (hid560_0CH_setProfile, four 33-byte
//    reports) next to the sum of the pauses the protocol mandates, 4 × 120 + 2 × 128 ms;
//  - the wall time of a Save through the window (the scene's bridge calls, busy indicator
//    blinking) on the 553 mouse and on the 560 gun mouse, divided by the sum of the pauses
//    its exchanges mandate (from the wire log), and the longest time a 25 ms timer waited;
//    the same for the Save button's whole flow in the scene (its exchanges counted first for
//    the progress bar, then sent);
//  - the CPU time the idle monitor costs per minute (it reopens the event interface and
//    reads with a 500 ms time-out in a loop).
// The simulator runs in the same process; its share of the CPU is included.
// Arguments: write runs (5), monitor seconds (10), Save runs (3).

#include "device_rig.h"
#include "save_reports.h"
#include "scene_rig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

double cpuSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

void settledWrite(Hid_Thread &hid, int runs)
{
    uchar image[128] {};
    double total = 0, best = 1e9;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        hid.hid560_0CH_setProfile(image, 1);
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        total += ms;
        best = qMin(best, ms);
    }
    const double mandated = 4 * 120 + 2 * 128;
    std::printf("settled 128-byte write: mean %.1f ms, best %.1f ms over %d runs; "
                "mandated pauses %.0f ms; overhead %.1f ms\n",
        total / runs, best, runs, mandated, total / runs - mandated);
}

void saveThroughTheWindow(const char *label, sim::Family family, int runs,
    const QString &script = simtest::saveScript(simtest::gunButtonSave()))
{
    using Clock = std::chrono::steady_clock;
    simtest::SceneRig rig;
    rig.configure(family, family == sim::Family::F560);
    if (!rig.start()) {
        std::printf("Save on the %s: the start-up exchanges did not end\n", label);
        return;
    }
    rig.window->view()->setBusy(3600000);
    std::vector<Clock::time_point> beats;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] { beats.push_back(Clock::now()); });
    heartbeat.start(25);
    double ratios = 0, best = 1e9, longest = 0, mandated = 0, wall = 0;
    size_t count = 0;
    for (int i = 0; i < runs; ++i) {
        sim::clearWireLog();
        beats.clear();
        const Clock::time_point start = Clock::now();
        rig.scene->evaluate(script);
        const Clock::time_point end = Clock::now();
        const std::vector<simtest::Exchange> sent = simtest::exchanges(sim::wireLog());
        count = sent.size();
        mandated = simtest::mandatedMs(sent, family);
        wall = simtest::msBetween(start, end);
        ratios += wall / mandated;
        best = qMin(best, wall / mandated);
        longest = qMax(longest, simtest::longestGap(start, beats, end));
    }
    rig.window->view()->setBusy(0);
    std::printf("Save on the %s: %zu exchanges, mandated pauses %.0f ms, last wall time %.0f ms; "
                "wall / mandated: mean %.4f, best %.4f over %d runs; longest wait of a 25 ms "
                "timer %.1f ms\n",
        label, count, mandated, wall, ratios / runs, best, runs, longest);
}

void idleMonitor(Hid_Thread &hid, int seconds)
{
    hid.startMonitor(0);
    QThread::msleep(200);
    const double cpuBefore = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    QThread::sleep(seconds);
    const double cpu = cpuSeconds() - cpuBefore;
    const double wall = double(clock.elapsed()) / 1000.0;
    hid.stopMonitor();
    hid.waitForMonitor();
    std::printf("idle monitor: %.2f ms CPU over %.1f s, %.1f ms CPU per minute (%.3f %% of one "
                "core); the event interface is reopened every 500 ms\n",
        cpu * 1000, wall, cpu * 1000 * 60 / wall, cpu / wall * 100);
}

}  // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 5;
    const int seconds = argc > 2 ? qMax(1, atoi(argv[2])) : 10;
    const int saves = argc > 3 ? qMax(1, atoi(argv[3])) : 3;
    {
        simtest::DeviceRig rig;
        rig.attach(sim::Family::F560);
        settledWrite(*rig.hid, runs);
        idleMonitor(*rig.hid, seconds);
    }
    saveThroughTheWindow("553 mouse", sim::Family::F553, saves);
    saveThroughTheWindow("560 gun mouse", sim::Family::F560, saves);
    // Everything unsaved, then the Save button's flow.
    const QString saveButton = QStringLiteral("lodRow.isSave = true; save()");
    saveThroughTheWindow("553 mouse, Save button flow", sim::Family::F553, saves, saveButton);
    saveThroughTheWindow("560 gun mouse, Save button flow", sim::Family::F560, saves, saveButton);
    return 0;
}
