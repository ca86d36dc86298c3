#include "app/CGlobal.h"

#include "support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <gtest/gtest.h>

#include <array>

namespace {
// Every number the store reads, with its default, a value of our own and the member it fills.
struct NumberCase {
    const char* name;
    int32_t CGlobal::*member;
    int32_t defaultValue;
    int32_t storedValue;
};

const std::array<NumberCase, 15> kNumbers{{
    {"AutoCamStart", &CGlobal::AutoCamStart, 0, 1},
    {"Startup", &CGlobal::Startup, 0, 2},
    {"TransPreview", &CGlobal::TransPreview, 60, 61},
    {"CamSetting", &CGlobal::CamSetting, 0, 3},
    {"DEBUG", &CGlobal::Debug, 0, 0},
    {"Tutorial", &CGlobal::Tutorial, 0, 4},
    {"Mirror", &CGlobal::Mirror, 1, 0},
    {"FPS", &CGlobal::Fps, 30, 15},
    {"BlockScreensaver", &CGlobal::BlockScreensaver, 0, 5},
    {"HSV-H0", &CGlobal::HsvH0, 0, 333},
    {"HSV-H1", &CGlobal::HsvH1, 359, 60},
    {"HSV-S0", &CGlobal::HsvS0, 30, 127},
    {"HSV-S1", &CGlobal::HsvS1, 0, -7},
    {"HSV-V0", &CGlobal::HsvV0, 30, 1000},
    {"HSV-V1", &CGlobal::HsvV1, 0, 12},
}};

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_folder.path());
        m_previousFolder = QDir::currentPath();
        QDir::setCurrent(m_folder.path());
    }

    void TearDown() override { QDir::setCurrent(m_previousFolder); }

    QString StoreFile() const { return m_folder.file(QStringLiteral("Halvoren/tarsel.conf")); }
    QString LogFile() const { return m_folder.file(QString::fromLatin1(kDebugLogFileName)); }

    void WriteStoreFile(const QByteArray& content) const
    {
        QDir(m_folder.path()).mkpath(QStringLiteral("Halvoren"));
        QFile file(StoreFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    // A store file holding every number of kNumbers except the one named `left_out`.
    QByteArray StoreContentWithout(const char* left_out) const
    {
        QByteArray content = "[General]\nDataPath=/data/cams\n";
        for (const NumberCase& number : kNumbers) {
            if (qstrcmp(number.name, left_out) != 0)
                content += QByteArray(number.name) + '=' + QByteArray::number(number.storedValue) + '\n';
        }
        return content;
    }

    static void ExpectDefaults(const CGlobal& global)
    {
        EXPECT_TRUE(global.DataPath.isEmpty());
        EXPECT_EQ(global.CamShutdown, 0);
        for (const NumberCase& number : kNumbers)
            EXPECT_EQ(global.*number.member, number.defaultValue) << number.name;
        EXPECT_FALSE(global.HasDebugLog());
    }

    TempFolder m_folder;
    QString m_previousFolder;
};

TEST_F(SettingsStoreTest, WithoutStoreEveryMemberKeepsItsDefault)
{
    const CGlobal global;
    ExpectDefaults(global);
    EXPECT_FALSE(QFile::exists(LogFile()));
    EXPECT_FALSE(QFile::exists(StoreFile()));
}

TEST_F(SettingsStoreTest, WriteStoresAllSeventeenValuesWithCamShutdownZero)
{
    CGlobal global;
    global.DataPath = QStringLiteral("/home/ana/Vizmar data, with comma");
    for (const NumberCase& number : kNumbers)
        global.*number.member = number.storedValue;
    global.CamShutdown = 9;

    ASSERT_EQ(global.WriteRegistry(), 1);

    const QSettings store(StoreFile(), QSettings::IniFormat);
    EXPECT_EQ(store.allKeys().size(), 17);
    EXPECT_EQ(store.value("CamShutdown").toInt(), 0);
    EXPECT_EQ(store.value("DataPath").toString(), global.DataPath);
    for (const NumberCase& number : kNumbers)
        EXPECT_EQ(store.value(number.name).toInt(), number.storedValue) << number.name;

    const CGlobal reread;
    EXPECT_EQ(reread.DataPath, global.DataPath);
    for (const NumberCase& number : kNumbers)
        EXPECT_EQ(reread.*number.member, number.storedValue) << number.name;
}

TEST_F(SettingsStoreTest, WriteCreatesTheStoreAndAnEmptyDataPathReadsBackEmpty)
{
    CGlobal global;
    ASSERT_EQ(global.WriteRegistry(), 1);
    ASSERT_TRUE(QFile::exists(StoreFile()));
    const CGlobal reread;
    ExpectDefaults(reread);
}

TEST_F(SettingsStoreTest, CamShutdownIsNeverReadBack)
{
    WriteStoreFile("[General]\nCamShutdown=5\n");
    const CGlobal global;
    EXPECT_EQ(global.CamShutdown, 0);
}

TEST_F(SettingsStoreTest, AMissingValueLeavesOnlyThatMemberAtItsDefault)
{
    for (const NumberCase& missing : kNumbers) {
        if (qstrcmp(missing.name, "DEBUG") == 0)
            continue;  // its stored value is the default already
        WriteStoreFile(StoreContentWithout(missing.name));
        const CGlobal global;
        for (const NumberCase& number : kNumbers) {
            const int32_t expected = &number == &missing ? number.defaultValue : number.storedValue;
            EXPECT_EQ(global.*number.member, expected) << number.name << " with " << missing.name << " missing";
        }
        EXPECT_EQ(global.DataPath, QStringLiteral("/data/cams"));
    }
}

TEST_F(SettingsStoreTest, ValuesThatAreNotNumbersCountAsMissing)
{
    WriteStoreFile("[General]\nHSV-H0=abc\nHSV-H1=12abc\nHSV-S0=\nHSV-S1=1.5\nHSV-V0=99999999999\n"
                   "HSV-V1=7\nMirror=0\nFPS=\"a, b\"\n");
    const CGlobal global;
    EXPECT_EQ(global.HsvH0, 0);
    EXPECT_EQ(global.HsvH1, 359);
    EXPECT_EQ(global.HsvS0, 30);
    EXPECT_EQ(global.HsvS1, 0);
    EXPECT_EQ(global.HsvV0, 30);
    EXPECT_EQ(global.HsvV1, 7);
    EXPECT_EQ(global.Mirror, 0);
    EXPECT_EQ(global.Fps, 30);
}

TEST_F(SettingsStoreTest, AStoreFileThatDoesNotParseLeavesAllDefaults)
{
    const QByteArray whole = StoreContentWithout("");
    const QByteArray cutInAName = whole.left(whole.indexOf("HSV-S0") + 4);
    const QByteArray cutInAValue = whole.left(whole.indexOf("HSV-S0") + 8);
    const QByteArray garbage("\x00\xff\xfe[Gen\x01\x02=\x7f\nHSV-H0=5\n\x00\x03\n", 23);
    const QByteArray brokenSection("[General\nHSV-H0=5\nMirror=0\n");
    const QByteArray strayText("[General]\nHSV-H0=5\nthis is not a setting\n");
    for (const QByteArray& content : {cutInAName, cutInAValue, garbage, brokenSection, strayText}) {
        SCOPED_TRACE(content.toStdString());
        WriteStoreFile(content);
        const CGlobal global;
        ExpectDefaults(global);
    }
}

// Qt keeps a parsed file and reports its format error only to the first reader, so the
// damage must be seen in the file itself for a second read to refuse it too.
TEST_F(SettingsStoreTest, AnUnclosedSectionHeaderLeavesAllDefaultsOnEveryRead)
{
    // Qt reads ";" as the start of a comment, also between a header's brackets, and ends a
    // line at a carriage return too.
    for (const char* header : {"[Broken=1", "[Gen;x]", "# note\r[Broken"}) {
        SCOPED_TRACE(header);
        WriteStoreFile(QByteArray("[General]\nHSV-H0=5\n") + header + "\nMirror=0\n");
        const CGlobal first;
        ExpectDefaults(first);
        const CGlobal second;
        ExpectDefaults(second);
    }
}

TEST_F(SettingsStoreTest, WriteReplacesAStoreFileThatCouldNotBeRead)
{
    WriteStoreFile(QByteArray("\x00\xff[General\nHSV-H0=5\n[", 20));
    CGlobal global;
    global.HsvH0 = 123;
    ASSERT_EQ(global.WriteRegistry(), 1);
    const CGlobal reread;
    EXPECT_EQ(reread.HsvH0, 123);
    EXPECT_EQ(reread.HsvS0, 30);
}

TEST_F(SettingsStoreTest, AFolderInPlaceOfTheStoreFileLeavesTheDefaultsAndRefusesTheWrite)
{
    ASSERT_TRUE(QDir(m_folder.path()).mkpath(QStringLiteral("Halvoren/tarsel.conf")));
    CGlobal global;
    ExpectDefaults(global);
    EXPECT_EQ(global.WriteRegistry(), 0);
}

TEST_F(SettingsStoreTest, WriteReturnsZeroWhenTheStoreFolderCannotBeMade)
{
    QFile blocker(m_folder.file(QStringLiteral("not-a-folder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, blocker.fileName());
    CGlobal global;
    EXPECT_EQ(global.WriteRegistry(), 0);
}

TEST_F(SettingsStoreTest, DebugCreatesAnEmptyLogInTheCurrentFolder)
{
    WriteStoreFile("[General]\nDEBUG=1\n");
    {
        const CGlobal global;
        EXPECT_TRUE(global.HasDebugLog());
        EXPECT_TRUE(QFile::exists(LogFile()));
    }
    EXPECT_EQ(QFileInfo(LogFile()).size(), 0);
}

TEST_F(SettingsStoreTest, DebugKeepsAnExistingLogsContent)
{
    WriteStoreFile("[General]\nDEBUG=-1\n");
    QFile log(LogFile());
    ASSERT_TRUE(log.open(QIODevice::WriteOnly));
    log.write("earlier run\n");
    log.close();
    {
        const CGlobal global;
        EXPECT_TRUE(global.HasDebugLog());
    }
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(), QByteArray("earlier run\n"));
}
}  // namespace
