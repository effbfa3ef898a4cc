// The folder where Quorvel keeps its settings, page files and help files.
#pragma once

#include <QString>

namespace quorvel {

// The executable's folder when it is writable; otherwise (an installed, read-only location)
// the per-user application data folder, created on demand. Always ends with '/'.
QString ProgramDir();

// Lets tests and the start-up sequence point the program at another folder.
void SetProgramDir(const QString& folder);

// Where help files may lie, in the order they are tried: the program folder, the folder of the
// executable, and the installed data folders.
QStringList HelpFileFolders();

} // namespace quorvel
