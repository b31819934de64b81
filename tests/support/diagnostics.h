#pragma once

#include <QMutex>
#include <QMutexLocker>
#include <QStringList>
#include <QtGlobal>

#include <vector>

// Collects the program's diagnostic lines while it lives (and still prints them). Captures
// nest: an inner one collects while the outer ones go on collecting, and each hands the
// message handler back when it ends (inner ones end first).
class DiagnosticCapture
{
public:
    struct Line
    {
        QtMsgType type;
        QString category;
        QString text;
    };

    DiagnosticCapture()
    {
        m_outer = current();
        current() = this;
        m_previous = qInstallMessageHandler(&DiagnosticCapture::handler);
    }
    ~DiagnosticCapture()
    {
        qInstallMessageHandler(m_previous);
        current() = m_outer;
    }
    DiagnosticCapture(const DiagnosticCapture &) = delete;
    DiagnosticCapture &operator=(const DiagnosticCapture &) = delete;

    QStringList lines() const
    {
        QMutexLocker locker(&m_lock);
        QStringList out;
        for (const Line &line : m_lines)
            out.append(line.text);
        return out;
    }
    std::vector<Line> records() const
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
        DiagnosticCapture *self = current();
        if (!self)
            return;
        const Line line {type, QString::fromLatin1(context.category ? context.category : ""), text};
        for (; self; self = self->m_outer) {
            {
                QMutexLocker locker(&self->m_lock);
                self->m_lines.push_back(line);
            }
            if (!self->m_outer && self->m_previous)
                self->m_previous(type, context, text);
        }
    }

    mutable QMutex m_lock;
    std::vector<Line> m_lines;
    QtMessageHandler m_previous = nullptr;
    DiagnosticCapture *m_outer = nullptr;
};
