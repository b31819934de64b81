#include "myqquickview.h"

#include "dialog_texts.h"
#include "file_dialogs.h"
#include "gun_data.h"
#include "gun_sender.h"
#include "hid_thread.h"
#include "keyboard_layout.h"
#include "lang_strings.h"
#include "macro_download.h"
#include "macro_files.h"
#include "pointer_settings.h"
#include "scene_accessibility.h"
#include "scene_values.h"
#include "test_clock.h"

#include <QAccessible>
#include <QDebug>
#include <QFocusEvent>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>
#include <QTimer>

#include <array>

namespace {

// How long the scene's start-up waits for the start picture to be painted.
constexpr int kStartUpBoundMs = 250;

}  // namespace

myQQuickView::myQQuickView(QWidget *parent)
    : QQuickWidget(parent)
    , m_store(std::make_unique<SettingsStore>())
    , m_profileFiles(std::make_unique<ProfileFiles>(*m_store, this))
    , m_heldKeys(new HeldKeys(this))
{
    m_context.facts = m_store->facts();
    installSystemFileDialogs();
    SceneAccessibility::install();
    setResizeMode(QQuickWidget::SizeViewToRootObject);
    setAttribute(Qt::WA_AlwaysStackOnTop);
    setClearColor(Qt::transparent);
    connect(quickWindow(), &QQuickWindow::afterRendering, this, [this] {
        const auto *root = qobject_cast<QQuickItem *>(rootObject());
        if (m_startUpDue && root && root->isVisible())
            m_startPictureRendered = true;
    });
}

myQQuickView::~myQQuickView() = default;

void myQQuickView::setHidThread(Hid_Thread *hid)
{
    m_context.hid = hid;
}

void myQQuickView::callScene(
    const char *function, const QVariantList &args, Qt::ConnectionType type)
{
    QObject *root = rootObject();
    if (!root)
        return;
    std::array<QVariant, 4> values;
    std::array<QGenericArgument, 4> arguments;
    for (int i = 0; i < int(args.size()) && i < 4; ++i) {
        values[size_t(i)] = args.at(i);
        arguments[size_t(i)] = Q_ARG(QVariant, values[size_t(i)]);
    }
    QMetaObject::invokeMethod(
        root, function, type, arguments[0], arguments[1], arguments[2], arguments[3]);
}

void myQQuickView::detectKeyboard(bool isDown, int usbCode)
{
    callScene("detectKeyboard", {isDown, usbCode & 0xFF}, Qt::QueuedConnection);
}

void myQQuickView::detectMouse(bool isDown, uint code, uint x, uint y)
{
    callScene("detectMouse", {isDown, code, x, y}, Qt::QueuedConnection);
}

void myQQuickView::setWindowShown(bool shown)
{
    callScene("setWindowShown", {shown}, Qt::DirectConnection);
}

// Releases an interlock that an earlier exchange left taken. The interlock of a command still
// in progress (this may be called from events processed during its pauses) stays with it.
void myQQuickView::clearHidBusy()
{
    if (!m_context.hid)
        return;
    if (m_context.hid->isCommandInProgress()) {
        qDebug().noquote() << "clearHidBusy: a command is in progress, the interlock stays taken";
        return;
    }
    m_context.hid->setIdle(true);
}

// The start picture goes on the screen first. What the scene reads and builds for the main
// screen (the languages, the pages, the device's profile and DPI stage) follows once that
// frame has been painted; at once when the window is not shown, and after a bound when no
// paint comes (an unexposed window).
void myQQuickView::initUI()
{
    callScene("initUI", {}, Qt::QueuedConnection);
    m_startUpDue = true;
    m_startPictureRendered = false;
    if (!isVisible())
        QMetaObject::invokeMethod(this, &myQQuickView::startUp, Qt::QueuedConnection);
    else
        QTimer::singleShot(kStartUpBoundMs, this, &myQQuickView::startUp);
}

