#pragma once

#include <QObject>
#include <QSet>

#include <memory>
#include <vector>

class QKeyEvent;
class QQuickWidget;

// Keys typed while the view is locked for a long write wait, like the clicks that the
// transport's pauses hold back, and reach the scene afterwards, in order, where the focus is.
// Keys that come while earlier ones still wait queue behind them.
class HeldKeys : public QObject
{
public:
    explicit HeldKeys(QQuickWidget *view);
    ~HeldKeys() override;

    // The view takes input again: what waits is handed on at the next turn of the event loop.
    void viewEnabled();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool belongsToView(QObject *object) const;
    void hold(QKeyEvent *key);
    void release();

    QQuickWidget *m_view;
    std::vector<std::unique_ptr<QKeyEvent>> m_keys;
    int m_heldPresses = 0;
    int m_dropped = 0;
    QSet<int> m_droppedDown;  // keys whose press was dropped, until their release
    bool m_releasing = false;
    bool m_releasePosted = false;
};
