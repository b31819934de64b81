#pragma once

// The program's window (Widget with the view, the real scene and its Hid_Thread) over the
// simulated device, in a temporary installation folder.

#include "myqquickview.h"
#include "runtime_dir.h"
#include "sim_support.h"
#include "widget.h"

#include <QElapsedTimer>
#include <QQmlContext>
#include <QQmlExpression>
#include <QQuickItem>
#include <QtTest>

#include <functional>
#include <memory>

namespace simtest {

class WindowRig
{
public:
    WindowRig() { sim::reset(); }
    ~WindowRig()
    {
        window.reset();
        sim::reset();
    }
    WindowRig(const WindowRig &) = delete;
    WindowRig &operator=(const WindowRig &) = delete;

    // Keys of the global configuration, before the window is built.
    void setGlobal(const QString &key, const QVariant &value) { dir.setGlobal(key, value); }
    void configure560Gun()
    {
        setGlobal(QStringLiteral("mouse/icType"), QStringLiteral("560"));
        setGlobal(QStringLiteral("mouse/isGun"), true);
    }

    // Plugs model (with its state changed by initial), builds and shows the window, runs the
    // device check and waits until the scene's start-up exchanges are over; false when they do
    // not end.
    bool connect(
        const sim::DeviceSpec &model, const std::function<void(sim::DeviceState &)> &initial = {})
    {
        device = sim::plug(model);
        if (initial)
            sim::modifyState(device, initial);
        window = std::make_unique<Widget>();
        window->showNormal();
        window->checkDevice();
        return waitForQuietWire();
    }

    Hid_Thread &hid() { return window->hid(); }
    myQQuickView &view() { return *window->view(); }

    // Runs a script in the scene's root context, as the scene's own functions run.
    QVariant evaluate(const QString &script)
    {
        QObject *root = view().rootObject();
        QQmlExpression expression(qmlContext(root), root, script);
        const QVariant result = expression.evaluate();
        if (expression.hasError())
            qWarning().noquote() << expression.error().toString();
        return result;
    }

    // Waits until no command is in progress and nothing has crossed the command interface for
    // quietMs; false when that does not happen within timeoutMs.
    bool waitForQuietWire(int quietMs = 400, int timeoutMs = 15000)
    {
        QElapsedTimer total, quiet;
        total.start();
        quiet.start();
        size_t seen = commandRecords();
        while (total.elapsed() < timeoutMs) {
            QTest::qWait(20);
            const size_t now = commandRecords();
            if (now != seen || (window && window->hid().isCommandInProgress())) {
                seen = now;
                quiet.restart();
            } else if (quiet.elapsed() >= quietMs) {
                return true;
            }
        }
        return false;
    }

    static size_t commandRecords()
    {
        const std::vector<sim::WireRecord> log = sim::wireLog();
        return size_t(std::count_if(log.begin(), log.end(),
            [](const sim::WireRecord &r) { return r.interface == sim::Interface::Command; }));
    }

    RuntimeDir dir;
    std::unique_ptr<Widget> window;
    sim::DeviceId device = 0;
};

}  // namespace simtest
