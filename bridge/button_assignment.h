#pragma once

#include "device_context.h"

#include <QString>
#include <QVariant>

#include <array>

class QSettings;

// Button assignment: the 16 key entries (kind, value1, value2, value3) the scene edits, kept
// in the profile file, translated into the device's form and sent as key matrix 1; with a
// gun button also the three gun matrices 2 … 4.
namespace KeyMatrix {

constexpr int kEntries = 16;
constexpr int kEntrySize = 4;
constexpr int kSize = kEntries * kEntrySize;  // 64 bytes on the wire
constexpr int kGunSlots = 3;                  // matrices 2, 3, 4

using Entry = std::array<uchar, kEntrySize>;
using Matrix = std::array<uchar, kSize>;

enum Field { Kind, Value1, Value2, Value3 };

// Scene kinds the translation looks at.
constexpr uchar kSceneMouseButton = 0x00;
constexpr uchar kSceneDpiFunction = 0x05;
constexpr uchar kGunButton = 0x08;  // the same kind in both forms

Entry entryAt(const Matrix &matrix, int position);
void setEntry(Matrix &matrix, int position, const Entry &entry);

// One scene entry in the device's form.
Entry translate(const Entry &scene, bool is560);

// Key matrix 1 from the scene's 64 values: each entry translated, then the positions the
// device keeps for itself. A missing or non-numeric value counts as 0.
Matrix mainMatrix(const QVariantList &src64, bool is560);

// The device-form table "mouseFwKeyMatrix/0 … 15" of a profile file; missing or short
// entries count as 0.
Matrix deviceFormTable(const QSettings &profile);

struct GunMatrices
{
    Matrix main {};
    std::array<Matrix, kGunSlots> guns {};  // matrices 2, 3, 4
    uchar countMask = 0;                    // 560: byte 2 of image 0; 0 leaves it
};

// The main matrix with its gun buttons set up, and the gun matrices built from the
// device-form table; periods holds the repeat period of gun slots 1, 2, 3.
GunMatrices gunMatrices(
    const Matrix &main, const Matrix &deviceForm, const QVariantList &periods, bool is560);

bool hasGunButton(const Matrix &matrix);

}  // namespace KeyMatrix

class ButtonAssignment
{
public:
    explicit ButtonAssignment(const DeviceContext &context);

    // Stores the entries in profile and, when isSendData, sends them.
    void mouseSetKeyMatrix(const QVariantList &src64, bool isSendData,
        const QVariantList &otherParam, QSettings &profile);
    // Sends the device-form table of profile as key matrices 2, 3 and 4.
    void mouseResetKeyMatrix(const QSettings &profile);
    // 553: matrix indexNo (1 … 4); 560: device profile indexNo (0 … 4).
    void mouseSwitchKeyMatrix(int indexNo);
    // The stored entry of one button, empty when the key is missing.
    QVariantList mouseGetKeydefine(const QVariant &index, const QSettings &profile) const;

private:
    void sendMatrix(KeyMatrix::Matrix &matrix, int number);
    void sendWithGuns(
        const KeyMatrix::Matrix &main, const QVariantList &periods, const QSettings &profile);

    const DeviceContext &m_context;
};
