#pragma once

#include <QString>

// Replaces the file at target by a copy of source without ever losing target: the copy goes
// to a temporary file beside target, which then takes target's place in one rename. When
// source is missing or cannot be read, or the copy fails (also when the disk takes only
// part of it, as when it is full), target stays as it was, one diagnostic line says why,
// and the result is false.
bool replaceFileWithCopy(const QString &source, const QString &target);

// The same for a file the user named (an export): a link at target is never followed, so
// nothing is written through a link another user planted, even one put there meanwhile. The
// copy is written to a new file beside target, which then takes the place of the name itself
// (a link there is replaced, never its target). An existing file's permissions are kept.
bool replaceNameWithCopy(const QString &source, const QString &target);

// Removes what writes cut short left beside the files under folder (the program killed or the
// machine stopped during a save): the temporary files of a replacement and of a settings file
// (name + ".new-XXXXXX", + ".new-XXXXXX.YYYYYY", a ".bin" file + ".XXXXXX"), their lock
// files, and lock files of a file whose writer is gone. The files themselves are
// never touched. For the start of the one running copy, before anything is written; returns
// how many were removed (one diagnostic line when any).
int removeWriteLeftovers(const QString &folder);
