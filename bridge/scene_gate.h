#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class myQQuickView;
class QQuickItem;

// The one door from the program to the scene's root. The window, the tray, the rules for
// programs and the command line read the scene's state and make their requests here, typed;
// only this class knows the names of the root's properties and functions.
class SceneGate : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool poweredOn READ poweredOn NOTIFY poweredOnChanged)
    Q_PROPERTY(bool shown READ shown NOTIFY shownChanged)
    Q_PROPERTY(bool popupOpen READ popupOpen NOTIFY popupOpenChanged)
    Q_PROPERTY(bool unsaved READ unsaved NOTIFY unsavedChanged)
    Q_PROPERTY(int profileInUse READ profileInUse NOTIFY profileInUseChanged)
    Q_PROPERTY(QString language READ language NOTIFY languageChanged)

public:
    struct Profile
    {
        int number = 0;  // counted from 0, as stored
        QString name;
        bool operator==(const Profile &o) const { return number == o.number && name == o.name; }
    };

    // Why a profile switch cannot happen now. Each caller decides which of these it waits
    // out and which it reports.
    enum class SwitchHold {
        None,       // it may happen now
        NoScene,    // the scene did not load
        Starting,   // the scene has not started for a connected device yet
        Switching,  // a switch asked through the gate is still running
        Busy,       // the mouse is being written, or the view is locked
        PageOpen,   // a pop-up page or a question is open
        Unsaved,    // something is changed and not saved
    };
    Q_ENUM(SwitchHold)

    // The view's scene must be loaded; without a root every reading is empty.
    explicit SceneGate(myQQuickView *view, QObject *parent = nullptr);

    bool hasScene() const { return !m_root.isNull(); }

    bool poweredOn() const;  // the scene has started for a connected device
    bool shown() const;      // the scene's root is visible (false before the first start)
    bool popupOpen() const;
    bool unsaved() const;
    int profileInUse() const;  // -1 without a scene
    QList<Profile> profiles() const;
    QString language() const;  // the code the texts are read in; empty without a scene

    // The one rule: whether a profile switch may happen now, and if not, why. Reasons are
    // given in the order above: the first that holds is the answer.
    SwitchHold switchHold() const;

    // The same flow as the drop-down (the unsaved question included); false for a number
    // that names no profile of the list.
    bool requestProfile(int number);
    // The stored profile list was changed from outside the window: the scene reads it again.
    void reloadProfileList();
    // The desktop's close of the window: the scene asks about unsaved changes, then hides it.
    void requestClose();
    // Quit: the scene asks about unsaved changes (Stay keeps the program), then ends it.
    void requestQuit();

signals:
    void poweredOnChanged();
    void shownChanged();
    void popupOpenChanged();
    void unsavedChanged();
    void profileInUseChanged();
    void profilesChanged();
    void languageChanged();
    // Something the switch rule reads may have changed (queued: a switch started from it
    // never runs inside the scene's own notification).
    void switchHoldMayHaveChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QVariant read(const char *name) const;
    void forward(const char *property, const char *signal);

    myQQuickView *m_view;
    QPointer<QQuickItem> m_root;
    bool m_switching = false;
};
