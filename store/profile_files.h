#pragma once

#include <QString>

class QWidget;
class SettingsStore;

// Whole profile files: export to and import from a ".pf" exchange file chosen by the user
// (a byte-for-byte copy of the profile file), reset to the default profile, copy between
// slots. Every rewrite of a profile file goes through the store's handle replacement, so a
// source that cannot be copied leaves the profile as it was. Profile numbers are 0 … 9.
class ProfileFiles
{
public:
    // dialogParent is the window the file dialogs belong to; it may be null.
    ProfileFiles(SettingsStore &store, QWidget *dialogParent);

    // Offers name (a profile's display name) as the exchange file's name.
    void saveProfile(int profile, const QString &name = QString());
    // True when a file was chosen and has become the profile; false when the dialog was
    // cancelled, the number is out of range or the file could not be copied.
    bool loadProfile(int profile);
    // The same without a dialog, for a path given by the caller: true when the copy is
    // complete. A failure leaves the target (the exchange file, or the profile) as it was.
    // Export writes only to a regular file or a new name, never onto a device, a pipe, a
    // folder, a link or one of the program's own stored files; import takes only a regular
    // file (opened without waiting, so a pipe put in its place cannot hold the program) that
    // reads as a profile (a settings file of a few kilobytes with the groups a profile has).
    bool exportProfile(int profile, const QString &target);
    bool importProfile(int profile, const QString &source);

    // Why the last export or import was refused; None after a success, a cancelled dialog or
    // a failure of the copy itself.
    enum class Refusal { None, NotAFileTarget, LinkTarget, StoreFileTarget, NotAProfile };
    Refusal lastRefusal() const { return m_refusal; }
    QString lastRefusedPath() const { return m_refusedPath; }
    // One line for the command line and the diagnostic output.
    static QString describe(Refusal refusal, const QString &path);
    // False when the factory file could not be put in place; the profile is then unchanged.
    bool resetProfile(int profile);
    void copyProfile(int destprofile, int srcprofile);

private:
    bool checkProfile(int profile, const char *operation) const;
    bool refuse(Refusal refusal, const QString &path);

    Refusal m_refusal = Refusal::None;
    QString m_refusedPath;

    SettingsStore &m_store;
    QWidget *m_dialogParent;
};
