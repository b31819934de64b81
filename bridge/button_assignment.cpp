#include "button_assignment.h"

#include "hid_thread.h"
#include "profile_images.h"

#include <QDebug>
#include <QSettings>

namespace KeyMatrix {

namespace {

const QString kSceneGroup = QStringLiteral("mouseKeyMatrix/");
const QString kDeviceFormGroup = QStringLiteral("mouseFwKeyMatrix/");

// Scene kind → device kind. Kinds not listed (0x09 … 0xFE) go to the device unchanged.
struct KindRule
{
    uchar scene;
    uchar device;
    uchar value2Add;  // macro slots count from 1 on the device
};

constexpr KindRule kKindRules[] = {
    {0x00, 1, 0},   // mouse button
    {0x01, 10, 0},  // repeated key
    {0x02, 0, 0},   // key combination
    {0x03, 3, 0},   // media key
    {0x04, 9, 1},   // macro
    {0x05, 7, 0},   // DPI function
    {0x06, 0, 0},   // Windows function
    {0x07, 0, 0},   // shortcut
    {0x08, 8, 0},   // gun button
    {0xFF, 4, 0},   // device function of positions 14 and 15
};

// Whole entries that replace a scene entry.
constexpr uchar kRepeatKind = 10;
constexpr uchar kDoubleClickValue2 = 0x1E;  // scene (0, any, 0x1E, 2) is a double click
constexpr uchar kDoubleClickValue3 = 2;
constexpr uchar kSniperValue2 = 4;
constexpr Entry kSniper560 {0x0B, 0, 1, 1};
constexpr Entry kSniper553 {7, 0, 4, 2};

// Positions the device keeps for itself, whatever the scene holds there. The scene's
// position 5 moves to position 7 first.
constexpr int kMovedFrom = 5;
constexpr int kMovedTo = 7;

struct FixedEntry
{
    int position;
    Entry entry;
};

constexpr FixedEntry kFixedEntries[] = {
    {5, {7, 0, 3, 0}},
    {6, {5, 0, 3, 0}},
    {8, {0x0D, 0, 0, 0}},
    {9, {0x0D, 1, 0, 0}},
    {12, {0x0E, 0, 0, 0}},
};

// What a gun button cycling through n guns (1 … 3) puts in main, A, B and C: the 553
// family in value3, the 560 family in value2 with the gun count mask of image 0.
struct GunCycle
{
    Entry values;
    uchar countMask;
};

constexpr GunCycle kGunCycles553[] = {{{1, 0, 0, 0}, 0}, {{1, 2, 0, 0}, 0}, {{1, 2, 3, 0}, 0}};
constexpr GunCycle kGunCycles560[] = {
    {{1, 0, 0, 0}, 0x07}, {{1, 3, 0, 0}, 0x0F}, {{1, 3, 3, 0}, 0x1F}};

// Entry 0 of each gun matrix: the gun slot and its repeat period.
constexpr uchar kGunSlotKind = 0x0B;

const KindRule *kindRule(uchar sceneKind)
{
    for (const KindRule &rule : kKindRules) {
        if (rule.scene == sceneKind)
            return &rule;
    }
    return nullptr;
}

// Four values of a list as an entry; a missing or non-numeric value counts as 0.
Entry entryFrom(const QVariantList &values, int first, bool *malformed)
{
    Entry entry {};
    for (int field = 0; field < kEntrySize; ++field)
        entry[size_t(field)] = sceneByte(values, first + field, malformed);
    return entry;
}

// The gun-button part of one position: main entry and the three gun matrices.
void setUpGunButton(GunMatrices &out, int position, bool is560)
{
    Entry main = entryAt(out.main, position);
    std::array<Entry, kGunSlots> guns;
    for (int s = 0; s < kGunSlots; ++s) {
        guns[size_t(s)] = entryAt(out.guns[size_t(s)], position);
        guns[size_t(s)][Kind] = kGunButton;
    }
    const int n = main[Value2];
    const GunCycle *cycle = nullptr;
    if (n >= 1 && n <= kGunSlots)
        cycle = is560 ? &kGunCycles560[n - 1] : &kGunCycles553[n - 1];
    const size_t field = is560 ? Value2 : Value3;
    if (cycle) {
        main[field] = cycle->values[0];
        for (int s = 0; s < kGunSlots; ++s)
            guns[size_t(s)][field] = cycle->values[size_t(s) + 1];
        if (cycle->countMask)
            out.countMask = cycle->countMask;
    }
    if (!is560) {
        main[Value2] = 1;
        main[Value1] = 0;
        for (Entry &slot : guns) {
            slot[Value2] = 1;
            slot[Value1] = 0;
        }
    }
    setEntry(out.main, position, main);
    for (int s = 0; s < kGunSlots; ++s)
        setEntry(out.guns[size_t(s)], position, guns[size_t(s)]);
}

}  // namespace

Entry entryAt(const Matrix &matrix, int position)
{
    Entry entry;
    std::copy_n(matrix.begin() + position * kEntrySize, kEntrySize, entry.begin());
    return entry;
}

void setEntry(Matrix &matrix, int position, const Entry &entry)
{
    std::copy(entry.begin(), entry.end(), matrix.begin() + position * kEntrySize);
}

Entry translate(const Entry &scene, bool is560)
{
    if (scene[Kind] == kSceneMouseButton && scene[Value2] == kDoubleClickValue2
        && scene[Value3] == kDoubleClickValue3) {
        return {kRepeatKind, scene[Value1], scene[Value2], scene[Value3]};
    }
    if (scene[Kind] == kSceneDpiFunction && scene[Value2] == kSniperValue2)
        return is560 ? kSniper560 : kSniper553;
    Entry device = scene;
    if (const KindRule *rule = kindRule(scene[Kind])) {
        device[Kind] = rule->device;
        device[Value2] = uchar(scene[Value2] + rule->value2Add);
    }
    return device;
}

Matrix mainMatrix(const QVariantList &src64, bool is560)
{
    if (src64.size() != kSize)
        qDebug().noquote() << QStringLiteral("mouseSetKeyMatrix: expected %1 values, got %2")
                                  .arg(kSize)
                                  .arg(src64.size());
    bool malformed = false;
    Matrix matrix {};
    for (int i = 0; i < kEntries; ++i)
        setEntry(matrix, i, translate(entryFrom(src64, i * kEntrySize, &malformed), is560));
    if (malformed)
        qDebug().noquote() << "mouseSetKeyMatrix: values that are not numbers count as 0";
    setEntry(matrix, kMovedTo, entryAt(matrix, kMovedFrom));
    for (const FixedEntry &fixed : kFixedEntries)
        setEntry(matrix, fixed.position, fixed.entry);
    return matrix;
}

Matrix deviceFormTable(const QSettings &profile)
{
    Matrix table {};
    int malformedEntries = 0;
    for (int i = 0; i < kEntries; ++i) {
        const QVariantList stored =
            storedList(profile.value(kDeviceFormGroup + QString::number(i)));
        bool malformed = stored.size() < kEntrySize;
        setEntry(table, i, entryFrom(stored, 0, &malformed));
        malformedEntries += malformed ? 1 : 0;
    }
    if (malformedEntries)
        qDebug().noquote() << QStringLiteral(
            "mouseFwKeyMatrix: %1 of %2 entries missing or malformed, "
            "their values count as 0")
                                  .arg(malformedEntries)
                                  .arg(kEntries);
    return table;
}

bool hasGunButton(const Matrix &matrix)
{
    for (int i = 0; i < kEntries; ++i) {
        if (matrix[size_t(i * kEntrySize)] == kGunButton)
            return true;
    }
    return false;
}

GunMatrices gunMatrices(
    const Matrix &main, const Matrix &deviceForm, const QVariantList &periods, bool is560)
{
    GunMatrices out;
    out.main = main;
    out.guns.fill(deviceForm);
    for (int i = 0; i < kEntries; ++i) {
        if (main[size_t(i * kEntrySize)] == kGunButton)
            setUpGunButton(out, i, is560);
    }
    if (periods.size() < kGunSlots)
        qDebug().noquote() << QStringLiteral(
            "mouseSetKeyMatrix: %1 gun periods for %2 gun slots, missing ones "
            "count as 0")
                                  .arg(periods.size())
                                  .arg(kGunSlots);
    bool malformed = false;
    for (int s = 0; s < kGunSlots; ++s)
        setEntry(
            out.guns[size_t(s)], 0, {kGunSlotKind, uchar(s), sceneByte(periods, s, &malformed), 0});
    if (malformed)
        qDebug().noquote() << "mouseSetKeyMatrix: gun periods that are not numbers count as 0";
    return out;
}

}  // namespace KeyMatrix

