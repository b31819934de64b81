#pragma once

#include "button_assignment.h"
#include "device_context.h"
#include "dpi_settings.h"
#include "held_keys.h"
#include "lighting.h"
#include "name_lists.h"
#include "profile_files.h"
#include "profile_images.h"
#include "settings_store.h"

#include <QLocale>
#include <QQuickWidget>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <memory>

class Hid_Thread;

// The view that shows the scene and, through its public slots, is the scene's only door to
// the device and to the stored data. The scene reaches it as "ui_View". It is a thin facade:
// every slot hands its work to the settings store or to one of the device-settings units.
class myQQuickView : public QQuickWidget
{
    Q_OBJECT

public:
    explicit myQQuickView(QWidget *parent = nullptr);
    ~myQQuickView() override;

    void setHidThread(Hid_Thread *hid);
    Hid_Thread *hidThread() const { return m_context.hid; }

    // Device facts cached from the global configuration when the view was built.
    bool isColorful() const { return m_context.facts.isColorful; }
    bool isGun() const { return m_context.facts.isGun; }
    QString icType() const { return m_context.facts.icType; }
    bool is55328() const { return m_context.facts.is55328; }

    SettingsStore &store() { return *m_store; }
    const ProfileImageSet &profileImages() const { return m_profiles.images(); }

    // How many buttons of the six profiles play the macro (the scene names it before deleting).
    Q_INVOKABLE int macroUseCount(const QString &macroName);
    // The buttons bound to the macro: [{profile, button}], numbers and positions from 0.
    Q_INVOKABLE QVariantList macroUsers(const QString &macroName);
    // The one rule for a macro's name, which the macro editor asks before a rename: whether the
    // macro list and the macro files take it, and how long it may be.
    Q_INVOKABLE bool isUsableMacroName(const QString &name) const;
    Q_INVOKABLE int macroNameMaxLength() const;
    // A long write counted before it runs: while planning, device commands are counted, not
    // sent, and the profile images kept here are put back when planning ends, so the write
    // itself starts from the same state. plannedExchanges() is the count.
    Q_INVOKABLE void planWrites(bool on);
    Q_INVOKABLE int plannedExchanges() const;
    // While on, the device commands are held back; switched off, only the settings whose
    // bytes the device does not hold already are sent, each once (a switch of profile made
    // by a rule, the tray or the command line).
    Q_INVOKABLE void writeChangesOnly(bool on);
    // Whether this desktop lets a program set the pointer speed (the system page says so when
    // it does not).
    Q_INVOKABLE bool canSetCursorSpeed() const;
    // The desktop's keyboard layout in use now: {name, labels, letters} (see KeyboardLayout).
    Q_INVOKABLE QVariantMap keyboardLayout() const;
    // How long the start picture stays, in milliseconds (a second; tests may shorten it).
    Q_INVOKABLE int startPictureMs() const;
    // The shipped languages, ordered by name as a reader of the language readerCode sorts them
    // (English without one): { code, name, locale, fonts, capitals } each (capitals: whether
    // titles may be set in spaced capitals; fonts: those that draw its script best, most wanted
    // first).
    Q_INVOKABLE QVariantList languages(const QString &readerCode = QString());
    // Makes the language a stored choice gives (a code, or "desktop") the native side's
    // language (file dialogs, tray menu) and returns its code, which the scene reads texts in.
    Q_INVOKABLE QString useLanguage(const QString &choice);
    // The text in capitals by the rules of the language in use (Turkish i → İ).
    Q_INVOKABLE QString upperCase(const QString &text) const;

