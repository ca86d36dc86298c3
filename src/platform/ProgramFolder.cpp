#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString& FolderOverride()
{
    static QString folder;
    return folder;
}
}  // namespace

QString ProgramFolder()
{
    if (!FolderOverride().isEmpty())
        return FolderOverride();
    return QCoreApplication::applicationDirPath();
}

QString ProgramFilePath(const QString& fileName)
{
    return QDir::toNativeSeparators(QDir(ProgramFolder()).filePath(fileName));
}

void SetProgramFolderForTesting(const QString& folder)
{
    FolderOverride() = folder;
}
