#pragma once

#include <QString>
#include <QStringList>

// The program's command line: switch, list, export and import profiles and list the devices
// from a shell. With a copy of the program running, the command goes to that copy through the
// single-instance channel and its answer is printed; otherwise the process does the work
// itself, without a window or a tray icon, and ends.
namespace CommandLine {

// The exit codes of a command. A plain start ends with 1 when it handed over to a running
// copy, with 2 when the lock file cannot be made, and with GaveUp like a command.
enum ExitCode {
    Done = 0,
    UsageError = 2,     // unknown option, missing argument, no command or more than one
    NoDevice = 3,       // the command needs a connected device and none is
    Refused = 4,        // unknown profile, unreadable file, no room for another profile, …
    GaveUp = 5,         // another command of the program ran longer than the wait allows
    ChannelUnsafe = 6,  // the way to the running copy is not the user's alone
};

// One command, as parsed and as handed to the running copy.
struct Request
{
    QString command;  // the long name of the command's option: "profile", "list-profiles", …
    QString profile;  // NAME|NUMBER of --profile and --export-profile
    QString file;     // FILE of --export-profile and --import-profile, as an absolute path
                      // ("-" on the command line: standard output or input)
    QString name;     // NAME of --import-profile; empty for the next free "profile_<k>"
    bool json = false;

    QString toText() const;
    static bool fromText(const QString &text, Request *request);
};

// What a command prints and its exit code.
struct Reply
{
    int code = Done;
    QString out;  // for standard output
    QString err;  // for standard error: one line saying why, where the command was refused
    // Not done: the copy that got it does another command alone; ask again when it is over.
    bool later = false;

    QString toText() const;
    static Reply fromText(const QString &text);
    static Reply refused(int code, const QString &why);
};

// The result of reading the arguments (the program name first).
struct Parsed
{
    enum Kind { Command, Help, Version, Error } kind = Error;
    Request request;
    QString text;  // the help or version text, or the error with the usage line
};
Parsed parse(const QStringList &arguments);

// The manual page (roff) and the bash, zsh and fish completion scripts, made from the same
// option list as the help text.
QString manPage();
QString bashCompletion();
QString zshCompletion();
QString fishCompletion();

// Sets the program name and version the help, the manual page and --version give.
void describeProgram();

// Runs the program for a command line with arguments; returns the exit code.
int run(int argc, char **argv);

}  // namespace CommandLine
