// The manual page and the shell completions, made from the option table.

#include "command_line.h"
#include "command_options.h"

#include <QCoreApplication>

namespace CommandLine {

namespace {

// roff: a backslash and a leading dot or quote would be taken as requests, '-' as a hyphen.
QString roff(QString text)
{
    text.replace(QLatin1Char('\\'), QLatin1String("\\e")).replace(QLatin1Char('-'), "\\-");
    if (text.startsWith(QLatin1Char('.')) || text.startsWith(QLatin1Char('\'')))
        text.prepend(QLatin1String("\\&"));
    return text;
}

// "NAME|NUMBER" as italic words with a plain bar.
QString roffValue(const QString &value)
{
    QStringList words;
    for (const QString &word : value.split(QLatin1Char('|')))
        words << QStringLiteral("\\fI%1\\fR").arg(roff(word));
    return words.join(QLatin1Char('|'));
}

// "[--json]", "[NAME]", "FILE": brackets plain, option names bold, argument names italic.
QString roffAfter(const QString &after)
{
    QString text = after;
    const bool optional = text.startsWith(QLatin1Char('['));
    text.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
    const QString word = text.startsWith(QLatin1Char('-'))
        ? QStringLiteral("\\fB%1\\fR").arg(roff(text))
        : QStringLiteral("\\fI%1\\fR").arg(roff(text));
    return optional ? QStringLiteral("[%1]").arg(word) : word;
}

QString synopsis()
{
    QString text = QStringLiteral(".SH SYNOPSIS\n.B stryla\\-config\n");
    for (const CommandOption &command : kCommands) {
        text += QStringLiteral(".br\n.B stryla\\-config \\-\\-%1").arg(roff(command.name));
        if (command.valueName)
            text += QLatin1Char(' ') + roffValue(QString::fromLatin1(command.valueName));
        if (command.after)
            text += QLatin1Char(' ') + roffAfter(QString::fromLatin1(command.after));
        text += QLatin1Char('\n');
    }
    return text;
}

// The exit codes, as --help's readers and scripts meet them.
constexpr struct
{
    int code;
    const char *meaning;
} kExitCodes[] = {
    {Done, "done"},
    {1, "without options: a copy of the program runs already and was asked to show its window"},
    {UsageError,
        "usage error: unknown option, an option given twice, missing argument, no command or "
        "more than one; without options: the lock file that keeps the program single cannot be "
        "made"},
    {NoDevice, "no device connected, where the command needs one"},
    {Refused,
        "refused: unknown profile, a file that is no profile, a target that is a link, no "
        "regular file or one of the program's own files, six profiles already, a name with "
        "control characters, a command longer than 64 KiB, ...; one line on standard error "
        "says why and nothing is changed"},
    {GaveUp,
        "waited 30 seconds in all: for another command of the program to end, for the running "
        "copy's answer (a copy that is stopped or stuck), or with --profile for the device to "
        "be free; a start without options waits the same 30 seconds for the running copy"},
    {ChannelUnsafe,
        "the way to the running copy cannot be used: its folder, lock file or socket belongs "
        "to another user or is open to others, or the lock file cannot be made; one line on "
        "standard error says which (a start without options then runs on its own)"},
};

QString exitStatus()
{
    QString text = QStringLiteral(".SH EXIT STATUS\n");
    for (const auto &exit : kExitCodes)
        text += QStringLiteral(".TP\n%1\n%2\n").arg(exit.code).arg(roff(exit.meaning));
    return text;
}

QStringList optionsWith(const Options &options, bool fileValue, const QString &separator)
{
    QStringList names;
    for (const QCommandLineOption &option : options.all) {
        const bool takesFile = option.valueName() == QLatin1String("FILE");
        if (!option.valueName().isEmpty() && takesFile == fileValue)
            names << optionNames(option, separator);
    }
    return names;
}

// The first sentence of a description, for the shells that show one beside each option.
QString summary(const QString &description)
{
    const int end = description.indexOf(QLatin1String(": "));
    const int stop = description.indexOf(QLatin1String(". "));
    const int cut = end > 0 && (stop < 0 || end < stop) ? end : stop;
    QString text = cut > 0 ? description.left(cut) : description;
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

// Each profile as its number and its name, one per line, from --list-profiles (the
// listing's first two columns are the mark of the profile in use).
constexpr char kListProfileWords[] =
    "stryla-config --list-profiles 2>/dev/null | while IFS= read -r line; do "
    "line=${line:2}; printf \"%s\\n\" \"${line%% *}\" \"${line#* }\"; done";

}  // namespace

QString manPage()
{
    Options options;
    defineOptions(options);
    QString page;
    page += QStringLiteral(".TH STRYLA\\-CONFIG 1 \"\" \"%1 %2\" \"User Commands\"\n")
                .arg(QCoreApplication::applicationName(), QCoreApplication::applicationVersion());
    page += QStringLiteral(".SH NAME\nstryla\\-config \\- configure the KORVANE STRYLA Z7 gaming "
                           "mouse\n");
    page += synopsis();
    page +=
        QStringLiteral(".SH DESCRIPTION\n%1\n").arg(roff(options.parser.applicationDescription()));
    page += QStringLiteral(".SH OPTIONS\n");
    for (const QCommandLineOption &option : options.all) {
        QStringList names;
        for (const QString &name : option.names())
            names << QStringLiteral("\\fB%1\\fR")
                         .arg(roff((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"))
                             + name));
        QString value;
        if (!option.valueName().isEmpty())
            value = QLatin1Char(' ') + roffValue(option.valueName());
        page += QStringLiteral(".TP\n%1%2\n%3\n")
                    .arg(names.join(QLatin1String(", ")), value, roff(option.description()));
    }
    page += QStringLiteral(".SH ARGUMENTS\n");
    for (const Argument &argument : kArguments)
        page += QStringLiteral(".TP\n\\fI%1\\fR\n%2\n")
                    .arg(roff(argument.name), roff(argument.description));
    page += QStringLiteral(".TP\n\\fINAME\\fR|\\fINUMBER\\fR\n%1\n")
                .arg(roff(QStringLiteral(
                    "A profile, by its name or by its number (1 ... 6, the number of its file "
                    "p<n>.bin); a name wins where both fit. The first profile also answers to "
                    "its name in every language the program ships.")));
    page += exitStatus();
    page += QStringLiteral(
        ".SH EXAMPLES\n"
        "A game launcher's command that switches to the profile \"shooter\" for the game and "
        "back to profile 1 after it:\n"
        ".PP\n.nf\n"
        "stryla\\-config \\-\\-profile shooter; %command%; stryla\\-config \\-\\-profile 1\n"
        ".fi\n"
        ".SH FILES\n"
        ".TP\n~/.local/share/stryla\\-config/modules\nthe settings and profiles of the user\n"
        ".TP\n$XDG_RUNTIME_DIR, else /tmp/stryla\\-config\\-\\fIuid\\fR\n"
        "the lock file and the socket by which a command reaches the running copy; the folder "
        "must be the user's and closed to others\n");
    return page;
}

QString bashCompletion()
{
    Options options;
    defineOptions(options);
    QStringList words;
    for (const QCommandLineOption &option : options.all)
        words << optionNames(option, QStringLiteral(" "));
    return QStringLiteral(
        "# bash completion for stryla-config\n"
        "_stryla_config()\n"
        "{\n"
        "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} word\n"
        "    case $prev in\n"
        "        %1)\n"
        "            local IFS=$'\\n'\n"
        "            COMPREPLY=()\n"
        "            for word in $(%4); do\n"
        "                [[ $word == \"$cur\"* ]] && COMPREPLY+=(\"$(printf '%q' \"$word\")\")\n"
        "            done\n"
        "            return ;;\n"
        "        %2)\n"
        "            compopt -o filenames\n"
        "            COMPREPLY=($(compgen -f -- \"$cur\"))\n"
        "            return ;;\n"
        "    esac\n"
        "    if [[ $cur == -* ]]; then\n"
        "        COMPREPLY=($(compgen -W \"%3\" -- \"$cur\"))\n"
        "    else\n"
        "        compopt -o filenames\n"
        "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
        "    fi\n"
        "}\n"
        "complete -F _stryla_config stryla-config\n")
        .arg(optionsWith(options, false, QStringLiteral("|")).join(QLatin1Char('|')),
            optionsWith(options, true, QStringLiteral("|")).join(QLatin1Char('|')),
            words.join(QLatin1Char(' ')), QLatin1String(kListProfileWords));
}

QString zshCompletion()
{
    Options options;
    defineOptions(options);
    QString specs;
    for (const QCommandLineOption &option : options.all) {
        QString description = summary(option.description());
        description.replace(QLatin1Char('\''), QLatin1String("'\\''"))
            .replace(QLatin1Char('['), QLatin1String("\\["))
            .replace(QLatin1Char(']'), QLatin1String("\\]"))
            .replace(QLatin1Char(':'), QLatin1String("\\:"));
        QString action;
        if (option.valueName() == QLatin1String("FILE"))
            action = QStringLiteral(":FILE:_files");
        else if (!option.valueName().isEmpty())
            action = QStringLiteral(":%1:_stryla_config_profiles").arg(option.valueName());
        for (const QString &name : option.names())
            specs +=
                QStringLiteral("    '%1[%2]%3' \\\n")
                    .arg((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name,
                        description, action);
    }
    return QStringLiteral("#compdef stryla-config\n"
                          "# zsh completion for stryla-config\n"
                          "_stryla_config_profiles()\n"
                          "{\n"
                          "    local -a words\n"
                          "    words=(${(f)\"$(bash -c %1)\"})\n"
                          "    compadd -a words\n"
                          "}\n"
                          "_arguments -s \\\n%2    '*:FILE or NAME:_files'\n")
        .arg(QStringLiteral("'%1'").arg(
                 QString::fromLatin1(kListProfileWords).replace("'", "'\\''")),
            specs);
}

QString fishCompletion()
{
    Options options;
    defineOptions(options);
    QString text = QStringLiteral("# fish completion for stryla-config\n"
                                  "complete -c stryla-config -f\n");
    for (const QCommandLineOption &option : options.all) {
        QString line = QStringLiteral("complete -c stryla-config");
        for (const QString &name : option.names())
            line += (name.size() == 1 ? QStringLiteral(" -s ") : QStringLiteral(" -l ")) + name;
        if (option.valueName() == QLatin1String("FILE"))
            line += QStringLiteral(" -r -F");
        else if (!option.valueName().isEmpty())
            line += QStringLiteral(" -x -a '(bash -c %1)'")
                        .arg(QStringLiteral("\"%1\"").arg(QString::fromLatin1(kListProfileWords)
                                                              .replace("\"", "\\\"")
                                                              .replace("$", "\\$")));
        QString description = summary(option.description());
        line += QStringLiteral(" -d '%1'\n").arg(description.replace("'", "\\'"));
        text += line;
    }
    // The FILE that follows --export-profile NAME|NUMBER.
    text += QStringLiteral("complete -c stryla-config -n '__fish_contains_opt export-profile; and "
                           "not string match -q -- --export-profile (commandline -opc)[-1]' -F\n");
    return text;
}

}  // namespace CommandLine
