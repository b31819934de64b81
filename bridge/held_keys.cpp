#include "held_keys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QQuickItem>
#include <QQuickWidget>
#include <QQuickWindow>

namespace {

constexpr size_t kMostHeld = 256;  // a few lines of typing

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
    // long (a mouse unplugged while the window shows) keeps the first keys only.
    if (m_keys.size() < kMostHeld)
        m_keys.emplace_back(static_cast<QKeyEvent *>(event->clone()));
    event->accept();
    if (m_view->isEnabled())
        viewEnabled();
    return true;
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
}
