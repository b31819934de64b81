// Reports how long the program takes from constructing its window to showing the main screen
// with the simulated 553 and 560 mouse, without the 1000 ms protection period the scene keeps
// on purpose, next to a bare program (a frameless QWidget hosting a QQuickWidget with a
// rectangle and a text) that shows its first frame. Each run is a process of its own (this program started again with --child),
// so that each picks its own scene graph backend as it would alone, and measures its second
// start after an unmeasured one, so library loading and first-use caches count for neither;
// bare and program runs alternate.
//
// Then, again each in a fresh process, the anonymous memory of the bare program at its first frame and of the program at its main
// screen, how long the first opening of each pop-up page takes, and the memory after 1000
// openings and closings of the pages.

#include "scene_rig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QQuickWidget>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

using namespace simtest;

namespace {

constexpr int kRuns = 7;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Notes when the window it watches is first exposed (mapped, on X11).
class ExposeWatch : public QObject
{
public:
    ExposeWatch(QWidget &window, const QElapsedTimer &clock)
        : m_clock(clock)
    {
        window.winId();
        window.windowHandle()->installEventFilter(this);
    }
    double at = -1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (at < 0 && event->type() == QEvent::Expose
            && static_cast<QWindow *>(watched)->isExposed())
            at = double(m_clock.nsecsElapsed()) / 1e6;
        return false;
    }

private:
    const QElapsedTimer &m_clock;
};

struct Bare
{
    std::vector<double> mapped, drawn;
};

void bareQuickWidget(const QUrl &scene, Bare &bare)
{
    QElapsedTimer clock;
    clock.start();
    QWidget window;
    window.setWindowFlags(Qt::FramelessWindowHint);
    auto *view = new QQuickWidget(&window);
    ExposeWatch mapped(window, clock);
    double drawnAt = -1;
    QObject::connect(view->quickWindow(), &QQuickWindow::afterRendering, [&] {
        if (drawnAt < 0)
            drawnAt = double(clock.nsecsElapsed()) / 1e6;
    });
    view->setSource(scene);
    window.resize(1024, 640);
    window.show();
    SceneDriver::waitFor([&] { return drawnAt >= 0 && mapped.at >= 0; }, 10000);
    bare.mapped.push_back(mapped.at);
    bare.drawn.push_back(drawnAt);
}

struct Stages
{
    std::vector<double> built, checked, locked, drawing, total, mapped, content, ready;
};

double msSince(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

// One start of the program, timed at its steps: the window and scene built, the first device
// check over (with its exchanges and the frames they let through), the protection period
// begun (initUI), and the main screen drawn after it. The protection period is left out as it
// really lasted (its timer runs on the scene's animation clock, which a slow frame delays).
void program(Stages &stages, sim::Family family)
{
    SceneRig rig;
    rig.configure(family);
    rig.plug();
    QElapsedTimer clock;
    clock.start();
    rig.window = std::make_unique<Widget>();
    const double built = msSince(clock);
    ExposeWatch mapped(*rig.window, clock);
    rig.scene = std::make_unique<SceneDriver>(*rig.window);
    double lockedAt = -1, shownAt = 0;
    QObject::connect(rig.scene->item(QStringLiteral("busyIndicator")), &QQuickItem::visibleChanged,
        [&] {
            if (lockedAt < 0)
                lockedAt = msSince(clock);
        });
    QObject::connect(rig.scene->item(QStringLiteral("mainScreen")), &QQuickItem::visibleChanged,
        [&] { shownAt = msSince(clock); });
    bool drawn = false;
    double contentAt = -1;
    QObject::connect(rig.window->view()->quickWindow(), &QQuickWindow::afterRendering, [&] {
        if (contentAt < 0 && rig.scene->root()->isVisible())
            contentAt = msSince(clock);
        drawn = rig.scene->isShown(QStringLiteral("mainScreen"));
    });
    rig.window->showNormal();
    rig.window->checkDevice();
    const double checked = msSince(clock);
    SceneDriver::waitFor([&] { return drawn; }, 10000);
    const double drawing = msSince(clock) - shownAt;
    stages.built.push_back(built);
    stages.checked.push_back(checked);
    stages.locked.push_back(lockedAt);
    stages.drawing.push_back(drawing);
    stages.total.push_back(lockedAt + drawing);
    stages.mapped.push_back(mapped.at);
    stages.content.push_back(contentAt);
    stages.ready.push_back(msSince(clock));
}

// Prints the resident anonymous memory and the peak resident set of this process, KiB.
void printMemory(const char *when)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return;
    const QString text = QString::fromLatin1(status.readAll());
    for (const char *field : {"RssAnon", "VmHWM"}) {
        const auto m = QRegularExpression(QLatin1String(field) + QStringLiteral(":\\s+(\\d+)"))
                           .match(text);
        if (m.hasMatch())
            std::printf("%s.%s\t%s\n", when, field, qPrintable(m.captured(1)));
    }
}

