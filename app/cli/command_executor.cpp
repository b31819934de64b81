#include "command_executor.h"

#include "device_list.h"
#include "myqquickview.h"
#include "name_lists.h"
#include "profile_files.h"
#include "qtsinglecoreapplication.h"
#include "settings_store.h"
#include "widget.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQuickItem>
#include <QSettings>
#include <QTimer>

#include <algorithm>

namespace CommandLine {

namespace {

constexpr int kSwitchTimeoutMs = 30000;  // how long a switch waits for the device to be free
constexpr int kRetryMs = 20;

// The stored profile list (name list 2): each text is the name followed by the profile number
// as one digit; a list of one carries a padding name. Six entries at most, numbers 0 … 5.
constexpr char kListSentinel[] = "loaderpivlan";
constexpr int kMaxEntries = 6;
constexpr int kMaxNumber = 5;
constexpr char kNewNamePrefix[] = "profile_";
constexpr int kNewNameLimit = 12;
constexpr char kFirstEntryName[] = "Standard";

QString profileLine(int number, const QString &name)
{
    return QStringLiteral("%1 %2\n").arg(number + 1).arg(name);
}

QJsonObject profileObject(int number, const QString &name)
{
    return QJsonObject {{QStringLiteral("number"), number + 1}, {QStringLiteral("name"), name}};
}

QString jsonText(const QJsonValue &value)
{
    const QJsonDocument document =
        value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    return QString::fromUtf8(document.toJson(QJsonDocument::Indented));
}

}  // namespace

Executor::Executor(SettingsStore &store, Widget *window)
    : m_store(store)
    , m_window(window)
{ }

void Executor::serve(QtSingleCoreApplication &app)
{
    connect(&app, &QtSingleCoreApplication::requestReceived, this,
        [this, &app](quint64 id, const QString &text) {
            Request request;
            if (!Request::fromText(text, &request)) {
                app.answerRequest(id,
                    Reply::refused(UsageError, QStringLiteral("Not a command: %1").arg(text))
                        .toText());
                return;
            }
            execute(
                request, [&app, id](const Reply &reply) { app.answerRequest(id, reply.toText()); });
        });
}

void Executor::execute(const Request &request, const Done &done)
{
    const QString &command = request.command;
    if (command == QLatin1String("profile"))
        switchProfile(request, done);
    else if (command == QLatin1String("current-profile"))
        done(currentProfile(request));
    else if (command == QLatin1String("list-profiles"))
        done(listProfiles(request));
    else if (command == QLatin1String("export-profile"))
        done(exportProfile(request));
    else if (command == QLatin1String("import-profile"))
        done(importProfile(request));
    else if (command == QLatin1String("list-devices"))
        done(listDevices(request));
    else
        done(Reply::refused(UsageError, QStringLiteral("Unknown command: %1").arg(command)));
}

// The list as the profiles page reads it: texts without a usable profile number and repeated
// numbers are left out, and an empty list is one entry for the profile in use. The page
// names the first entry after its text each time it loads.
QList<Executor::Entry> Executor::entries() const
{
    QStringList texts;
    for (const QVariant &value : NameLists().getNameList(2))
        texts << value.toString();
    if (texts.size() == 2 && texts.at(1) == QLatin1String(kListSentinel))
        texts.removeLast();
    QList<Entry> list;
    bool seen[kMaxNumber + 1] = {};
    for (const QString &text : std::as_const(texts)) {
        const QChar last = text.isEmpty() ? QChar() : text.back();
        const int number = last.unicode() - '0';
        if (text.size() < 2 || number < 0 || number > kMaxNumber || seen[number])
            continue;
        seen[number] = true;
        list.append({text.chopped(1), number});
    }
    if (list.isEmpty())
        list.append({QString::fromLatin1(kFirstEntryName), profileInUse()});
    return list;
}

int Executor::profileInUse() const
{
    bool ok = false;
    const int n = m_store.getGlobalData(QStringLiteral("mouse/profileNo")).toString().toInt(&ok);
    return ok && n >= 0 && n <= kMaxNumber ? n : 0;
}

// A name of the list, else a number as the user counts (1 … 6).
const Executor::Entry *Executor::find(const QList<Entry> &list, const QString &nameOrNumber) const
{
    for (const Entry &entry : list) {
        if (entry.name == nameOrNumber)
            return &entry;
    }
    bool ok = false;
    const int number = nameOrNumber.toInt(&ok) - 1;
    for (const Entry &entry : list) {
        if (ok && entry.number == number)
            return &entry;
    }
    return nullptr;
}

Reply Executor::currentProfile(const Request &request) const
{
    const QList<Entry> list = entries();
    const int inUse = profileInUse();
    QString name;
    for (const Entry &entry : list) {
        if (entry.number == inUse)
            name = entry.name;
    }
    Reply reply;
    reply.out = request.json ? jsonText(profileObject(inUse, name)) : profileLine(inUse, name);
    return reply;
}

Reply Executor::listProfiles(const Request &request) const
{
    const int inUse = profileInUse();
    QJsonArray array;
    Reply reply;
    for (const Entry &entry : entries()) {
        QJsonObject object = profileObject(entry.number, entry.name);
        object.insert(QStringLiteral("inUse"), entry.number == inUse);
        array.append(object);
        reply.out += (entry.number == inUse ? QStringLiteral("* ") : QStringLiteral("  "))
            + profileLine(entry.number, entry.name);
    }
    if (request.json)
        reply.out = jsonText(array);
    return reply;
}

Reply Executor::exportProfile(const Request &request) const
{
    const QList<Entry> list = entries();
    const Entry *entry = find(list, request.profile);
    if (!entry)
        return Reply::refused(Refused, QStringLiteral("No profile \"%1\".").arg(request.profile));
    if (!ProfileFiles(m_store, nullptr).exportProfile(entry->number, request.file))
        return Reply::refused(Refused, QStringLiteral("Cannot write %1.").arg(request.file));
    return {};
}

// As the profiles page's Import: the new entry takes the lowest profile number that no entry
// has and that is not in use, and the name given or the first free "profile_<k>"; the list
// is written only once the profile file is in place, so a refused import changes no file.
Reply Executor::importProfile(const Request &request) const
{
    QList<Entry> list = entries();
    if (list.size() >= kMaxEntries)
        return Reply::refused(Refused,
            QStringLiteral("There are six profiles already; delete one in the window first."));
    const auto named = [&list](const QString &name) {
        return std::any_of(
            list.cbegin(), list.cend(), [&name](const Entry &e) { return e.name == name; });
    };
    Entry added;
    added.name = request.name;
    for (int k = 0; added.name.isEmpty() && k < kNewNameLimit; ++k) {
        const QString candidate = QString::fromLatin1(kNewNamePrefix) + QString::number(k);
        if (!named(candidate))
            added.name = candidate;
    }
    if (added.name.isEmpty() || named(added.name))
        return Reply::refused(
            Refused, QStringLiteral("A profile named \"%1\" exists already.").arg(added.name));
    const int inUse = profileInUse();
    added.number = -1;
    for (int number = 0; number <= kMaxNumber && added.number < 0; ++number) {
        const bool taken = std::any_of(
            list.cbegin(), list.cend(), [number](const Entry &e) { return e.number == number; });
        if (!taken && number != inUse)
            added.number = number;
    }
    if (added.number < 0)
        return Reply::refused(Refused, QStringLiteral("No profile number is free."));
    const QFileInfo source(request.file);
    if (!source.isFile() || !source.isReadable())
        return Reply::refused(Refused, QStringLiteral("Cannot read %1.").arg(request.file));
    if (!ProfileFiles(m_store, nullptr).importProfile(added.number, request.file))
        return Reply::refused(Refused, QStringLiteral("Cannot copy %1.").arg(request.file));

    list.append(added);
    QStringList texts;
    for (const Entry &entry : std::as_const(list))
        texts << entry.name + QString::number(entry.number);
    NameLists().updataNameList(2, texts);
    if (m_window && m_window->view()->rootObject())
        QMetaObject::invokeMethod(m_window->view()->rootObject(), "reloadProfileList");
    Reply reply;
    reply.out = profileLine(added.number, added.name);
    return reply;
}

Reply Executor::listDevices(const Request &request) const
{
    QSettings config(QString::fromLatin1(StoreFiles::kGlobal), QSettings::IniFormat);
    DevInfoList devices = DeviceList::read(config);
    DeviceList::locateInterfaces(devices);
    const QString family = m_store.facts().icType == QLatin1String("560") ? QStringLiteral("560")
                                                                          : QStringLiteral("553");
    QJsonArray array;
    Reply reply;
    for (const DevInfo &device : std::as_const(devices)) {
        const QString kind = device.type == 0 ? QStringLiteral("keyboard")
            : device.type == 1                ? QStringLiteral("mouse")
                                              : QStringLiteral("unknown");
        const QString id = QStringLiteral("%1:%2")
                               .arg(device.vid, 4, 16, QLatin1Char('0'))
                               .arg(device.pid, 4, 16, QLatin1Char('0'));
        const bool connected = !device.path.isEmpty();
        array.append(QJsonObject {{QStringLiteral("kind"), kind}, {QStringLiteral("id"), id},
            {QStringLiteral("connected"), connected}, {QStringLiteral("family"), family}});
        reply.out +=
            QStringLiteral("%1 %2 %3 family %4\n")
                .arg(kind, id,
                    connected ? QStringLiteral("connected") : QStringLiteral("not-connected"),
                    family);
    }
    reply.out = request.json ? jsonText(array) : reply.out;
    return reply;
}

void Executor::switchProfile(const Request &request, const Done &done)
{
    const QList<Entry> list = entries();
    const Entry *entry = find(list, request.profile);
    if (!entry)
        return done(
            Reply::refused(Refused, QStringLiteral("No profile \"%1\".").arg(request.profile)));
    if (!m_window || !m_window->isDeviceConnected())
        return done(Reply::refused(NoDevice, QStringLiteral("No device connected.")));
    switchWhenFree(*entry, QDeadlineTimer(kSwitchTimeoutMs), done);
}

// The switch waits until the scene has started and no command is on the wire: a Save in
// progress ends first, so nothing of the two is interleaved. It runs from the event loop, as
// the drop-down's choice would.
void Executor::switchWhenFree(const Entry &entry, const QDeadlineTimer &deadline, const Done &done)
{
    QQuickItem *root = m_window->view()->rootObject();
    const bool ready =
        root && root->property("isPownOn").toBool() && !m_window->hid().isCommandInProgress();
    if (!ready) {
        if (deadline.hasExpired())
            return done(Reply::refused(Refused, QStringLiteral("The device stayed busy.")));
        QTimer::singleShot(kRetryMs, this,
            [this, entry, deadline, done] { switchWhenFree(entry, deadline, done); });
        return;
    }
    if (!m_window->isDeviceConnected())
        return done(Reply::refused(NoDevice, QStringLiteral("No device connected.")));
    // The window's unsaved changes are the user's to save or drop: a command never asks for
    // them in a window nobody may be looking at, and never throws them away.
    if (root->property("unsaved").toBool())
        return done(Reply::refused(Refused,
            QStringLiteral("The window has unsaved changes; save or discard them first.")));
    QVariant accepted;
    QMetaObject::invokeMethod(
        root, "requestProfile", Q_RETURN_ARG(QVariant, accepted), Q_ARG(QVariant, entry.number));
    if (!accepted.toBool())
        return done(Reply::refused(Refused, QStringLiteral("No profile \"%1\".").arg(entry.name)));
    Reply reply;
    reply.out = profileLine(entry.number, entry.name);
    done(reply);
}

}  // namespace CommandLine
