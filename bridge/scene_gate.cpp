#include "scene_gate.h"

#include "hid_thread.h"
#include "myqquickview.h"
#include "scene_log.h"

#include <QEvent>
#include <QJSValue>
#include <QMetaProperty>
#include <QQuickItem>

Q_LOGGING_CATEGORY(lcScene, "stryla.scene", QtWarningMsg)

namespace {

// The root's names; nowhere else in the program are they spelled.
constexpr char kPoweredOn[] = "isPownOn";
constexpr char kShown[] = "visible";
constexpr char kPopupOpen[] = "popupOpen";
constexpr char kUnsaved[] = "unsaved";
constexpr char kProfileNo[] = "profileNo";
constexpr char kProfileEntries[] = "profileEntries";
constexpr char kLanguage[] = "language";
constexpr char kRequestProfile[] = "requestProfile";
constexpr char kReloadProfileList[] = "reloadProfileList";
constexpr char kCloseRequested[] = "closeRequested";
constexpr char kQuitRequested[] = "quitRequested";

QVariantList asList(const QVariant &value)
{
    if (value.canConvert<QJSValue>())
        return value.value<QJSValue>().toVariant().toList();
    return value.toList();
}

}  // namespace

SceneGate::SceneGate(myQQuickView *view, QObject *parent)
    : QObject(parent)
    , m_view(view)
    , m_root(view->rootObject())
{
    if (!m_root)
        return;
    forward(kPoweredOn, SIGNAL(poweredOnChanged()));
    forward(kShown, SIGNAL(shownChanged()));
    forward(kPopupOpen, SIGNAL(popupOpenChanged()));
    forward(kUnsaved, SIGNAL(unsavedChanged()));
    forward(kProfileNo, SIGNAL(profileInUseChanged()));
    forward(kProfileEntries, SIGNAL(profilesChanged()));
    forward(kLanguage, SIGNAL(languageChanged()));
    for (auto changed : {&SceneGate::poweredOnChanged, &SceneGate::shownChanged,
             &SceneGate::popupOpenChanged, &SceneGate::unsavedChanged}) {
        connect(this, changed, this, &SceneGate::switchHoldMayHaveChanged, Qt::QueuedConnection);
    }
    m_view->installEventFilter(this);  // the view's lock (EnabledChange)
    if (Hid_Thread *hid = m_view->hidThread()) {
        connect(hid, &Hid_Thread::interlockFree, this, &SceneGate::switchHoldMayHaveChanged,
            Qt::QueuedConnection);
    }
}

void SceneGate::forward(const char *property, const char *signal)
{
    const QMetaObject *meta = m_root->metaObject();
    const QMetaProperty p = meta->property(meta->indexOfProperty(property));
    if (!p.hasNotifySignal())
        return;
    const QMetaMethod from = p.notifySignal();
    const QMetaMethod to = metaObject()->method(metaObject()->indexOfSignal(
        QMetaObject::normalizedSignature(signal + 1).constData()));
    connect(m_root, from, this, to);
}

bool SceneGate::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && event->type() == QEvent::EnabledChange)
        QMetaObject::invokeMethod(this, &SceneGate::switchHoldMayHaveChanged, Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
}

QVariant SceneGate::read(const char *name) const
{
    return m_root ? m_root->property(name) : QVariant();
}

bool SceneGate::poweredOn() const
{
    return read(kPoweredOn).toBool();
}

bool SceneGate::shown() const
{
    return read(kShown).toBool();
}

bool SceneGate::popupOpen() const
{
    return read(kPopupOpen).toBool();
}

bool SceneGate::unsaved() const
{
    return read(kUnsaved).toBool();
}

int SceneGate::profileInUse() const
{
    return m_root ? read(kProfileNo).toInt() : -1;
}

QList<SceneGate::Profile> SceneGate::profiles() const
{
    QList<Profile> result;
    for (const QVariant &entry : asList(read(kProfileEntries))) {
        const QVariantMap map = entry.toMap();
        result.append({map.value(QStringLiteral("number")).toInt(),
            map.value(QStringLiteral("name")).toString()});
    }
    return result;
}

QString SceneGate::language() const
{
    return read(kLanguage).toString();
}

SceneGate::SwitchHold SceneGate::switchHold() const
{
    if (!m_root)
        return SwitchHold::NoScene;
    if (!shown() || !poweredOn())
        return SwitchHold::Starting;
    if (m_switching)
        return SwitchHold::Switching;
    const Hid_Thread *hid = m_view->hidThread();
    if ((hid && hid->isCommandInProgress()) || !m_view->isEnabled())
        return SwitchHold::Busy;
    if (popupOpen())
        return SwitchHold::PageOpen;
    if (unsaved())
        return SwitchHold::Unsaved;
    return SwitchHold::None;
}

bool SceneGate::requestProfile(int number)
{
    if (!m_root)
        return false;
    qCDebug(lcScene) << "Profile switch requested:" << number + 1;
    QVariant accepted;
    m_switching = true;
    QMetaObject::invokeMethod(
        m_root, kRequestProfile, Q_RETURN_ARG(QVariant, accepted), Q_ARG(QVariant, number));
    m_switching = false;
    QMetaObject::invokeMethod(this, &SceneGate::switchHoldMayHaveChanged, Qt::QueuedConnection);
    return accepted.toBool();
}

void SceneGate::reloadProfileList()
{
    qCDebug(lcScene) << "Profile list reloaded";
    if (m_root)
        QMetaObject::invokeMethod(m_root, kReloadProfileList);
}

void SceneGate::requestQuit()
{
    qCDebug(lcScene) << "Quit requested";
    if (m_root)
        QMetaObject::invokeMethod(m_root, kQuitRequested, Qt::QueuedConnection);
}

void SceneGate::requestClose()
{
    qCDebug(lcScene) << "Close requested";
    if (m_root)
        QMetaObject::invokeMethod(m_root, kCloseRequested, Qt::QueuedConnection);
}
