#include "command_line.h"

#include "command_executor.h"
#include "command_options.h"
#include "data_folder.h"
#include "myqquickview.h"
#include "qtsinglecoreapplication.h"
#include "settings_store.h"
#include "text_escape.h"
#include "widget.h"

#include <QCommandLineParser>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace CommandLine {

namespace {

// The running copy's own wait for the device ends at the same bound as the caller's; its answer
// is given this much longer to arrive.
constexpr int kAnswerGraceMs = 1000;
constexpr int kRetryMs = 50;
constexpr char kStandardStream[] = "-";
// An imported profile is a few kilobytes; standard input is read up to this much.
constexpr qint64 kMaxInputBytes = 1024 * 1024;

bool isListing(const QString &command)
{
    return command == QLatin1String("list-profiles") || command == QLatin1String("current-profile")
        || command == QLatin1String("list-devices");
}

QString usageLine(const QCommandLineParser &parser)
{
    return parser.helpText().section(QLatin1Char('\n'), 0, 0);
}

Parsed usageError(const QCommandLineParser &parser, const QString &why)
{
    Parsed parsed;
    parsed.kind = Parsed::Error;
    parsed.text = QStringLiteral("%1\n%2\nTry '%3 --help' for more information.\n")
                      .arg(why, usageLine(parser), QCoreApplication::arguments().value(0));
    return parsed;
}

// The descriptor of the command's own standard error. While a command works, descriptor 2
// points at /dev/null: libraries that print there on their own (GLib and dconf, where no
// session bus is) stay out of what the command prints.
int &errorDescriptor()
{
    static int descriptor = STDERR_FILENO;
    return descriptor;
}

void silenceForeignOutput()
{
    const int saved = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved >= 0 && null >= 0 && ::dup2(null, STDERR_FILENO) >= 0)
        errorDescriptor() = saved;
    else if (saved >= 0)
        ::close(saved);
    if (null >= 0)
        ::close(null);
}

