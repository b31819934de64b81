#pragma once

#include <QString>
#include <QStringList>

// The eight texts the monitor shows when the DPI stage changes on the device. Each starts
// as "DPI Switch to"; the language section "other" replaces them.
namespace NotificationTexts {

constexpr int kCount = 8;

// Text for a DPI stage counted from 1: stage s in 1 … 7 selects text s − 1, anything else text 7.
QString forStage(int stage);

// Replaces texts 0 … n − 1 with the first n strings (n at most eight); the rest keep their value.
void replace(const QStringList &texts);

// Back to eight times "DPI Switch to".
void reset();

}  // namespace NotificationTexts
