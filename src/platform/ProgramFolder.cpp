#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString& FolderOverride()
{
    static QString folder;
    return folder;
}

QString& InstallFolderOverride()
{
    static QString folder;
    return folder;
}

QString InstallFolder()
{
    if (!InstallFolderOverride().isEmpty())
        return InstallFolderOverride();
    return QStringLiteral(VIZMAR_INSTALL_BINDIR);
}

// A folder of the user's, made when it does not exist yet.
QString UserFolder(QStandardPaths::StandardLocation location)
{
    const QString folder = QStandardPaths::writableLocation(location);
    QDir().mkpath(folder);
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

bool RunsInstalled()
{
    return QFileInfo(ProgramFolder()).canonicalFilePath() == QFileInfo(InstallFolder()).canonicalFilePath();
}

QString DataFileToRead(const QString& fileName)
{
    if (RunsInstalled()) {
        const QString userFile = DataFileToWrite(fileName);
        if (QFileInfo::exists(userFile))
            return userFile;
    }
    return ProgramFilePath(fileName);
}

QString DataFileToWrite(const QString& fileName)
{
    if (!RunsInstalled())
        return ProgramFilePath(fileName);
    return QDir::toNativeSeparators(QDir(UserFolder(QStandardPaths::AppDataLocation)).filePath(fileName));
}

QString SnapshotFolder()
{
    if (!RunsInstalled())
        return ProgramFolder();
    return UserFolder(QStandardPaths::PicturesLocation);
}

void SetProgramFolderForTesting(const QString& folder)
{
    FolderOverride() = folder;
}

void SetInstallFolderForTesting(const QString& folder)
{
    InstallFolderOverride() = folder;
}
