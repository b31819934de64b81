#pragma once

#include <QVariant>
#include <QVariantList>

// Values as the scene hands them to the bridge. A JavaScript array or object given for a
// QVariant parameter arrives as a QJSValue, which the settings files cannot keep (it would be
// written as an opaque serialised object that no later start can read) and the device units
// do not understand. Every slot passes what it is given through here once: a QJSValue becomes
// its plain value, arrays lists and objects maps, at any depth; null becomes an invalid value,
// as undefined is.
QVariant plainValue(const QVariant &value);
QVariantList plainList(const QVariantList &values);