using namespace KeyMatrix;

ButtonAssignment::ButtonAssignment(const DeviceContext &context)
    : m_context(context)
{ }

void ButtonAssignment::mouseSetKeyMatrix(
    const QVariantList &src64, bool isSendData, const QVariantList &otherParam, QSettings &profile)
{
    // Positions the list does not reach keep what is stored; a partly given entry is
    // completed with zeros.
    for (int i = 0; i < kEntries && i * kEntrySize < src64.size(); ++i) {
        QVariantList entry = src64.mid(i * kEntrySize, kEntrySize);
        while (entry.size() < kEntrySize)
            entry.append(0);
        profile.setValue(kSceneGroup + QString::number(i), storedForm(entry));
    }
    if (!isSendData || !m_context.ready("mouseSetKeyMatrix"))
        return;
    Matrix main = mainMatrix(src64, m_context.is560());
    if (hasGunButton(main))
        sendWithGuns(main, otherParam, profile);
    else
        sendMatrix(main, 1);
}

void ButtonAssignment::sendWithGuns(
    const Matrix &main, const QVariantList &periods, const QSettings &profile)
{
    const bool is560 = m_context.is560();
    GunMatrices matrices = gunMatrices(main, deviceFormTable(profile), periods, is560);
    if (is560) {
        ProfileImage &image0 = (*m_context.images)[0];
        if (matrices.countMask)
            ProfileImageWriter::put(image0, ProfileOffset::GunCountMask, {matrices.countMask});
        ProfileImageWriter::send(m_context, 0);
    }
    sendMatrix(matrices.main, 1);
    for (int s = 0; s < kGunSlots; ++s)
        sendMatrix(matrices.guns[size_t(s)], s + 2);
    if (is560)
        m_context.hid->hid560_02H_SetCurrentProfile(1);
    else
        m_context.hid->hid553_02H_SetCurrentKeyMatrix(1);
}

