#pragma once

#include <QString>

namespace stylorex {

// The folder of the running executable, ending in exactly one separator ("/" at the root too).
// The settings file and the pattern files lie there when it keeps them (ProgramFolderKeepsFiles):
// the components that place them take the folder as a value, which is this one in the program.
QString ProgramFolder();

// The executable's file name without its extension ("stylorex").
QString ProgramBaseName();

// Joins a folder and a file name with exactly one separator between them.
QString JoinPath(const QString& folder, const QString& name);

// Whether a new file can be made in `folder`. A probe file is made and removed, since
// permissions alone do not tell (a read-only mount, another owner, root).
bool FolderAcceptsFiles(const QString& folder);

// Whether the program folder keeps the program's own files (settings, stored patterns): it
// accepts files, and it is none of the folders under /usr (but /usr/local) that the system's
// packages own, which root can write but whose files the package manager alone should place
// (/usr/bin, where the Debian package installs the program).
bool ProgramFolderKeepsFiles(const QString& folder);

}  // namespace stylorex
