#include "notification_texts.h"

#include <QMutex>
#include <QMutexLocker>

#include <array>

namespace {

const QString kInitialText = QStringLiteral("DPI Switch to");

struct Table
{
    QMutex lock;
    std::array<QString, NotificationTexts::kCount> texts;
    Table() { texts.fill(kInitialText); }
};

Table &table()
{
    static Table instance;
    return instance;
}

}  // namespace

namespace NotificationTexts {

QString forStage(int stage)
{
    const int index = (stage >= 1 && stage <= kCount - 1) ? stage - 1 : kCount - 1;
    QMutexLocker locker(&table().lock);
    return table().texts[size_t(index)];
}

void replace(const QStringList &texts)
{
    QMutexLocker locker(&table().lock);
    const int n = qMin(int(texts.size()), kCount);
    for (int i = 0; i < n; ++i)
        table().texts[size_t(i)] = texts.at(i);
}

void reset()
{
    QMutexLocker locker(&table().lock);
    table().texts.fill(kInitialText);
}

}  // namespace NotificationTexts
