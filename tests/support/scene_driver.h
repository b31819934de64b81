#pragma once

// Drives the real scene the way a user does: finds an item by its objectName, waits until
// it can be used, and clicks, drags and types with mouse and key events sent to the view.
// Keys and buttons of the desktop arrive through the same path the global hooks use. There
// is no stand-in for the bridge: what the scene does reaches the settings files and the
// (simulated) device.

#include "myqquickview.h"
#include "widget.h"

#include <QElapsedTimer>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlExpression>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

class SceneDriver
{
public:
    static constexpr int kWaitMs = 5000;

    explicit SceneDriver(Widget &window)
        : m_window(window)
    { }

    myQQuickView *view() const { return m_window.view(); }
    QQuickItem *root() const { return view()->rootObject(); }

    // The item named objectName anywhere in the scene, drop-downs included; null if none.
    QQuickItem *find(const QString &objectName) const
    {
        return findBelow(view()->quickWindow()->contentItem(), objectName);
    }

    // The item, once it exists (waits up to kWaitMs); null, with a warning, if it never does.
    QQuickItem *item(const QString &objectName) const
    {
        QQuickItem *found = nullptr;
        waitFor([&] { return (found = find(objectName)) != nullptr; });
        if (!found)
            qWarning().noquote() << "scene: no item" << objectName;
        return found;
    }

    // Whether the item exists, is shown (with all its ancestors) and takes input, and the
    // view takes input too; waits up to ms for it.
    bool waitUsable(const QString &objectName, int ms = kWaitMs) const
    {
        const bool ok = waitFor(
            [&] {
                QQuickItem *i = find(objectName);
                return i && i->isVisible() && i->isEnabled() && view()->isEnabled()
                    && i->width() > 0 && i->height() > 0;
            },
            ms);
        if (!ok)
            qWarning().noquote() << "scene:" << objectName << "is not usable";
        return ok;
    }

    bool isShown(const QString &objectName) const
    {
        QQuickItem *i = find(objectName);
        return i && i->isVisible();
    }

    // The point of the view at (fx, fy) of the item's size, (0.5, 0.5) being its centre.
    QPoint pointOf(QQuickItem *item, qreal fx = 0.5, qreal fy = 0.5) const
    {
        return item->mapToScene(QPointF(item->width() * fx, item->height() * fy)).toPoint();
    }

    bool click(const QString &objectName, Qt::MouseButton button = Qt::LeftButton)
    {
        if (!waitUsable(objectName))
            return false;
        clickAt(pointOf(find(objectName)), button);
        return true;
    }

    bool doubleClick(const QString &objectName)
    {
        if (!waitUsable(objectName))
            return false;
        // As the window system delivers one: press, release, the second press as a
        // double click, release. (Sent to a widget, QTest's double click is the third event
        // alone, which leaves the button held.)
        const QPoint at = pointOf(find(objectName));
        QTest::mouseMove(view(), at);
        QTest::mousePress(view(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseRelease(view(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(view(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseRelease(view(), Qt::LeftButton, Qt::NoModifier, at);
        settle();
        return true;
    }

    void clickAt(const QPoint &at, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseMove(view(), at);
        QTest::mouseClick(view(), button, Qt::NoModifier, at);
        settle();
    }

    void hover(const QString &objectName)
    {
        if (QQuickItem *i = item(objectName))
            QTest::mouseMove(view(), pointOf(i));
        settle();
    }

    // Presses at from, moves to to in steps, releases there.
    void drag(const QPoint &from, const QPoint &to, int steps = 8)
    {
        QTest::mouseMove(view(), from);
        QTest::mousePress(view(), Qt::LeftButton, Qt::NoModifier, from);
        for (int i = 1; i <= steps; ++i) {
            const QPoint p = from + (to - from) * i / steps;
            QMouseEvent move(QEvent::MouseMove, p, view()->mapToGlobal(p), Qt::NoButton,
                Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(view(), &move);
        }
        QTest::mouseRelease(view(), Qt::LeftButton, Qt::NoModifier, to);
        settle();
    }

    // Opens a drop-down slider, puts its handle on value and lets go, as a user drags it.
    bool setSlider(const QString &objectName, int value)
    {
        if (!click(objectName))
            return false;
        QQuickItem *slider = find(objectName);
        QQuickItem *track = item(objectName + QStringLiteral("Track"));
        if (!track || !waitUsable(track->objectName()))
            return false;
        const int from = slider->property("from").toInt();
        const int to = slider->property("to").toInt();
        const qreal fx = qreal(value - from) / qreal(to - from);
        const QPoint target = pointOf(track, fx);
        const QPoint start = pointOf(track, fx < 0.5 ? 1.0 : 0.0);
        drag(start, target);
        const bool reached = slider->property("value").toInt() == value;
        click(objectName);  // closes the drop-down again
        if (!reached)
            qWarning().noquote() << "scene:" << objectName << "stopped at"
                                 << slider->property("value").toInt() << "not" << value;
        return reached;
    }

    void typeText(const QString &text)
    {
        QTest::keyClicks(view(), text);
        settle();
    }

    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(view(), key, modifiers);
        settle();
    }

    // Clicks a text field, replaces what it holds by text and presses Return.
    bool replaceText(const QString &objectName, const QString &text)
    {
        if (!click(objectName))
            return false;
        key(Qt::Key_A, Qt::ControlModifier);
        typeText(text);
        key(Qt::Key_Return);
        return true;
    }

    // A key or button of the desktop, as the global hooks hand it to the window.
    void hookKey(int usbCode, bool pressed)
    {
        Widget::onKeyboardHook(usbCode, pressed ? 1 : 0, &m_window);
        settle();
    }

    void hookButton(int code, bool pressed, int x = 100, int y = 100)
    {
        Widget::onMouseHook(code, pressed ? 1 : 0, x, y, &m_window);
        settle();
    }

    QVariant property(const QString &objectName, const char *name) const
    {
        QQuickItem *i = item(objectName);
        return i ? i->property(name) : QVariant();
    }

    QString text(const QString &objectName) const
    {
        return property(objectName, "text").toString();
    }

    // An expression in the root's own context, where the scene's ids are known.
    QVariant evaluate(const QString &expression) const
    {
        QQmlExpression e(qmlContext(root()), root(), expression);
        const QVariant result = e.evaluate();
        if (e.hasError())
            qWarning().noquote() << "scene:" << e.error().toString();
        return result.canConvert<QJSValue>() ? result.value<QJSValue>().toVariant() : result;
    }

    // Lets queued calls, bindings and the frame after them run.
    static void settle(int ms = 30) { QTest::qWait(ms); }

    template <typename Condition>
    static bool waitFor(Condition condition, int ms = kWaitMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (!condition()) {
            if (clock.elapsed() > ms)
                return false;
            QTest::qWait(10);
        }
        return true;
    }

private:
    static QQuickItem *findBelow(QQuickItem *item, const QString &objectName)
    {
        if (!item)
            return nullptr;
        if (item->objectName() == objectName)
            return item;
        for (QQuickItem *child : item->childItems())
            if (QQuickItem *found = findBelow(child, objectName))
                return found;
        return nullptr;
    }

    Widget &m_window;
};