// A page, what opens it (an item to click, or an expression of the root after "="), and its
// place.
struct Popup
{
    const char *name, *opener, *page, *place;
};

const Popup kPopups[] = {
    {"macro editor", "macroEditorEntry", "macroEditor", "macroEditorPlace"},
    {"gun page", "=openPopup(page(gunPlace))", "gunPage", "gunPlace"},  // no entry on this mouse
    {"system page", "systemSettingEntry", "systemSettings", "systemPlace"},
    {"profiles page", "configButton", "profilesPage", "profilesPlace"},
    {"button page", "keyMatrixRow2", "keyAssignment", "keyAssignmentPlace"},
};

// One child process: the bare program at its first frame, or the program at its main screen,
// then the first opening of each page and 1000 openings and closings; prints lines of
// "key value".
int child(const QString &what, const QUrl &scene)
{
    if (what == QLatin1String("bare-timing")) {
        Bare bare;
        bareQuickWidget(scene, bare);
        bareQuickWidget(scene, bare);
        std::printf("mapped\t%.2f\ndrawn\t%.2f\n", bare.mapped.back(), bare.drawn.back());
        return 0;
    }
    if (what.startsWith(QLatin1String("program-timing-"))) {
        const sim::Family family =
            what.endsWith(QLatin1String("560")) ? sim::Family::F560 : sim::Family::F553;
        Stages stages;
        program(stages, family);
        program(stages, family);
        std::printf("built\t%.2f\nchecked\t%.2f\nlocked\t%.2f\ndrawing\t%.2f\ntotal\t%.2f\n"
                    "mapped\t%.2f\ncontent\t%.2f\nready\t%.2f\n",
            stages.built.back(), stages.checked.back(), stages.locked.back(),
            stages.drawing.back(), stages.total.back(), stages.mapped.back(),
            stages.content.back(), stages.ready.back());
        return 0;
    }
    if (what == QLatin1String("bare")) {
        Bare bare;
        bareQuickWidget(scene, bare);
        SceneDriver::settle(500);
        printMemory("ready");
        return 0;
    }
    SceneRig rig;
    rig.configure(sim::Family::F553, true, true);
    if (!rig.start())
        return 1;
    SceneDriver::settle(500);
    printMemory("ready");
    SceneDriver &driver = *rig.scene;
    QQuickWindow *window = rig.window->view()->quickWindow();
    for (const Popup &popup : kPopups) {
        const QString opener = QLatin1String(popup.opener);
        if (!opener.startsWith(QLatin1Char('=')) && !driver.waitUsable(opener))
            return 1;
        bool drawn = false;
        auto frames = QObject::connect(window, &QQuickWindow::afterRendering,
            [&] { drawn = driver.isShown(QLatin1String(popup.page)); });
        QElapsedTimer clock;
        timespec cpuFrom {}, cpuTo {};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuFrom);
        clock.start();
        if (opener.startsWith(QLatin1Char('=')))
            driver.evaluate(opener.mid(1));
        else
            driver.click(opener);
        SceneDriver::waitFor([&] { return drawn; }, 10000);
        const double wall = msSince(clock);
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuTo);
        const double cpu = double(cpuTo.tv_sec - cpuFrom.tv_sec) * 1e3
            + double(cpuTo.tv_nsec - cpuFrom.tv_nsec) / 1e6;
        std::printf("open %s\t%.1f ms (CPU %.1f ms)\n", popup.name, wall, cpu);
        QObject::disconnect(frames);
        driver.evaluate(QStringLiteral("closePopup(page(%1))").arg(QLatin1String(popup.place)));
        SceneDriver::settle(100);
    }
    printMemory("opened");
    // Twice a thousand: what the first thousand adds may be caches filling once; the second
    // shows whether anything keeps growing.
    for (int i = 0; i < 2000; ++i) {
        if (i == 1000)
            printMemory("cycled");
        const Popup &popup = kPopups[i % 4];  // the button page opens for a button only
        driver.evaluate(QStringLiteral("openPopup(page(%1))").arg(QLatin1String(popup.place)));
        SceneDriver::settle(10);
        driver.evaluate(QStringLiteral("closePopup(page(%1))").arg(QLatin1String(popup.place)));
        SceneDriver::settle(10);
    }
    SceneDriver::settle(500);
    printMemory("cycled2");
    return 0;
}

