#include "scene_values.h"

#include <QJSValue>
#include <QVariantMap>

QVariant plainValue(const QVariant &value)
{
    const QMetaType type = value.metaType();
    if (type == QMetaType::fromType<QJSValue>())
        return plainValue(value.value<QJSValue>().toVariant());
    if (type == QMetaType::fromType<std::nullptr_t>())
        return QVariant();
    if (type.id() == QMetaType::QVariantList)
        return plainList(value.toList());
    if (type.id() == QMetaType::QVariantMap) {
        QVariantMap map = value.toMap();
        for (QVariant &element : map)
            element = plainValue(element);
        return map;
    }
    return value;
}

QVariantList plainList(const QVariantList &values)
{
    QVariantList out;
    out.reserve(values.size());
    for (const QVariant &value : values)
        out.append(plainValue(value));
    return out;
}
