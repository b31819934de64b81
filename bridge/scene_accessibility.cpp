#include "scene_accessibility.h"

#include <QQmlProperty>
#include <QQuickRenderControl>
#include <QQuickWindow>
#include <QtQuick/private/qaccessiblequickitem_p.h>
#include <QtQuick/private/qquickaccessibleattached_p.h>
#include <QtQuick/private/qquickitem_p.h>

#include <utility>

namespace {

// The window the scene is drawn in, and where its top left corner lies there; null for a
// scene that is its own window.
QWindow *shownIn(QQuickWindow *scene, QPoint *offset)
{
    QWindow *shown = scene ? QQuickRenderControl::renderWindowFor(scene, offset) : nullptr;
    return shown != scene ? shown : nullptr;
}

class SceneItemAccessible : public QAccessibleQuickItem
{
public:
    using QAccessibleQuickItem::QAccessibleQuickItem;

    QWindow *window() const override
    {
        QWindow *shown = shownIn(static_cast<QQuickItem *>(object())->window(), nullptr);
        return shown ? shown : QAccessibleQuickItem::window();
    }

    // Qt maps the item through its window; an offscreen window's place is not where the
    // widget shows it, so the difference between the two is added.
    QRect rect() const override
    {
        QRect r = QAccessibleQuickItem::rect();
        QQuickWindow *scene = static_cast<QQuickItem *>(object())->window();
        QPoint offset;
        if (QWindow *shown = shownIn(scene, &offset))
            r.translate(shown->mapToGlobal(offset) - scene->mapToGlobal(QPoint(0, 0)));
        return r;
    }

    // Qt counts an item off screen when it lies outside the offscreen window's place; it is
    // measured against the window it is shown in instead, so every item drawn there is
    // reported as showing. A plain text is not reached by the keyboard, and says so.
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleQuickItem::state();
        auto *item = static_cast<QQuickItem *>(object());
        if (QWindow *shown = shownIn(item->window(), nullptr)) {
            const QRect view(shown->mapToGlobal(QPoint(0, 0)), shown->size());
            const QRect r = rect();
            s.offscreen = view.isEmpty() || r.isEmpty() || !view.intersects(r);
            // Qt also counts such an item as invisible.
            s.invisible = s.offscreen || !shown->isVisible() || !item->isVisible()
                || qFuzzyIsNull(item->opacity());
        }
        const QAccessible::Role shownRole = role();
        if ((shownRole == QAccessible::StaticText || shownRole == QAccessible::Heading)
            && !item->activeFocusOnTab())
            s.focusable = false;
        return s;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface && role() == QAccessible::ProgressBar)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleQuickItem::interface_cast(type);
    }
};

// The offscreen window a QQuickWidget draws its scene in is no window of the desktop: it never
// shows, and its items are read as the widget's children. With no object to name, it is left
// out of the application's windows.
class UnshownWindowAccessible : public QAccessibleInterface
{
public:
    bool isValid() const override { return false; }
    QObject *object() const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override { return nullptr; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text) const override { return {}; }
    void setText(QAccessible::Text, const QString &) override { }
    QRect rect() const override { return {}; }
    QAccessible::Role role() const override { return QAccessible::NoRole; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.invisible = true;
        return s;
    }
};

// Items Qt would make accessible (those with Accessible settings), read as above; an editable
// text also tells each change of its text, so a screen reader echoes what is typed.
QAccessibleInterface *sceneItemFactory(const QString &, QObject *object)
{
    if (!object)
        return nullptr;
    if (auto *scene = qobject_cast<QQuickWindow *>(object))
        return shownIn(scene, nullptr) ? new UnshownWindowAccessible : nullptr;
    if (!object->isQuickItemType())
        return nullptr;
    auto *item = static_cast<QQuickItem *>(object);
    if (!QQuickItemPrivate::get(item)->isAccessible)
        return nullptr;
    auto *iface = new SceneItemAccessible(item);
    if (iface->role() == QAccessible::EditableText)
        TextEcho::follow(item);
    return iface;
}

}  // namespace

void SceneAccessibility::install()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(sceneItemFactory);
}

TextEcho::TextEcho(QObject *item)
    : QObject(item)
    , m_item(item)
    , m_text(item->property("text").toString())
{
    QQmlProperty(item, QStringLiteral("text")).connectNotifySignal(this, SLOT(textChanged()));
}

void TextEcho::follow(QObject *item)
{
    if (!item->findChild<TextEcho *>(QString(), Qt::FindDirectChildrenOnly))
        new TextEcho(item);
}

// Only the part that changed is told: a typed digit is heard as that digit.
void TextEcho::textChanged()
{
    const QString text = m_item->property("text").toString();
    const QString before = std::exchange(m_text, text);
    if (text == before)
        return;
    int start = 0;
    while (start < before.size() && start < text.size() && before.at(start) == text.at(start))
        ++start;
    int endBefore = int(before.size());
    int endNow = int(text.size());
    while (endBefore > start && endNow > start && before.at(endBefore - 1) == text.at(endNow - 1)) {
        --endBefore;
        --endNow;
    }
    const QString removed = before.mid(start, endBefore - start);
    const QString inserted = text.mid(start, endNow - start);
    if (removed.isEmpty()) {
        QAccessibleTextInsertEvent event(m_item, start, inserted);
        QAccessible::updateAccessibility(&event);
    } else if (inserted.isEmpty()) {
        QAccessibleTextRemoveEvent event(m_item, start, removed);
        QAccessible::updateAccessibility(&event);
    } else {
        QAccessibleTextUpdateEvent event(m_item, start, removed, inserted);
        QAccessible::updateAccessibility(&event);
    }
}
