#include "platform/ProgramFolder.h"
#include "support/InstalledProgram.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class ProgramFolderTest : public ::testing::Test {
protected:
    ProgramFolderTest() { SetProgramFolderForTesting(m_program.path()); }
    ~ProgramFolderTest() override { SetProgramFolderForTesting(QString()); }

    void WriteBesideProgram(const QString& name)
    {
        QFile file(m_program.file(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    TempFolder m_program;
};

TEST_F(ProgramFolderTest, OutsideTheInstallFolderEverythingStaysBesideTheProgram)
{
    EXPECT_FALSE(RunsInstalled());
    const QString beside = QDir::toNativeSeparators(m_program.file(QStringLiteral("preset.ini")));
    EXPECT_EQ(DataFileToRead(QStringLiteral("preset.ini")), beside);
    EXPECT_EQ(DataFileToWrite(QStringLiteral("preset.ini")), beside);
    EXPECT_EQ(SnapshotFolder(), m_program.path());
}

TEST_F(ProgramFolderTest, InstalledTheUsersFoldersTakeWhatIsWritten)
{
    InstalledProgram installed(m_program.path());
    ASSERT_TRUE(RunsInstalled());

    const QString written = DataFileToWrite(QStringLiteral("preset.ini"));
    EXPECT_EQ(QFileInfo(written).absolutePath(), installed.DataFolder());
    EXPECT_TRUE(QFileInfo(installed.DataFolder()).isDir()) << "the data folder is made";
    EXPECT_EQ(SnapshotFolder(), installed.PicturesFolder());
    EXPECT_TRUE(QFileInfo(installed.PicturesFolder()).isDir()) << "the Pictures folder is made";
}

TEST_F(ProgramFolderTest, InstalledTheFileBesideIsReadUntilTheUserSavesOne)
{
    InstalledProgram installed(m_program.path());
    WriteBesideProgram(QStringLiteral("preset.ini"));
    EXPECT_EQ(DataFileToRead(QStringLiteral("preset.ini")),
              QDir::toNativeSeparators(m_program.file(QStringLiteral("preset.ini"))));

    QFile userFile(DataFileToWrite(QStringLiteral("preset.ini")));
    ASSERT_TRUE(userFile.open(QIODevice::WriteOnly));
    userFile.close();
    EXPECT_EQ(DataFileToRead(QStringLiteral("preset.ini")), userFile.fileName())
        << "the user's saved presets are never hidden by the file beside the program";
}

}  // namespace
