#pragma once

#include <QCommandLineParser>
#include <QList>

// The command line's options as one table: the help text, the parser, the manual page and
// the shell completions are all made from it.
namespace CommandLine {

struct CommandOption
{
    const char *name;
    const char *valueName;  // null for a switch
    const char *after;      // the arguments that follow the option's value, as the synopsis
                            // shows them; null for none
    const char *description;
};

// The commands, each an option of its own, in the order of the help text.
inline constexpr CommandOption kCommands[] = {
    {"profile", "NAME|NUMBER", nullptr,
        "Make that profile the one in use: it is stored and its settings are sent to the "
        "device, as when it is chosen in the window."},
    {"current-profile", nullptr, "[--json]", "Print the number and name of the profile in use."},
    {"list-profiles", nullptr, "[--json]",
        "Print one line per profile: '*' on the one in use, its number and its name."},
    {"export-profile", "NAME|NUMBER", "FILE",
        "Write that profile to FILE (a .pf exchange file; - or /dev/stdout is standard "
        "output)."},
    {"import-profile", "FILE", "[NAME]",
        "Add the profile in FILE (a .pf exchange file; - or /dev/stdin is standard input) as a "
        "new profile named NAME, or profile_<k> without NAME. Six profiles at most."},
    {"list-devices", nullptr, "[--json]",
        "Print the configured devices: kind, vendor:product id, whether connected, family."},
};
inline constexpr char kJson[] = "json";
inline constexpr char kJsonDescription[] =
    "With --list-profiles, --current-profile or --list-devices: print JSON instead.";

// The positional arguments, with what they are.
struct Argument
{
    const char *name;
    const char *description;
};
inline constexpr Argument kArguments[] = {
    {"FILE",
        "With --export-profile: the file to write, a regular file or a new name (never a "
        "link, a device, a pipe or one of the program's own files). /dev/fd/N is the "
        "command's own descriptor N, for both commands."},
    {"NAME",
        "With --import-profile: the name of the new profile (no control characters, not the "
        "name of another profile)."},
};

// The parser with every option, and the options in the order they were added.
struct Options
{
    QCommandLineParser parser;
    QList<QCommandLineOption> all;
};
void defineOptions(Options &options);

// "-h, --help" and the like, joined by separator.
QString optionNames(const QCommandLineOption &option, const QString &separator);

}  // namespace CommandLine
