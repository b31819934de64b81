// Reports what watching the programs costs:
// - the CPU time of the whole program idling for a while with the automatic switch on (a focus
//   rule and a running rule, so both watchers work) next to the same program with it off;
// - one scan of the process list, the first (every process read) and a later one (ids only);
// - the time from a focus change to the first report on the wire, and what is left of it
//   after the hold time.
// Usage (under an X server): bench_program_watch [idle seconds, default 20]

#include "fake_window_manager.h"
#include "program_processes.h"
#include "program_switcher.h"
#include "scene_gate.h"
#include "scene_rig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace simtest;

namespace {

double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void writeRules(SceneRig &rig, bool automatic)
{
    QFile file(rig.file(QStringLiteral("modules/setting/programs.bin")));
    file.open(QIODevice::WriteOnly);
    file.write(QStringLiteral("[switching]\nautomatic=%1\ndefault=0\n[rules]\nsize=2\n"
                              "1\\program=strylagame\n1\\match=name\n1\\profile=2\n"
                              "1\\trigger=focus\n2\\program=game.exe\n2\\match=windows\n"
                              "2\\profile=1\n2\\trigger=running\n")
                   .arg(automatic ? "true" : "false")
                   .toUtf8());
}

void prepare(SceneRig &rig)
{
    QSettings(rig.file("modules/setting/name.bin"), QSettings::IniFormat)
        .setValue("profile/profileName", QStringList {"Standard0", "Work1", "Game2"});
}

// Percent of one core the program used while idling for seconds.
double idleShare(bool automatic, int seconds)
{
    SceneRig rig;
    prepare(rig);
    writeRules(rig, automatic);
    rig.start();
    QTest::qWait(1500);  // the start's protection period and first frames
    QElapsedTimer wall;
    const double before = cpuSeconds();
    wall.start();
    QTest::qWait(seconds * 1000);
    return 100.0 * (cpuSeconds() - before) / (double(wall.elapsed()) / 1000.0);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 20;

    const double off = idleShare(false, seconds);
    const double on = idleShare(true, seconds);
    std::printf("idle CPU over %d s, %% of one core: switch off %.3f, switch on %.3f "
                "(watching: %.3f)\n",
        seconds, off, on, on - off);

    {
        QElapsedTimer clock;
        std::vector<double> first, later;
        for (int i = 0; i < 20; ++i) {
            ProcessTable table;
            clock.start();
            table.scan();
            first.push_back(double(clock.nsecsElapsed()) / 1e6);
            table.scan();  // a new process is read in its first three scans
            table.scan();
            clock.start();
            table.scan();
            later.push_back(double(clock.nsecsElapsed()) / 1e6);
        }
        std::printf("process list (%lld processes): first scan %.3f ms, later scans %.3f ms "
                    "(medians of 20)\n",
            static_cast<long long>(ProcFs::pids().size()), median(first), median(later));
    }

    {
        SceneRig rig;
        prepare(rig);
        writeRules(rig, true);
        const QString exe = rig.file(QStringLiteral("strylagame"));
        QFile::copy(QStringLiteral("/bin/sleep"), exe);
        QProcess game;
        game.start(exe, {QStringLiteral("60")});
        game.waitForStarted();
        rig.start();
        QTest::qWait(1500);
        FakeWindowManager wm;
        const xcb_window_t windows[] = {
            wm.window(game.processId()), wm.window(QCoreApplication::applicationPid())};
        std::vector<double> latencies, byHand;
        // The scene's own switch flow, started directly: the part of the time that is not
        // the watching.
        for (int i = 0; i < 6; ++i) {
            sim::clearWireLog();
            const auto asked = std::chrono::steady_clock::now();
            rig.window->gate()->requestProfile(i % 2 == 0 ? 1 : 0);
            const auto log = sim::wireLog();
            if (!log.empty()) {
                byHand.push_back(
                    std::chrono::duration<double, std::milli>(log.front().time - asked).count());
            }
            rig.waitForQuietWire();
        }
        for (int i = 0; i < 6; ++i) {
            sim::clearWireLog();
            const auto focused = std::chrono::steady_clock::now();
            wm.activate(windows[i % 2]);
            SceneDriver::waitFor([] { return !sim::wireLog().empty(); }, 10000);
            const auto log = sim::wireLog();
            if (!log.empty()) {
                latencies.push_back(
                    std::chrono::duration<double, std::milli>(log.front().time - focused).count());
            }
            rig.waitForQuietWire();
        }
        game.kill();
        game.waitForFinished();
        if (latencies.empty()) {
            std::printf("focus change to the wire: no switch seen\n");
        } else {
            const auto [low, high] = std::minmax_element(latencies.begin(), latencies.end());
            const double mid = median(latencies);
            std::printf("focus change to the first report (%zu switches): median %.1f ms "
                        "(hold %d ms + %.1f ms), min %.1f, max %.1f\n",
                latencies.size(), mid, ProgramSwitcher::kHoldMs, mid - ProgramSwitcher::kHoldMs,
                *low, *high);
        }
        if (!byHand.empty())
            std::printf("hand switch to the first report: median %.1f ms\n", median(byHand));
    }
    return 0;
}
