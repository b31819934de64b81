// One key or button event from the raw XInput2 event, through the translation tables and the
// callback, to the queued call of the scene's root function, as the host window makes it.
// Queued calls are delivered outside the timed region. Allocations made on this thread inside
// the timed region are counted by the replaced operator new.
#include "input_hook.h"
#include "input_source_x11.h"
#include "raw_event.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QVariant>

#include <benchmark/benchmark.h>
#include <xcb/xinput.h>

#include <cstdlib>
#include <memory>
#include <new>

namespace {

thread_local long allocationCount = 0;

}  // namespace

void *operator new(std::size_t size)
{
    ++allocationCount;
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void *p) noexcept
{
    std::free(p);
}

void operator delete(void *p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

constexpr uint8_t kOpcode = 131;
constexpr int kBatch = 512;  // events between two deliveries of the queued calls
constexpr uint32_t kKeycodeA = 38;
constexpr uint32_t kButtonLeft = 1;

const char kScene[] = "import QtQml\n"
                      "QtObject {\n"
                      "    property int keys: 0\n"
                      "    property int buttons: 0\n"
                      "    function detectKeyboard(isDown, usbCode) { keys++ }\n"
                      "    function detectMouse(isDown, code, x, y) { buttons++ }\n"
                      "}\n";

struct Scene
{
    QQmlEngine engine;
    std::unique_ptr<QObject> root;
};

Scene &scene()
{
    static Scene *s = [] {
        auto *created = new Scene;
        QQmlComponent component(&created->engine);
        component.setData(kScene, QUrl());
        created->root.reset(component.create());
        if (!created->root)
            qFatal("%s", qPrintable(component.errorString()));
        return created;
    }();
    return *s;
}

// The host window's callbacks: queued calls of the root functions with variant arguments.
void queueKeyboard(int code, int pressed, void *root)
{
    QMetaObject::invokeMethod(static_cast<QObject *>(root), "detectKeyboard", Qt::QueuedConnection,
        Q_ARG(QVariant, QVariant(pressed != 0)), Q_ARG(QVariant, QVariant(code & 0xFF)));
}

void queueMouse(int code, int pressed, int x, int y, void *root)
{
    QMetaObject::invokeMethod(static_cast<QObject *>(root), "detectMouse", Qt::QueuedConnection,
        Q_ARG(QVariant, QVariant(pressed != 0)), Q_ARG(QVariant, QVariant(uint(code & 0xFF))),
        Q_ARG(QVariant, QVariant(uint(x))), Q_ARG(QVariant, QVariant(uint(y))));
}

long callbackCount = 0;
void countKeyboard(int, int, void *)
{
    ++callbackCount;
}
void countMouse(int, int, int, int, void *)
{
    ++callbackCount;
}

enum class Path { Queued, TablesOnly };

void run(
    benchmark::State &state, uint16_t pressType, uint16_t releaseType, uint32_t detail, Path path)
{
    Scene &s = scene();
    InputHook hook(false);
    if (path == Path::Queued) {
        hook.setKeyboardCallback(queueKeyboard, s.root.get());
        hook.setMouseCallback(queueMouse, s.root.get());
    } else {
        hook.setKeyboardCallback(countKeyboard, nullptr);
        hook.setMouseCallback(countMouse, nullptr);
    }
    const auto press = rawEvent(pressType, detail, kOpcode);
    const auto release = rawEvent(releaseType, detail, kOpcode);
    const auto *events = reinterpret_cast<const xcb_generic_event_t *>(&press);
    const auto *releases = reinterpret_cast<const xcb_generic_event_t *>(&release);

    long allocations = 0;
    long events_done = 0;
    const int before = s.root->property("keys").toInt() + s.root->property("buttons").toInt();
    callbackCount = 0;
    for (auto _ : state) {
        const long start = allocationCount;
        for (int i = 0; i < kBatch; i += 2) {
            X11InputSource::dispatch(events, kOpcode);
            X11InputSource::dispatch(releases, kOpcode);
        }
        allocations += allocationCount - start;
        events_done += kBatch;
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    const int delivered =
        s.root->property("keys").toInt() + s.root->property("buttons").toInt() - before;
    const long reported = path == Path::Queued ? delivered : callbackCount;
    if (reported != events_done)
        state.SkipWithError("not every event reached the callback");
    state.SetItemsProcessed(events_done);
    state.counters["time_per_event"] = benchmark::Counter(
        double(events_done), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["allocs_per_event"] = double(allocations) / double(events_done);
}

void BM_KeyToQueuedCall(benchmark::State &state)
{
    run(state, XCB_INPUT_RAW_KEY_PRESS, XCB_INPUT_RAW_KEY_RELEASE, kKeycodeA, Path::Queued);
}

void BM_ButtonToQueuedCall(benchmark::State &state)
{
    run(state, XCB_INPUT_RAW_BUTTON_PRESS, XCB_INPUT_RAW_BUTTON_RELEASE, kButtonLeft, Path::Queued);
}

void BM_KeyThroughTables(benchmark::State &state)
{
    run(state, XCB_INPUT_RAW_KEY_PRESS, XCB_INPUT_RAW_KEY_RELEASE, kKeycodeA, Path::TablesOnly);
}

void BM_ButtonThroughTables(benchmark::State &state)
{
    run(state, XCB_INPUT_RAW_BUTTON_PRESS, XCB_INPUT_RAW_BUTTON_RELEASE, kButtonLeft,
        Path::TablesOnly);
}

BENCHMARK(BM_KeyToQueuedCall);
BENCHMARK(BM_ButtonToQueuedCall);
BENCHMARK(BM_KeyThroughTables);
BENCHMARK(BM_ButtonThroughTables);

}  // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
