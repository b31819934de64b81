#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (logout, `kill`, Ctrl+C in a terminal) into a signal on
// the GUI thread, so the program ends the same way as through "Quit (&Q)". The handler only
// writes one byte to a socket pair; everything else happens in the event loop.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

signals:
    void quitRequested();

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};