    // Key and button transitions of the global hooks, handed to the scene queued.
    void detectKeyboard(bool isDown, int usbCode);
    void detectMouse(bool isDown, uint code, uint x, uint y);
    // Whether the host window can be seen (shown, not minimised, exposed), told to the scene
    // at once so that what only the eye needs rests while it cannot.
    void setWindowShown(bool shown);

public slots:
    void clearHidBusy();
    void initUI();
    void runUI();
    void resetApconfig();
    bool loadMacroFile(QVariant macroFileName);
    void saveMacroFile(QVariant macroFileName);
    bool loadProfile(int profile);
    void saveProfile(int profile);
    // Why the last Import or Export was refused: 0 not refused, 1 the target is no regular
    // file, 2 the target is one of the program's own files, 3 the file is no profile.
    int profileFileRefusal() const;
    QString lastProfileFile() const;
    bool resetProfile(int profile);
    void copyProfile(int destprofile, int srcprofile);
    QStringList getLangStrings(QString typeStr, QString langCode);
    QVariant createMacroIni(QVariant name, QVariant macroIndex);
    QVariant updataNameList(QVariant type, QStringList nameList);
    QVariant modifyMacroNameUpdateProfile(QVariant oldname, QVariant newname);
    void deleteMacroUpdateProfile(QVariant macroName);
    QVariant deleteMacroIni(QVariant name);
    QVariantList getNameList(QVariant type);
    QVariant saveMacroIni(QVariant name, QStringList macros, QVariant repeat);
    QVariant mouseSendMacroData(QVariantList macroData, QVariant macroIndex);
    QStringList loadMacroIni(QVariant name);
    void mouseSaveGundata(QVariant index, QVariantList src6);
    void mouseSendGundata(int index, QVariantList src3);
    void modifyGundata(QVariant modifyType, QVariantList src6);
    QVariantList getGunData(QVariant name);
    QStringList getGunDataKey();
    QVariant getXYSensitive(QVariant index);
    QVariant getselectGun(QVariant index);
    void setXYSensitive(QVariant index, QVariant xyData);
    void setSelectGun(QVariant index, QVariant xyData);
    void setCurrentProfile(int profile);
    void mouseSetKeyboardoption(uchar byte1, uchar byte2, uchar byte3, uchar byte4);
    void mouseSetReportRate(uchar rate);
    void mouseSetCurrentDPI(uchar currentDPI);
    void mouseResetKeyMatrix();
    QVariant mouseGetCurrentDPI();
    void mouseSetKeyMatrix(QVariantList src64, bool isSendData, QVariantList otherParam);
    void mouseSetDpi(int dpiCount, QString sensorType, QVariantList dpiValueArray);
    void mouseSetRGBEffect(uchar effect, uchar option1, uchar option2);
    void mouseSetRGBColor(uchar type, QVariantList src24);
    void mouseSetProfile(uint profileNo);
    void mouseReadProfile(uint profileNo);
    QVariant mouseReadCurrentProfile();
    void mouseSwitchKeyMatrix(int indexNo);
    QVariantList GetKeyboardoption();
    // The desktop's pointer settings; false when the desktop did not take the value (the
    // system page says so).
    bool mouseSetCursorSpeed(uint cursorSpeed);
    bool mouseSetVerticalScrollLines(uint lines);
    bool mouseSetDoubleClickSpeed(uint speed);
    QVariantList mouseGetKeydefine(QVariant index, bool isRecovery);
    void openUpdateExe();
    QVariant getData(QVariant key, bool isRecovery);
    QVariant getGlobalData(QVariant key);
    QVariantList getDataList(QVariant key, bool isRecovery);
    void setData(QVariant key, QVariant data);
    void setGlobalData(QVariant key, QVariant tmpdata);
    void setDataList(QVariant key, QVariantList datalist);
    void setBusy(int busyTime = 0);
    void setCurrentDPI(int dpiValue);

protected:
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    // The scene's start-up after the start picture is on the screen (see initUI).
    void startUp();

    void announceFocusedItem();
    // Calls a function of the scene's root object by name; a missing function does nothing.
    void callScene(const char *function, const QVariantList &args, Qt::ConnectionType type);

    // The profile handles p1 … p10, in file order, for the macro operations.
    QList<QSettings *> profileHandles() const;

    std::unique_ptr<SettingsStore> m_store;
    QLocale m_locale;
    std::unique_ptr<ProfileFiles> m_profileFiles;
    NameLists m_names;
    DeviceContext m_context;
    ProfileImageSet m_imagesBeforePlan {};
    ProfileImages m_profiles {m_context};
    DpiSettings m_dpi {m_context};
    ButtonAssignment m_buttons {m_context};
    Lighting m_lighting {m_context};
    HeldKeys *m_heldKeys;
    bool m_startUpDue = false;
    bool m_startPictureRendered = false;
};
