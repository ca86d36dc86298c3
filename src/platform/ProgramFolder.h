#pragma once

#include <QString>

// The folder of the running executable.
QString ProgramFolder();
// A file name in the program's folder, joined with the platform's separator.
QString ProgramFilePath(const QString& fileName);

// True when the program runs from the folder it was installed to, which it cannot write to.
// A program run from anywhere else (its build folder, a copied folder) keeps its files beside
// itself.
bool RunsInstalled();

// A file the user's work is kept in (such as "preset.ini"), to read: beside the program,
// unless the program runs installed and the user has saved one of their own, which then wins
// so that saved work is never hidden by the file beside the program.
QString DataFileToRead(const QString& fileName);
// The same file to write: beside the program, or in the user's data folder when installed.
QString DataFileToWrite(const QString& fileName);
// Where snapshots go: beside the program, or the user's Pictures folder when installed.
QString SnapshotFolder();

// Lets tests give each case a folder of its own; an empty path restores the real one.
void SetProgramFolderForTesting(const QString& folder);
// Lets tests treat a folder as the installed one; an empty path restores the real one.
void SetInstallFolderForTesting(const QString& folder);