bool writeAll(int descriptor, const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t written =
            ::write(descriptor, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

// Standard error carries text from the running copy: it reaches the terminal without control
// characters other than line ends and tabs.
QString terminalText(const QString &text)
{
    return TextEscape::controls(text, QStringLiteral("\n\t"));
}

void print(FILE *stream, const QString &text)
{
    if (text.isEmpty())
        return;
    if (stream == stderr) {
        writeAll(errorDescriptor(), terminalText(text).toLocal8Bit());
        return;
    }
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

int finish(const Reply &reply)
{
    print(stdout, reply.out);
    print(stderr, reply.err);
    return reply.code;
}

// A command answers with its result only: the program's diagnostic lines and the toolkit's
// warnings and errors (data folder, device found, runtime folder, …) stay out of its output.
// The last one is kept, to say why where nothing else can.
QString &lastDiagnostic()
{
    static QString line;
    return line;
}

void quietDiagnostics(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtFatalMsg) {
        lastDiagnostic() = message;
        return;
    }
    writeAll(errorDescriptor(), (qFormatLogMessage(type, context, message) + '\n').toLocal8Bit());
}

// The process holds the single-instance lock while it works, so a program started meanwhile
// finds it, waits, and becomes the running copy after it. Requests that only read are answered
// at once; the others are told to come back when this command is over.
void serveWhileBusy(QtSingleCoreApplication &app)
{
    app.setBusy(true);
    QObject::connect(&app, &QtSingleCoreApplication::requestReceived, &app,
        [&app](quint64 id, const QString &text) {
            Request request;
            Reply reply;
            if (!Request::fromText(text, &request)) {
                reply = Reply::refused(UsageError, QStringLiteral("Not a command."));
            } else if (Executor::isReadOnly(request.command)) {
                SettingsStore store;
                Executor(store, nullptr).execute(request, [&reply](const Reply &r) { reply = r; });
            } else {
                reply.later = true;
            }
            app.answerRequest(id, reply.toText());
        });
}

// Nothing reaches the device for a command that is refused: the arguments are checked
// against the stored settings before the window (and with it the device) is made.
Reply runHere(const Request &request)
{
    std::optional<Reply> result;
    const auto done = [&result](const Reply &reply) {
        result = reply;
        QCoreApplication::exit(0);
    };
    {
        SettingsStore store;
        Executor executor(store, nullptr);
        const Reply refusal = executor.check(request);
        if (refusal.code != Done)
            return refusal;
        if (request.command != QLatin1String("profile")) {
            executor.execute(request, done);
            return *result;
        }
    }
    {
        // The switch goes through the scene's flow, as in the window, so the window is built;
        // it is never shown, and this process never gets a tray icon.
        Widget window(Widget::Presence::Command);
        window.checkDevice();
        Executor executor(window.view()->store(), &window);
        executor.execute(request, done);
        if (!result)
            QCoreApplication::exec();
    }
    // The window released its controller, and with it the store, by deferred deletion.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return *result;
}

// Hands the request to the running copy, or does it here once this process holds the lock:
// while another command holds it, the request waits its turn, up to the bound.
Reply dispatch(QtSingleCoreApplication &app, const Request &request)
{
    if (app.lockFailed())
        return Reply::refused(ChannelUnsafe, lastDiagnostic());
    const QDeadlineTimer deadline(QtSingleCoreApplication::turnWaitMs());
    for (;;) {
        if (app.channelUnsafe())
            return Reply::refused(ChannelUnsafe, app.problem());
        if (app.isPrimary()) {
            serveWhileBusy(app);
            enterDataFolder(QCoreApplication::applicationFilePath());
            return runHere(request);
        }
        QString answer;
        const auto outcome = app.sendRequest(
            request.toText(), &answer, int(deadline.remainingTime()) + kAnswerGraceMs);
        if (outcome == QtSingleCoreApplication::Outcome::TooLarge)
            return Reply::refused(Refused, QStringLiteral("The command is too long."));
        if (outcome == QtSingleCoreApplication::Outcome::NoAnswer)
            return Reply::refused(GaveUp,
                QStringLiteral("The running copy of the program did not answer in time; "
                               "try again."));
        if (outcome == QtSingleCoreApplication::Outcome::Answered) {
            const Reply reply = Reply::fromText(answer);
            if (!reply.later)
                return reply;
        }
        if (outcome != QtSingleCoreApplication::Outcome::Unsafe && deadline.hasExpired())
            return Reply::refused(GaveUp,
                QStringLiteral("Another command of the program did not end in time; try again."));
        QThread::msleep(kRetryMs);
        app.retryLock();
    }
}

// The descriptor a FILE names in the caller's own process: "-" (standard input for an import,
// standard output for an export), /dev/stdin, /dev/stdout, /dev/stderr, /dev/fd/N and
// /proc/self/fd/N. The running copy would reach its own there, so the caller reads or writes
// them itself. -1 for any other name.
int callerDescriptor(const QString &file, bool exporting)
{
    static const QRegularExpression numbered(
        QStringLiteral("^(?:/dev/fd|/proc/(?:self|thread-self|%1)/fd)/(\\d{1,9})$")
            .arg(::getpid()));
    if (file == QLatin1String(kStandardStream))
        return exporting ? STDOUT_FILENO : STDIN_FILENO;
    const QStringList streams {
        QStringLiteral("/dev/stdin"), QStringLiteral("/dev/stdout"), QStringLiteral("/dev/stderr")};
    if (streams.contains(file))
        return int(streams.indexOf(file));
    const QRegularExpressionMatch match = numbered.match(file);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// Other names of the caller's own process (its /proc entry) mean something else in the running
// copy: they are refused.
bool namesCallerProcess(const QString &file)
{
    const QStringList own {QStringLiteral("/dev/fd/"), QStringLiteral("/proc/self/"),
        QStringLiteral("/proc/thread-self/"), QStringLiteral("/proc/%1/").arg(::getpid())};
    for (const QString &prefix : own) {
        if (file.startsWith(prefix) || file + QLatin1Char('/') == prefix)
            return true;
    }
    return false;
}

// A FILE of the caller's own (see callerDescriptor): what is read from it goes to a private
// file that is imported, or the export goes to a private file that is then written to it.
// Refusals name it as the caller did, never by the private file's name.
class CallerStream
{
public:
    // False with why set when the descriptor cannot be taken or the name is refused.
    bool take(Request &request, QString *why)
    {
        m_export = request.command == QLatin1String("export-profile");
        const bool withFile = m_export || request.command == QLatin1String("import-profile");
        if (!withFile)
            return true;
        m_descriptor = callerDescriptor(request.file, m_export);
        if (m_descriptor < 0 && namesCallerProcess(request.file)) {
            *why = QStringLiteral("%1 names this command's own process; give a file, or - for "
                                  "standard %2.")
                       .arg(request.file,
                           m_export ? QStringLiteral("output") : QStringLiteral("input"));
            return false;
        }
        if (m_descriptor < 0)
            return true;
        if (m_descriptor == STDERR_FILENO)
            m_descriptor = errorDescriptor();  // descriptor 2 is silenced while a command works
        m_shownAs = request.file != QLatin1String(kStandardStream) ? request.file
            : m_export ? QStringLiteral("standard output")
                       : QStringLiteral("standard input");
        m_file = std::make_unique<QTemporaryFile>(temporaryTemplate());
        if (!m_file->open()) {
            *why = QStringLiteral("Cannot make a temporary file in %1: %2")
                       .arg(QDir::tempPath(), m_file->errorString());
            return false;
        }
        request.file = m_file->fileName();
        return m_export || keepInput(why);
    }

    // Writes an export to the caller's descriptor; names the caller's file in a refusal.
    Reply give(Reply reply) const
    {
        if (!m_file)
            return reply;
        reply.err.replace(m_file->fileName(), m_shownAs);
        if (!m_export || reply.code != Done)
            return reply;
        QFile exported(m_file->fileName());
        if (!exported.open(QIODevice::ReadOnly) || !writeAll(m_descriptor, exported.readAll()))
            return Reply::refused(Refused, QStringLiteral("Cannot write %1.").arg(m_shownAs));
        return reply;
    }

private:
    static QString temporaryTemplate()
    {
        return QDir::tempPath() + QStringLiteral("/stryla-config-stream-XXXXXX");
    }

    bool keepInput(QString *why)
    {
        QFile in;
        const QByteArray bytes =
            in.open(m_descriptor, QIODevice::ReadOnly) ? in.read(kMaxInputBytes + 1) : QByteArray();
        if (bytes.size() > kMaxInputBytes) {
            *why = QStringLiteral("%1 is larger than a profile file.").arg(m_shownAs);
            return false;
        }
        if (m_file->write(bytes) != bytes.size() || !m_file->flush()) {
            *why = QStringLiteral("Cannot keep %1: %2").arg(m_shownAs, m_file->errorString());
            return false;
        }
        return true;
    }

    std::unique_ptr<QTemporaryFile> m_file;
    QString m_shownAs;
    int m_descriptor = -1;
    bool m_export = false;
};

}  // namespace

// --- request and reply as they travel between the two processes ------------------------------

QString Request::toText() const
{
    const QJsonObject object {{QStringLiteral("command"), command},
        {QStringLiteral("profile"), profile}, {QStringLiteral("file"), file},
        {QStringLiteral("name"), name}, {QStringLiteral("json"), json}};
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

bool Request::fromText(const QString &text, Request *request)
{
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
    if (!document.isObject())
        return false;
    const QJsonObject object = document.object();
    request->command = object.value(QStringLiteral("command")).toString();
    request->profile = object.value(QStringLiteral("profile")).toString();
    request->file = object.value(QStringLiteral("file")).toString();
    request->name = object.value(QStringLiteral("name")).toString();
    request->json = object.value(QStringLiteral("json")).toBool();
    return true;
}

QString Reply::toText() const
{
    const QJsonObject object {{QStringLiteral("code"), code}, {QStringLiteral("out"), out},
        {QStringLiteral("err"), err}, {QStringLiteral("later"), later}};
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

Reply Reply::fromText(const QString &text)
{
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
    if (!document.isObject())
        return refused(
            Refused, QStringLiteral("The running copy gave an answer that is no answer."));
    const QJsonObject object = document.object();
    Reply reply;
    reply.code = object.value(QStringLiteral("code")).toInt(Refused);
    reply.out = object.value(QStringLiteral("out")).toString();
    reply.err = object.value(QStringLiteral("err")).toString();
    reply.later = object.value(QStringLiteral("later")).toBool();
    return reply;
}

Reply Reply::refused(int code, const QString &why)
{
    Reply reply;
    reply.code = code;
    reply.err = why + QLatin1Char('\n');
    return reply;
}

// --- arguments -----------------------------------------------------------------------------------

Parsed parse(const QStringList &arguments)
{
    Options options;
    defineOptions(options);
    QCommandLineParser &parser = options.parser;
    if (!parser.parse(arguments))
        return usageError(parser, parser.errorText());
    Parsed parsed;
    QStringList seen;
    for (const QCommandLineOption &option : std::as_const(options.all)) {
        int count = 0;
        for (const QString &name : parser.optionNames())
            count += option.names().contains(name) ? 1 : 0;
        if (count > 1)
            return usageError(parser,
                QStringLiteral("%1 is given more than once.").arg(optionNames(option, "/")));
    }
    if (parser.isSet(QStringLiteral("help"))) {
        parsed.kind = Parsed::Help;
        parsed.text = parser.helpText();
        return parsed;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        parsed.kind = Parsed::Version;
        parsed.text = QStringLiteral("%1 %2\n").arg(
            QCoreApplication::applicationName(), QCoreApplication::applicationVersion());
        return parsed;
    }

    QStringList given;
    for (const CommandOption &command : kCommands) {
        if (parser.isSet(QString::fromLatin1(command.name)))
            given << QString::fromLatin1(command.name);
    }
    if (given.isEmpty())
        return usageError(parser, QStringLiteral("No command given."));
    if (given.size() > 1)
        return usageError(parser,
            QStringLiteral("One command at a time: --%1 and --%2.").arg(given.at(0), given.at(1)));
    Request &request = parsed.request;
    request.command = given.first();
    request.json = parser.isSet(QString::fromLatin1(kJson));
    if (request.json && !isListing(request.command))
        return usageError(parser,
            QStringLiteral("--json goes with --list-profiles, "
                           "--current-profile or --list-devices only."));

    const QStringList positional = parser.positionalArguments();
    int wanted = 0;
    int allowed = 0;
    if (request.command == QLatin1String("export-profile"))
        wanted = allowed = 1;
    else if (request.command == QLatin1String("import-profile"))
        allowed = 1;
    if (positional.size() < wanted)
        return usageError(parser, QStringLiteral("--export-profile needs the FILE to write."));
    if (positional.size() > allowed)
        return usageError(
            parser, QStringLiteral("Unexpected argument: %1.").arg(positional.last()));

    const QString value = parser.value(request.command);
    if (request.command == QLatin1String("profile"))
        request.profile = value;
    if (request.command == QLatin1String("export-profile")) {
        request.profile = value;
        request.file = positional.first();
    }
    if (request.command == QLatin1String("import-profile")) {
        request.file = value;
        request.name = positional.value(0);
    }
    // The running copy and the data folder have working directories of their own.
    if (!request.file.isEmpty() && request.file != QLatin1String(kStandardStream))
        request.file = QDir::cleanPath(QFileInfo(request.file).absoluteFilePath());
    parsed.kind = Parsed::Command;
    return parsed;
}

void describeProgram()
{
    QCoreApplication::setApplicationName(QStringLiteral("stryla-config"));
    QCoreApplication::setApplicationVersion(QStringLiteral(STRYLA_VERSION));
}

int run(int argc, char **argv)
{
    // A command never shows a window, and must work where no display is.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietDiagnostics);
    QtSingleCoreApplication app(argc, argv);
    describeProgram();
    const Parsed parsed = parse(QCoreApplication::arguments());
    if (parsed.kind != Parsed::Command) {
        print(parsed.kind == Parsed::Error ? stderr : stdout, parsed.text);
        return parsed.kind == Parsed::Error ? UsageError : Done;
    }
    silenceForeignOutput();
    Request request = parsed.request;
    CallerStream stream;
    QString why;
    if (!stream.take(request, &why))
        return finish(Reply::refused(Refused, why));
    return finish(stream.give(dispatch(app, request)));
}

}  // namespace CommandLine
