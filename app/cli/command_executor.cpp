#include "command_executor.h"

#include "device_list.h"
#include "lang_strings.h"
#include "name_lists.h"
#include "profile_files.h"
#include "qtsinglecoreapplication.h"
#include "scene_gate.h"
#include "settings_store.h"
#include "text_escape.h"
#include "widget.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QTimer>

namespace CommandLine {

namespace {

constexpr int kMaxNumber = ProfileNumbers::kHighestNamed;
// The languages the program ships: the first profile answers to its name in each of them.
constexpr char kFirstNameKey[] = "profile/5";

QStringList firstProfileNames()
{
    QStringList names;
    const QDir folder(QString::fromLatin1(LangStrings::kFolder));
    for (const QString &file : folder.entryList({QStringLiteral("*.ini")}, QDir::Files)) {
        const QString name = QSettings(folder.filePath(file), QSettings::IniFormat)
                                 .value(QLatin1String(kFirstNameKey))
                                 .toString();
        if (!name.isEmpty())
            names << name;
    }
    return names;
}

// A name as a terminal may show it: control characters (which could move the cursor, set the
// title or end the line) are written as \xHH. JSON output keeps names exact.
QString printable(const QString &name)
{
    return TextEscape::controls(name);
}

QString profileLine(int number, const QString &name)
{
    return QStringLiteral("%1 %2\n").arg(number + 1).arg(printable(name));
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

// What a switch of the command line waits out: the scene's start, a switch or a command on the
// wire (a Save in progress ends first, so nothing of the two is interleaved). An open page
// does not hold it; unsaved changes refuse it.
bool waitsOut(SceneGate::SwitchHold hold)
{
    using Hold = SceneGate::SwitchHold;
    return hold == Hold::NoScene || hold == Hold::Starting || hold == Hold::Switching
        || hold == Hold::Busy;
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

bool Executor::isReadOnly(const QString &command)
{
    return command == QLatin1String("list-profiles") || command == QLatin1String("current-profile")
        || command == QLatin1String("list-devices") || command == QLatin1String("export-profile");
}

Reply Executor::check(const Request &request) const
{
    const bool withFile = request.command == QLatin1String("export-profile")
        || request.command == QLatin1String("import-profile");
    // The running copy has a working folder of its own: the caller names files absolutely.
    if (withFile && !QDir::isAbsolutePath(request.file))
        return Reply::refused(Refused,
            QStringLiteral("A file must be named by its absolute path: %1").arg(request.file));
    const bool withProfile = request.command == QLatin1String("profile")
        || request.command == QLatin1String("export-profile");
    if (withProfile && !profiles().find(request.profile, firstProfileNames()))
        return Reply::refused(Refused, QStringLiteral("No profile \"%1\".").arg(request.profile));
    return {};
}

void Executor::execute(const Request &request, const Done &done)
{
    const Reply refusal = check(request);
    if (refusal.code != ExitCode::Done)
        return done(refusal);
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

ProfileList Executor::profiles() const
{
    QStringList texts;
    for (const QVariant &value : NameLists().getNameList(2))
        texts << value.toString();
    return ProfileList(texts, profileInUse());
}

int Executor::profileInUse() const
{
    bool ok = false;
    const int n = m_store.getGlobalData(QStringLiteral("mouse/profileNo")).toString().toInt(&ok);
    return ok && n >= 0 && n <= kMaxNumber ? n : 0;
}

Reply Executor::currentProfile(const Request &request) const
{
    const QList<Entry> list = profiles().entries();
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
    // The list lives for the loop: entries() is a reference into it.
    const ProfileList list = profiles();
    for (const Entry &entry : list.entries()) {
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
    const ProfileList list = profiles();
    const Entry *entry = list.find(request.profile, firstProfileNames());
    ProfileFiles files(m_store, nullptr);
    if (files.exportProfile(entry->number, request.file))
        return {};
    if (files.lastRefusal() != ProfileFiles::Refusal::None)
        return Reply::refused(Refused, ProfileFiles::describe(files.lastRefusal(), request.file));
    return Reply::refused(Refused, QStringLiteral("Cannot write %1.").arg(request.file));
}

// As the profiles page's Import: the new entry takes the lowest profile number that no entry
// has and that is not in use, and the name given or the first free "profile_<k>"; the list
// is written only once the profile file is in place, so a refused import changes no file.
Reply Executor::importProfile(const Request &request) const
{
    const ProfileList list = profiles();
    QString why;
    const Entry added = list.newEntry(request.name, &why);
    if (added.name.isEmpty())
        return Reply::refused(Refused, why);
    const QFileInfo source(request.file);
    if (!source.isFile() || !source.isReadable())
        return Reply::refused(Refused, QStringLiteral("Cannot read %1.").arg(request.file));
    ProfileFiles files(m_store, nullptr);
    if (!files.importProfile(added.number, request.file)) {
        if (files.lastRefusal() != ProfileFiles::Refusal::None)
            return Reply::refused(
                Refused, ProfileFiles::describe(files.lastRefusal(), request.file));
        return Reply::refused(Refused, QStringLiteral("Cannot copy %1.").arg(request.file));
    }
    NameLists().updataNameList(2, list.stored(list.entries() + QList<Entry> {added}));
    if (m_window)
        m_window->gate()->reloadProfileList();
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
    const ProfileList list = profiles();
    const Entry *entry = list.find(request.profile, firstProfileNames());
    if (!m_window || !m_window->isDeviceConnected())
        return done(Reply::refused(NoDevice, QStringLiteral("No device connected.")));
    switchWhenFree(*entry, done);
}

// The switch runs from the event loop, as the drop-down's choice would: at once when nothing
// holds it, else when the gate tells of a change that frees it, or it gives up at the deadline.
void Executor::switchWhenFree(const Entry &entry, const Done &done)
{
    SceneGate *gate = m_window->gate();
    if (!waitsOut(gate->switchHold()))
        return switchNow(entry, done);
    auto *deadline = new QTimer(this);  // lives as long as the wait
    deadline->setSingleShot(true);
    const auto finish = [this, gate, deadline, entry, done](bool expired) {
        const bool held = waitsOut(gate->switchHold());
        if (held && !expired)
            return;
        deadline->stop();
        QObject::disconnect(gate, nullptr, deadline, nullptr);
        deadline->deleteLater();
        if (held)
            return done(
                Reply::refused(GaveUp, QStringLiteral("The device stayed busy; try again.")));
        switchNow(entry, done);
    };
    connect(gate, &SceneGate::switchHoldMayHaveChanged, deadline, [finish] { finish(false); });
    connect(deadline, &QTimer::timeout, this, [finish] { finish(true); });
    // As long as the caller waits for its turn.
    deadline->start(QtSingleCoreApplication::turnWaitMs());
}

void Executor::switchNow(const Entry &entry, const Done &done)
{
    if (!m_window->isDeviceConnected())
        return done(Reply::refused(NoDevice, QStringLiteral("No device connected.")));
    // The window's unsaved changes are the user's to save or drop: a command never asks for
    // them in a window nobody may be looking at, and never throws them away. (The gate names an
    // open page before them, so they are asked for themselves.)
    SceneGate *gate = m_window->gate();
    if (gate->unsaved())
        return done(Reply::refused(Refused,
            QStringLiteral("The window has unsaved changes; save or discard them first.")));
    if (!gate->requestProfile(entry.number))
        return done(Reply::refused(Refused, QStringLiteral("No profile \"%1\".").arg(entry.name)));
    Reply reply;
    reply.out = profileLine(entry.number, entry.name);
    done(reply);
}

}  // namespace CommandLine
