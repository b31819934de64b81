#pragma once

// File dialogs that answer with a prepared path ("" = cancelled) instead of asking the user,
// installed for as long as the object lives.

#include "file_dialogs.h"

#include <QStringList>

class ScriptedFileDialogs : public FileDialogs
{
public:
    ScriptedFileDialogs() { setFileDialogs(this); }
    ~ScriptedFileDialogs() override { setFileDialogs(nullptr); }
    ScriptedFileDialogs(const ScriptedFileDialogs &) = delete;
    ScriptedFileDialogs &operator=(const ScriptedFileDialogs &) = delete;

    QString openFileName(
        QWidget *, const QString &caption, const QString &, const QString &) override
    {
        return record(caption);
    }
    QString saveFileName(
        QWidget *, const QString &caption, const QString &, const QString &) override
    {
        return record(caption);
    }

    QString answer;
    QStringList captions;  // of every dialog shown, in order

private:
    QString record(const QString &caption)
    {
        captions << caption;
        return answer;
    }
};
