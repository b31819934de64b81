#include "command_options.h"

namespace CommandLine {

void defineOptions(Options &options)
{
    QCommandLineParser &parser = options.parser;
    parser.setApplicationDescription(QStringLiteral(
        "Configuration utility for the KORVANE STRYLA Z7 gaming mouse. Without options it starts "
        "the program; with one of the options below it does that one thing and ends, through "
        "the running copy of the program if there is one."));
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    // Help is an option of our own: the parser's would add --help-all for the toolkit's
    // options, which this program does not take.
    const QCommandLineOption help(
        {QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Displays this help."));
    parser.addOption(help);
    options.all << help << parser.addVersionOption();
    for (const CommandOption &command : kCommands) {
        QCommandLineOption option(QString::fromLatin1(command.name),
            QString::fromLatin1(command.description),
            command.valueName ? QString::fromLatin1(command.valueName) : QString());
        parser.addOption(option);
        options.all << option;
    }
    QCommandLineOption json(QString::fromLatin1(kJson), QString::fromLatin1(kJsonDescription));
    parser.addOption(json);
    options.all << json;
    for (const Argument &argument : kArguments)
        parser.addPositionalArgument(QString::fromLatin1(argument.name),
            QString::fromLatin1(argument.description),
            QStringLiteral("[%1]").arg(QLatin1String(argument.name)));
}

QString optionNames(const QCommandLineOption &option, const QString &separator)
{
    QStringList names;
    for (const QString &name : option.names())
        names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    return names.join(separator);
}

}  // namespace CommandLine
