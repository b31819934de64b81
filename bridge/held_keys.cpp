#include "held_keys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QQuickItem>
#include <QQuickWidget>
#include <QQuickWindow>

#include "scene_log.h"

namespace {

constexpr int kMostHeld = 256;  // keys (a press and its release are one), a few lines of typing

}  // namespace

HeldKeys::HeldKeys(QQuickWidget *view)
    : QObject(view)
    , m_view(view)
{
    QCoreApplication::instance()->installEventFilter(this);
}

HeldKeys::~HeldKeys() = default;

// The view, its host window, its scene and the scene's items: wherever the window system
// may hand the view's keys.
bool HeldKeys::belongsToView(QObject *object) const
{
    if (object == m_view || object == m_view->window() || object == m_view->quickWindow())
        return true;
    const auto *item = qobject_cast<QQuickItem *>(object);
    return item && item->window() == m_view->quickWindow();
}

bool HeldKeys::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || m_releasing)
        return false;
    if ((m_view->isEnabled() && m_keys.empty()) || !belongsToView(watched))
        return false;
    // A key goes round its receiver's parents; the first one seen holds it. A view locked for
    // long (a mouse unplugged while the window shows) keeps the first keys only: a press is
    // counted, the release of a kept press is always kept (no key is left down), and the
    // release of a dropped press goes with it.
    hold(static_cast<QKeyEvent *>(event));
    event->accept();
    if (m_view->isEnabled())
        viewEnabled();
    return true;
}

// A key held down repeats as (release, press) pairs marked as repeats, between its first press
// and its last release; a repeat's release is kept while its press will be.
void HeldKeys::hold(QKeyEvent *key)
{
    const bool full = m_heldPresses >= kMostHeld;
    if (key->type() == QEvent::KeyRelease) {
        const bool pressDropped = key->isAutoRepeat() ? full : m_droppedDown.remove(key->key());
        if (!pressDropped)
            m_keys.emplace_back(static_cast<QKeyEvent *>(key->clone()));
        return;
    }
    if (full) {
        if (!key->isAutoRepeat())
            m_droppedDown.insert(key->key());
        ++m_dropped;
        return;
    }
    ++m_heldPresses;
    m_keys.emplace_back(static_cast<QKeyEvent *>(key->clone()));
}

void HeldKeys::viewEnabled()
{
    if (m_keys.empty() || m_releasePosted)
        return;
    m_releasePosted = true;
    QMetaObject::invokeMethod(this, &HeldKeys::release, Qt::QueuedConnection);
}

// Each key goes to the view, which gives it to the scene's focused item; a key that locks
// the view again leaves the rest waiting for the next release.
void HeldKeys::release()
{
    m_releasePosted = false;
    m_releasing = true;
    while (!m_keys.empty() && m_view->isEnabled()) {
        std::unique_ptr<QKeyEvent> key = std::move(m_keys.front());
        m_keys.erase(m_keys.begin());
        QCoreApplication::sendEvent(m_view, key.get());
    }
    m_releasing = false;
    if (m_keys.empty()) {
        m_heldPresses = 0;
        m_droppedDown.clear();
        if (m_dropped > 0) {
            qCWarning(lcScene).noquote()
                << QStringLiteral("%1 keys typed while the mouse was written were dropped")
                       .arg(m_dropped);
        }
        m_dropped = 0;
    }
}