void myQQuickView::paintEvent(QPaintEvent *event)
{
    QQuickWidget::paintEvent(event);
    if (m_startUpDue && m_startPictureRendered)  // it reaches the screen as this paint ends
        QMetaObject::invokeMethod(this, &myQQuickView::startUp, Qt::QueuedConnection);
}

void myQQuickView::startUp()
{
    if (!m_startUpDue)
        return;
    // Called from the events a command's pauses let through, its exchanges would wait for an
    // interlock that cannot come free: it follows once the command is done.
    if (m_context.hid && m_context.hid->isCommandInProgress()) {
        connect(m_context.hid, &Hid_Thread::interlockFree, this, &myQQuickView::startUp,
            Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
        return;
    }
    m_startUpDue = false;
    callScene("startUp", {}, Qt::DirectConnection);
}

void myQQuickView::runUI()
{
    callScene("run", {}, Qt::QueuedConnection);
}

void myQQuickView::resetApconfig()
{
    m_store->resetApconfig();
}

void myQQuickView::setCurrentProfile(int profile)
{
    m_store->setCurrentProfile(profile);
}

void myQQuickView::openUpdateExe() { }

QVariant myQQuickView::getData(QVariant key, bool isRecovery)
{
    return m_store->getData(plainValue(key), isRecovery);
}

QVariant myQQuickView::getGlobalData(QVariant key)
{
    return m_store->getGlobalData(plainValue(key));
}

QVariantList myQQuickView::getDataList(QVariant key, bool isRecovery)
{
    return m_store->getDataList(plainValue(key), isRecovery);
}

void myQQuickView::setData(QVariant key, QVariant data)
{
    m_store->setData(plainValue(key), plainValue(data));
}

void myQQuickView::setGlobalData(QVariant key, QVariant tmpdata)
{
    m_store->setGlobalData(plainValue(key), plainValue(tmpdata));
}

void myQQuickView::setDataList(QVariant key, QVariantList datalist)
{
    m_store->setDataList(plainValue(key), plainList(datalist));
}

void myQQuickView::setBusy(int busyTime)
{
    callScene("setProtectUI", {busyTime}, Qt::DirectConnection);
}

// The device monitor calls this from its thread; the scene runs on the GUI thread.
void myQQuickView::setCurrentDPI(int dpiValue)
{
    QMetaObject::invokeMethod(
        this, [this, dpiValue] { callScene("setCurrentDPI", {dpiValue}, Qt::DirectConnection); },
        Qt::QueuedConnection);
}

// The base class hands the focus back to the scene's focused item. A screen reader is told
// that control after the view itself (which Qt announces once this returns): back from a file
// dialog, say, it would otherwise hear a nameless pane while the keyboard is on the control
// that opened the dialog.
void myQQuickView::focusInEvent(QFocusEvent *event)
{
    update();
    QQuickWidget::focusInEvent(event);
    event->accept();
    QMetaObject::invokeMethod(this, &myQQuickView::announceFocusedItem, Qt::QueuedConnection);
}

void myQQuickView::announceFocusedItem()
{
    QQuickItem *item = quickWindow()->activeFocusItem();
    if (!hasFocus() || !item || item == quickWindow()->contentItem() || !QAccessible::isActive())
        return;
    QAccessibleEvent focus(item, QAccessible::Focus);
    QAccessible::updateAccessibility(&focus);
}

void myQQuickView::changeEvent(QEvent *event)
{
    QQuickWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && isEnabled())
        m_heldKeys->viewEnabled();
}

// Qt moves the focus on from a widget that is disabled, and this view would pass that on to
// the scene as a Tab: the control after the focused one would take the focus at every long
// write. The view keeps the focus while locked instead, and the scene's focus stays put.
bool myQQuickView::focusNextPrevChild(bool next)
{
    if (!isEnabled())
        return true;
    return QQuickWidget::focusNextPrevChild(next);
}

