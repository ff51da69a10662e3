#pragma once

#include <QByteArray>
#include <QString>

namespace stylorex {

enum class FileRead {
    Read,     // the whole file is in the bytes
    Missing,  // nothing of that name (or a folder on the way is missing)
    Refused,  // not a regular file (a folder, a named pipe, a device), unreadable, or too large
};

// The reason a name that holds no regular file is neither read nor replaced: the system's for
// a folder, a text of ours for anything else (a named pipe, a device, a socket).
QString NoRegularFileReason(bool folder);

// Reads the whole regular file at `path` into `bytes` (emptied first), if it holds at most
// `maxBytes` bytes. The file is opened without waiting and checked before the first read, so a
// named pipe or a device under a picture's, a pattern's or the settings' name is refused at once
// instead of stopping the program until another process writes to it. Every file the program
// reads goes through here.
// `why`, when given, receives the reason of a refusal or a missing file for the user: the
// system's (strerror), or that the file is no regular file or larger than `maxBytes`.
FileRead ReadRegularFile(const QString& path, QByteArray& bytes, qint64 maxBytes,
                         QString* why = nullptr);

}  // namespace stylorex
