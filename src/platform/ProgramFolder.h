#pragma once

#include <QString>

// The folder of the running executable, where snapshots and "preset.ini" live.
QString ProgramFolder();
// A file name in the program's folder, joined with the platform's separator.
QString ProgramFilePath(const QString& fileName);

// Lets tests give each case a folder of its own; an empty path restores the real one.
void SetProgramFolderForTesting(const QString& folder);