// Runs this program as a child and returns what it printed, by key.
QMap<QString, QString> runChild(const QString &what)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), what});
    process.waitForFinished(600000);
    QMap<QString, QString> values;
    for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.split('\t');
        if (parts.size() == 2)
            values.insert(QString::fromUtf8(parts[0]), QString::fromUtf8(parts[1]));
    }
    return values;
}

}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("rectangle.qml"));
    QFile qml(file);
    qml.open(QIODevice::WriteOnly);
    qml.write("import QtQuick\nRectangle { width: 1024; height: 640; color: \"#202228\"\n"
              "  Text { anchors.centerIn: parent; text: \"STRYLA\"; color: \"white\" } }\n");
    qml.close();
    const QUrl scene = QUrl::fromLocalFile(file);
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0)
        return child(QString::fromLatin1(argv[2]), scene);

    // Bare and program runs alternate, each round the bare program, the 553 mouse, the 560.
    Bare bare;
    Stages stages[2];
    const char *families[2] = {"553", "560"};
    for (int i = 0; i < kRuns; ++i) {
        const auto b = runChild(QStringLiteral("bare-timing"));
        bare.mapped.push_back(b.value(QStringLiteral("mapped")).toDouble());
        bare.drawn.push_back(b.value(QStringLiteral("drawn")).toDouble());
        for (int f = 0; f < 2; ++f) {
            const auto p = runChild(QStringLiteral("program-timing-") + QLatin1String(families[f]));
            auto take = [&](std::vector<double> &to, const char *key) {
                to.push_back(p.value(QLatin1String(key)).toDouble());
            };
            take(stages[f].built, "built");
            take(stages[f].checked, "checked");
            take(stages[f].locked, "locked");
            take(stages[f].drawing, "drawing");
            take(stages[f].total, "total");
            take(stages[f].mapped, "mapped");
            take(stages[f].content, "content");
            take(stages[f].ready, "ready");
        }
    }
    // Content is seen once it is drawn and the window is mapped, whichever comes last.
    std::vector<double> bareSeen;
    for (size_t i = 0; i < bare.drawn.size(); ++i)
        bareSeen.push_back(std::max(bare.drawn[i], bare.mapped[i]));
    const double b = median(bare.drawn), bareMapped = median(bare.mapped),
                 bareContent = median(bareSeen);
    std::printf("start-up, median of %d alternated runs; bare QQuickWidget, one rectangle: "
                "first frame %.1f ms, window mapped %.1f ms, content seen %.1f ms\n",
        kRuns, b, bareMapped, bareContent);
    for (int f = 0; f < 2; ++f) {
        const Stages &st = stages[f];
        std::vector<double> seen;
        for (size_t i = 0; i < st.content.size(); ++i)
            seen.push_back(std::max(st.content[i], st.mapped[i]));
        const double total = median(st.total), mapped = median(st.mapped),
                     content = median(seen), ready = median(st.ready);
        std::printf("%s mouse:\n"
                    "  window and scene built at %.1f ms, first device check over at %.1f ms,\n"
                    "  protection begun at %.1f ms; the main screen drawn %.1f ms after it ended\n"
                    "  main screen, less the protection: %7.1f ms, ratio %.2f\n"
                    "  window mapped:       %7.1f ms, ratio %.2f (goal 1.1)\n"
                    "  first content drawn: %7.1f ms, ratio %.2f (goal 1.25)\n"
                    "  main screen drawn:   %7.1f ms = bare first content x %.2f + 1000 ms\n",
            families[f], median(st.built), median(st.checked), median(st.locked),
            median(st.drawing), total, total / b, mapped, mapped / bareMapped, content,
            content / bareContent, ready, (ready - 1000) / bareContent);
    }

    const QMap<QString, QString> bareChild = runChild(QStringLiteral("bare"));
    const QMap<QString, QString> programChild = runChild(QStringLiteral("program"));
    const double bareAnon = bareChild.value(QStringLiteral("ready.RssAnon")).toDouble();
    const double anon = programChild.value(QStringLiteral("ready.RssAnon")).toDouble();
    std::printf("memory, each in a process of its own (KiB):\n"
                "  anonymous: bare %.0f, program at its main screen %.0f, ratio %.2f (goal 1.3)\n"
                "  peak resident: bare %s, program %s\n",
        bareAnon, anon, bareAnon > 0 ? anon / bareAnon : 0.0,
        qPrintable(bareChild.value(QStringLiteral("ready.VmHWM"))),
        qPrintable(programChild.value(QStringLiteral("ready.VmHWM"))));
    std::printf("first opening of each page (click to its first frame):\n");
    for (const Popup &popup : kPopups)
        std::printf("  %-14s %s\n", popup.name,
            qPrintable(programChild.value(QStringLiteral("open ") + QLatin1String(popup.name),
                QStringLiteral("-"))));
    std::printf("(wall time, and the CPU time of the program in it: on a loaded machine the wall "
                "time waits for the CPU)\n");
    std::printf("anonymous memory after each page opened once %s KiB, after 1000 more openings "
                "and closings %s KiB, after 2000 %s KiB\n",
        qPrintable(programChild.value(QStringLiteral("opened.RssAnon"))),
        qPrintable(programChild.value(QStringLiteral("cycled.RssAnon"))),
        qPrintable(programChild.value(QStringLiteral("cycled2.RssAnon"))));
    return 0;
}
