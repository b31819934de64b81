#pragma once

#include <QString>

// The pieces of the single-instance channel that talk to the system: where its lock file and
// socket live, who owns them, who is at the other end of a connection, and a listening socket
// that survives running out of file descriptors. Only the user who runs the program may reach
// the channel: its folder is the user's runtime folder or a private folder of the user's, and
// every file and connection in it is checked for the user's id.
namespace PrivateChannel {

struct Folder
{
    enum Status {
        Safe,          // the folder is the user's alone
        Unsafe,        // it exists but another user owns it, or others may write in it
        CannotCreate,  // it cannot be made at all
    } status = CannotCreate;
    QString path;
    QString why;  // for Unsafe and CannotCreate: one line saying what is wrong
};

// XDG_RUNTIME_DIR when it is the user's own folder that nobody else may write in; otherwise
// "stryla-config-<uid>" in the temporary folder, made with mode 0700 when missing and then
// checked the same way. Never a folder shared with other users.
Folder chooseFolder();

// What is at path, read in one look (a link is not followed: a dangling link is there):
// nothing, a file of type (S_IFREG, S_IFSOCK, …) owned by the user who runs this process, or
// anything else. A file removed by its copy while another looks is absent, never foreign.
enum class Presence { Absent, Own, Foreign };
Presence presence(const QString &path, unsigned type);

// The user id of the process at the other end of the connected local socket descriptor;
// -1 when the system does not say.
long long peerUserId(long long descriptor);
long long selfUserId();

// A listening local socket at path, only for its owner (0600); -1 with error set on failure.
// A file left at path by an earlier copy is removed first.
int listenAt(const QString &path, QString *error);
// Takes one waiting connection: its descriptor (non-blocking, close-on-exec), or -1 when none
// waits. When the process has no descriptor left, the waiting connection is taken with a
// descriptor held in reserve for that and closed at once, so it does not stay waiting and the
// listening socket keeps working.
int acceptOne(int listening);
void closeDescriptor(int descriptor);

}  // namespace PrivateChannel
