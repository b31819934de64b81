#pragma once

#include "profile_numbers.h"

#include <QList>
#include <QString>

// A program bound to one of the six profiles, and how the program is recognised.
struct ProgramRule
{
    enum class Match {
        FileName,     // the executable's file name ("game")
        Path,         // the executable's full path ("/opt/game/bin/game")
        WindowsName,  // a Windows executable named in the command line under Wine or Proton
        WindowClass,  // the class of one of its windows (X11 WM_CLASS, a Wayland app id)
    };
    enum class Trigger {
        Focus,    // while one of its windows has the focus
        Running,  // while it runs
    };

    QString program;
    Match match = Match::FileName;
    int profile = 0;
    Trigger trigger = Trigger::Focus;

    bool operator==(const ProgramRule &other) const
    {
        return program == other.program && match == other.match && profile == other.profile
            && trigger == other.trigger;
    }
};

// How a match is stored and offered ("name", "path", "windows", "class"), and back; -1 for a
// text that names no match.
QString matchName(ProgramRule::Match match);
int matchFromName(const QString &name);

// Everything the automatic profile switch keeps: the rules, the profile that comes back when
// no rule applies, and the master switch (off until the user turns it on).
struct ProgramRules
{
    // The highest profile a rule can name.
    static constexpr int kMaxProfile = ProfileNumbers::kHighestNamed;

    bool automatic = false;
    int defaultProfile = 0;
    QList<ProgramRule> rules;

    bool operator==(const ProgramRules &other) const
    {
        return automatic == other.automatic && defaultProfile == other.defaultProfile
            && rules == other.rules;
    }
};

// The rules file, an INI file of its own beside the profiles:
//   [switching] automatic=true|false, default=<profile 0 … 5>
//   [rules]     size=<n>, <i>\program, <i>\match=name|path|windows|class, <i>\profile=<0 … 5>,
//               <i>\trigger=focus|running  (i = 1 … n)
namespace ProgramRulesFile {

inline constexpr char kPath[] = "./modules/setting/programs.bin";

// The stored rules. A missing file means no rules and the switch off, with one diagnostic line;
// so does a damaged one. Single rules that cannot be read (and a rule count beyond the entries
// present) are left out, with one line for all of them; so is a rule that a cut in the middle
// of a line went through, the whole rules before it are read. Whenever something cannot be read,
// the file is first copied aside (path + ".damaged", or ".damaged-2" … when that holds another
// file), so nothing is lost when the rules are next saved. Never fails.
ProgramRules load(const QString &path = QString::fromLatin1(kPath));

// False when a file (not a folder) is at path but cannot be opened for reading (its
// permissions).
bool isReadable(const QString &path = QString::fromLatin1(kPath));

// Writes the rules to a temporary file and puts it in place of path in one step; path stays
// as it was when anything fails (one diagnostic line, false). A file that cannot be read is
// never replaced, as it cannot be kept aside.
bool save(const ProgramRules &rules, const QString &path = QString::fromLatin1(kPath));

}  // namespace ProgramRulesFile
