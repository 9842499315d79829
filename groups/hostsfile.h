#pragma once
// The system's hosts file as the hosts tab reads and saves it. Other programs own and read this
// file, so it is opened only when it is a plain file and saved with everything it carried.
#include <QByteArray>
#include <QString>

namespace corvane {

// A hosts file is a few kilobytes; anything near this size is some other file named by mistake.
inline constexpr qint64 kHostsFileLimit = 16 * 1024 * 1024;

enum class HostsFileRead { Read, Missing, TooLarge };

// True when the path names a regular file that can be opened for reading. A FIFO or a device is
// never opened: a FIFO waits for a writer, a device may never end.
bool hostsFileOpens(const QString& path);
// The whole file; anything but a regular file that can be read counts as missing.
HostsFileRead readHostsFile(const QString& path, QByteArray& bytes);

struct SystemFileSave {
    int error = 0;           // 0 when saved, else the system's error number
    QString reason;          // the failure in words
    bool changed = false;    // after a failure: the file no longer holds what it held
    bool mountPoint = false; // the file is mounted over its folder's entry, as a container's hosts file is
};

// Replaces the file's content. Where the folder takes a new file, the new content goes into one
// carrying the old file's owner, mode, ACL and other extended attributes, which then takes the
// old one's place at once. Where it cannot (a folder the operator may not write, a mount point), the
// file is written in place, never cut short first: room for the new content is reserved, the content
// written, the file cut to its length; a write that fails puts the old content back.
SystemFileSave replaceSystemFile(const QString& path, const QByteArray& bytes);

} // namespace corvane
