#pragma once

#include <QObject>

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
    void release();

    QQuickWidget *m_view;
    std::vector<std::unique_ptr<QKeyEvent>> m_keys;
    bool m_releasing = false;
    bool m_releasePosted = false;
};