void ButtonAssignment::sendMatrix(Matrix &matrix, int number)
{
    if (m_context.is560())
        m_context.hid->hid560_0DH_SetKeyMatrix(matrix.data(), uchar(number));
    else
        m_context.hid->hid553_12H_SetKeyMatrix(matrix.data(), uchar(number));
}

void ButtonAssignment::mouseResetKeyMatrix(const QSettings &profile)
{
    if (!m_context.ready("mouseResetKeyMatrix"))
        return;
    Matrix table = deviceFormTable(profile);
    for (int number = 2; number <= 1 + kGunSlots; ++number)
        sendMatrix(table, number);
}

void ButtonAssignment::mouseSwitchKeyMatrix(int indexNo)
{
    const bool is560 = m_context.is560();
    const int first = is560 ? 0 : 1;  // 560: device profiles 0 … 4; 553: matrices 1 … 4
    const int last = is560 ? kProfileCount - 1 : 1 + kGunSlots;
    if (indexNo < first || indexNo > last) {
        qDebug().noquote() << QStringLiteral("mouseSwitchKeyMatrix: no key matrix %1 (%2 to %3)")
                                  .arg(indexNo)
                                  .arg(first)
                                  .arg(last);
        return;
    }
    if (!m_context.ready("mouseSwitchKeyMatrix"))
        return;
    if (is560)
        m_context.hid->hid560_02H_SetCurrentProfile(uchar(indexNo));
    else
        m_context.hid->hid553_02H_SetCurrentKeyMatrix(uchar(indexNo - 1));
}

QVariantList ButtonAssignment::mouseGetKeydefine(
    const QVariant &index, const QSettings &profile) const
{
    return storedList(profile.value(kSceneGroup + index.toString()));
}
