#pragma once

#include <QMutex>
#include <QMutexLocker>
#include <QStringList>
#include <QtGlobal>

// Collects the program's diagnostic lines while it lives (and still prints them).
class DiagnosticCapture
{
public:
    DiagnosticCapture()
    {
        current() = this;
        m_previous = qInstallMessageHandler(&DiagnosticCapture::handler);
    }
    ~DiagnosticCapture()
    {
        qInstallMessageHandler(m_previous);
        current() = nullptr;
    }

    QStringList lines() const
    {
        QMutexLocker locker(&m_lock);
        return m_lines;
    }
    int count(const QString &line) const { return int(lines().count(line)); }
    bool contains(const QString &line) const { return lines().contains(line); }
    void clear()
    {
        QMutexLocker locker(&m_lock);
        m_lines.clear();
    }

private:
    static DiagnosticCapture *&current()
    {
        static DiagnosticCapture *instance = nullptr;
        return instance;
    }
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (DiagnosticCapture *self = current()) {
            {
                QMutexLocker locker(&self->m_lock);
                self->m_lines.append(text);
            }
            if (self->m_previous)
                self->m_previous(type, context, text);
        }
    }

    mutable QMutex m_lock;
    QStringList m_lines;
    QtMessageHandler m_previous = nullptr;
};