void myQQuickView::mouseSetProfile(uint profileNo)
{
    m_profiles.mouseSetProfile(profileNo);
}

void myQQuickView::mouseReadProfile(uint profileNo)
{
    m_profiles.mouseReadProfile(profileNo);
}

QVariant myQQuickView::mouseReadCurrentProfile()
{
    return m_profiles.mouseReadCurrentProfile();
}

void myQQuickView::mouseSetKeyboardoption(uchar byte1, uchar byte2, uchar byte3, uchar byte4)
{
    m_dpi.mouseSetKeyboardoption(byte1, byte2, byte3, byte4);
}

void myQQuickView::mouseSetReportRate(uchar rate)
{
    m_dpi.mouseSetReportRate(rate);
}

void myQQuickView::mouseSetCurrentDPI(uchar currentDPI)
{
    m_dpi.mouseSetCurrentDPI(currentDPI);
}

QVariant myQQuickView::mouseGetCurrentDPI()
{
    return m_dpi.mouseGetCurrentDPI();
}

void myQQuickView::mouseSetDpi(int dpiCount, QString sensorType, QVariantList dpiValueArray)
{
    m_dpi.mouseSetDpi(dpiCount, sensorType, plainList(dpiValueArray));
}

QVariantList myQQuickView::GetKeyboardoption()
{
    return m_dpi.GetKeyboardoption();
}

void myQQuickView::mouseResetKeyMatrix()
{
    m_buttons.mouseResetKeyMatrix(*m_store->currentProfileSettings());
}

void myQQuickView::mouseSetKeyMatrix(QVariantList src64, bool isSendData, QVariantList otherParam)
{
    m_buttons.mouseSetKeyMatrix(
        plainList(src64), isSendData, plainList(otherParam), *m_store->currentProfileSettings());
}

void myQQuickView::mouseSwitchKeyMatrix(int indexNo)
{
    m_buttons.mouseSwitchKeyMatrix(indexNo);
}

QVariantList myQQuickView::mouseGetKeydefine(QVariant index, bool isRecovery)
{
    const QSettings *profile =
        isRecovery ? m_store->defaultProfileSettings() : m_store->currentProfileSettings();
    return m_buttons.mouseGetKeydefine(plainValue(index), *profile);
}

void myQQuickView::mouseSetRGBEffect(uchar effect, uchar option1, uchar option2)
{
    m_lighting.mouseSetRGBEffect(effect, option1, option2);
}

void myQQuickView::mouseSetRGBColor(uchar type, QVariantList src24)
{
    m_lighting.mouseSetRGBColor(type, plainList(src24));
}

QList<QSettings *> myQQuickView::profileHandles() const
{
    QList<QSettings *> handles;
    for (int n = 0; n < ProfileNumbers::kFileCount; ++n)
        handles.append(m_store->profileSettings(n));
    return handles;
}

// Profile files -------------------------------------------------------------------------

bool myQQuickView::loadProfile(int profile)
{
    return m_profileFiles->loadProfile(profile);
}

// The exchange file is offered under the profile's name in the profile list, whose entries
// are the name followed by the profile's number.
void myQQuickView::saveProfile(int profile)
{
    QString name;
    const QString number = QString::number(profile);
    for (const QVariant &entry : m_names.getNameList(2)) {
        const QString text = entry.toString();
        if (text.size() > number.size() && text.endsWith(number)) {
            name = text.chopped(number.size());
            break;
        }
    }
    m_profileFiles->saveProfile(profile, name);
}

// The scene's codes: 1 not a regular file to write (a link is not one either), 2 one of the
// program's own files, 3 not a profile file.
int myQQuickView::profileFileRefusal() const
{
    using Refusal = ProfileFiles::Refusal;
    switch (m_profileFiles->lastRefusal()) {
    case Refusal::None:
        return 0;
    case Refusal::NotAFileTarget:
    case Refusal::LinkTarget:
        return 1;
    case Refusal::StoreFileTarget:
        return 2;
    case Refusal::NotAProfile:
        return 3;
    }
    return 0;
}

