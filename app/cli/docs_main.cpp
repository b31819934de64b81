// Writes the manual page and the bash, zsh and fish completion scripts of the command line, at
// build time: all come from the option table the program's --help is made of.

#include "command_line.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

namespace {

bool write(const QString &path, const QString &text)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(text.toUtf8()) == text.toUtf8().size())
        return true;
    std::fprintf(stderr, "Cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
    return false;
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr,
            "usage: %s <manual page> <bash completion> <zsh completion> <fish completion>\n",
            argv[0]);
        return 2;
    }
    CommandLine::describeProgram();
    const bool written = write(QString::fromLocal8Bit(argv[1]), CommandLine::manPage())
        && write(QString::fromLocal8Bit(argv[2]), CommandLine::bashCompletion())
        && write(QString::fromLocal8Bit(argv[3]), CommandLine::zshCompletion())
        && write(QString::fromLocal8Bit(argv[4]), CommandLine::fishCompletion());
    return written ? 0 : 1;
}
