#include "program_texts.h"

#include "lang_strings.h"

#include <algorithm>

namespace {

// The built-in texts of the language section "programs", in the section's order.
const char *const kBuiltInTexts[] = {
    "Programs",                        // 0 page title
    "Program",                         // 1 column: program
    "Profile",                         // 2 column: profile
    "Switches",                        // 3 column: trigger
    "While its window has the focus",  // 4
    "While it runs",                   // 5
    "Add",                             // 6
    "Remove",                          // 7
    "Switch profiles automatically",   // 8 master switch (page and tray)
    "Add a file…",                     // 9
    "Focus and running programs can both be seen on this desktop.",  // 10
    "On Wayland only X11 windows tell their focus. Rules for running programs see every "
    "program.",  // 11
    "This desktop does not tell which window has the focus: only rules for running programs "
    "work.",                         // 12
    "Profile %1 for %2",             // 13 balloon of a rule's switch
    "Profile %1 (no rule applies)",  // 14 balloon when the default comes back
    "Default profile",               // 15
    "Running programs",              // 16
    "Cancel",                        // 17
    "Programs",                      // 18 button on the profiles page
    "No rules yet: add a program.",  // 19
    "Choose a program",              // 20 file chooser caption
    "The change could not be stored in %1: what the page shows is what is stored.",  // 21
    "When no rule applies any more, the default profile comes back, unless you chose a profile "
    "by hand meanwhile: that one stays until a rule applies again.",  // 22
    "The focused window comes from %1.",                              // 23
    "GNOME Shell tells the focus only through the extension that comes with this program, "
    "which is not enabled. Enable it with: %1",                                           // 24
    "%1 cannot be read, so no change is stored until it can be: check its permissions.",  // 25
    "The profile of the rules for %1 was deleted: they use the default profile now.",     // 26
    "GNOME Shell marks the extension that comes with this program as out of date for this version "
    "of the Shell, so it does not load: install the program's current package.",  // 27
    "GNOME Shell reports an error in the extension that comes with this program, so it does not "
    "load: 'gnome-extensions info %1' shows it.",  // 28
};

}  // namespace

QStringList ProgramTexts::forLanguage(const QString &language)
{
    QStringList result;
    for (const char *text : kBuiltInTexts)
        result.append(QString::fromUtf8(text));
    if (language.isEmpty())
        return result;
    const QStringList given = LangStrings::getLangStrings(QStringLiteral("programs"), language);
    for (int i = 0; i < std::min(given.size(), result.size()); ++i) {
        if (!given.at(i).isEmpty())
            result[i] = given.at(i);
    }
    return result;
}