QString myQQuickView::lastProfileFile() const
{
    return m_profileFiles->lastRefusedPath();
}

bool myQQuickView::resetProfile(int profile)
{
    return m_profileFiles->resetProfile(profile);
}

void myQQuickView::copyProfile(int destprofile, int srcprofile)
{
    m_profileFiles->copyProfile(destprofile, srcprofile);
}

// Name lists and language strings ---------------------------------------------------------

QVariant myQQuickView::updataNameList(QVariant type, QStringList nameList)
{
    return m_names.updataNameList(plainValue(type), nameList);
}

QVariantList myQQuickView::getNameList(QVariant type)
{
    return m_names.getNameList(plainValue(type));
}

// The scene reads section "other" when it applies a language: the DPI-switch notices follow.
QStringList myQQuickView::getLangStrings(QString typeStr, QString langCode)
{
    return sceneLangStrings(typeStr, langCode);
}

QVariantList myQQuickView::languages(const QString &readerCode)
{
    QVariantList out;
    for (const LangStrings::Language &language :
        LangStrings::sortedForReader(LangStrings::shippedLanguages(), readerCode)) {
        out.append(QVariantMap {{QStringLiteral("code"), language.code},
            {QStringLiteral("name"), language.name},
            {QStringLiteral("fonts"), LangStrings::preferredFonts(language.locale)},
            {QStringLiteral("capitals"), LangStrings::writesCapitals(language.locale)},
            {QStringLiteral("locale"), language.locale}});
    }
    return out;
}

QString myQQuickView::useLanguage(const QString &choice)
{
    QString note;
    const QString code = LangStrings::resolveChoice(choice, &note);
    if (!note.isEmpty())
        qDebug().noquote() << note;
    installDialogTexts(this, code);
    m_locale = QLocale(LangStrings::localeOf(code));
    return code;
}

QString myQQuickView::upperCase(const QString &text) const
{
    return m_locale.toUpper(text);
}

// Macro files -----------------------------------------------------------------------------

bool myQQuickView::loadMacroFile(QVariant macroFileName)
{
    return MacroFiles::loadMacroFile(plainValue(macroFileName).toString(), this);
}

void myQQuickView::saveMacroFile(QVariant macroFileName)
{
    MacroFiles::saveMacroFile(plainValue(macroFileName).toString(), this);
}

QVariant myQQuickView::createMacroIni(QVariant name, QVariant macroIndex)
{
    return MacroFiles::createMacroIni(plainValue(name).toString(), plainValue(macroIndex).toUInt());
}

QVariant myQQuickView::modifyMacroNameUpdateProfile(QVariant oldname, QVariant newname)
{
    return MacroFiles::modifyMacroNameUpdateProfile(
        plainValue(oldname).toString(), plainValue(newname).toString(), profileHandles());
}

void myQQuickView::deleteMacroUpdateProfile(QVariant macroName)
{
    MacroFiles::deleteMacroUpdateProfile(
        plainValue(macroName).toString(), profileHandles(), m_store->defaultProfileSettings());
}

void myQQuickView::planWrites(bool on)
{
    if (!m_context.hid)
        return;
    if (on) {
        m_imagesBeforePlan = m_profiles.images();
        m_context.hid->setPlanning(true);
        return;
    }
    m_context.hid->setPlanning(false);
    if (m_context.images)
        *m_context.images = m_imagesBeforePlan;
}

void myQQuickView::writeChangesOnly(bool on)
{
    if (m_context.hid)
        m_context.hid->setChangesOnly(on);
}

int myQQuickView::plannedExchanges() const
{
    return m_context.hid ? m_context.hid->plannedExchanges() : 0;
}

