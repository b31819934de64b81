// Reports, against the simulated mouse:
//  - the wall time of one settled 128-byte write (hid560_0CH_setProfile, four 33-byte
//    reports) next to the sum of the pauses the protocol mandates, 4 × 120 + 2 × 128 ms;
//  - the CPU time the idle monitor costs per minute (it reopens the event interface and
//    reads with a 500 ms time-out in a loop).
// The simulator runs in the same process; its share of the CPU is included.

#include "device_rig.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

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
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 5;
    const int seconds = argc > 2 ? qMax(1, atoi(argv[2])) : 10;
    simtest::DeviceRig rig;
    rig.attach(sim::Family::F560);
    settledWrite(*rig.hid, runs);
    idleMonitor(*rig.hid, seconds);
    return 0;
}