int myQQuickView::startPictureMs() const
{
    return TestClock::period("START", 1000);
}

int myQQuickView::macroUseCount(const QString &macroName)
{
    return MacroFiles::macroUseCount(macroName, profileHandles());
}

QVariantList myQQuickView::macroUsers(const QString &macroName)
{
    QVariantList users;
    for (const auto &[profile, button] : MacroFiles::macroUsers(macroName, profileHandles()))
        users.append(
            QVariantMap {{QStringLiteral("profile"), profile}, {QStringLiteral("button"), button}});
    return users;
}

bool myQQuickView::isUsableMacroName(const QString &name) const
{
    return NameLists::takesMacroName(name);
}

int myQQuickView::macroNameMaxLength() const
{
    return MacroFiles::kMaxNameLength;
}

QVariant myQQuickView::deleteMacroIni(QVariant name)
{
    return MacroFiles::deleteMacroIni(plainValue(name).toString());
}

QVariant myQQuickView::saveMacroIni(QVariant name, QStringList macros, QVariant repeat)
{
    return MacroFiles::saveMacroIni(plainValue(name).toString(), macros, plainValue(repeat));
}

QStringList myQQuickView::loadMacroIni(QVariant name)
{
    return MacroFiles::loadMacroIni(plainValue(name).toString());
}

QVariant myQQuickView::mouseSendMacroData(QVariantList macroData, QVariant macroIndex)
{
    return MacroDownload::mouseSendMacroData(
        m_context.hid, m_context.facts, plainList(macroData), plainValue(macroIndex));
}

// Gun table -------------------------------------------------------------------------------

void myQQuickView::mouseSaveGundata(QVariant index, QVariantList src6)
{
    GunData::mouseSaveGundata(plainValue(index), plainList(src6));
}

void myQQuickView::modifyGundata(QVariant modifyType, QVariantList src6)
{
    GunData::modifyGundata(plainValue(modifyType), plainList(src6));
}

void myQQuickView::mouseSendGundata(int index, QVariantList src3)
{
    GunSender::mouseSendGundata(
        m_context.hid, m_context.facts, *m_context.images, index, plainList(src3));
}

QVariantList myQQuickView::getGunData(QVariant name)
{
    return GunData::getGunData(plainValue(name));
}

QStringList myQQuickView::getGunDataKey()
{
    return GunData::getGunDataKey();
}

QVariant myQQuickView::getXYSensitive(QVariant index)
{
    return GunData::getXYSensitive(m_store->currentProfileSettings(), plainValue(index));
}

QVariant myQQuickView::getselectGun(QVariant index)
{
    return GunData::getselectGun(m_store->currentProfileSettings(), plainValue(index));
}

void myQQuickView::setXYSensitive(QVariant index, QVariant xyData)
{
    GunData::setXYSensitive(
        m_store->currentProfileSettings(), plainValue(index), plainValue(xyData));
}

void myQQuickView::setSelectGun(QVariant index, QVariant xyData)
{
    GunData::setSelectGun(m_store->currentProfileSettings(), plainValue(index), plainValue(xyData));
}

// Desktop pointer settings ----------------------------------------------------------------

bool myQQuickView::mouseSetCursorSpeed(uint cursorSpeed)
{
    return PointerSettings::mouseSetCursorSpeed(cursorSpeed);
}

bool myQQuickView::canSetCursorSpeed() const
{
    return PointerSettings::canSetCursorSpeed();
}

QVariantMap myQQuickView::keyboardLayout() const
{
    return KeyboardLayouts::current().toVariant();
}

bool myQQuickView::mouseSetVerticalScrollLines(uint lines)
{
    return PointerSettings::mouseSetVerticalScrollLines(lines);
}

bool myQQuickView::mouseSetDoubleClickSpeed(uint speed)
{
    return PointerSettings::mouseSetDoubleClickSpeed(speed);
}
