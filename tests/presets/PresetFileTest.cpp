#include "presets/PresetFile.h"

#include "support/TempFolder.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <limits>
#include <ostream>
#include <sys/resource.h>

void PrintTo(const PresetEntry& preset, std::ostream* out)
{
    const StoredColourRange& r = preset.range;
    *out << '[' << preset.name.toStdString() << "] " << r.h0 << ',' << r.h1 << ',' << r.s0 << ',' << r.s1 << ','
         << r.v0 << ',' << r.v1;
}

namespace {
PresetEntry Entry(const QString& name, StoredColourRange range)
{
    return {name, range};
}

QByteArray Lines(std::initializer_list<const char*> lines)
{
    QByteArray content;
    for (const char* line : lines)
        content += QByteArray(line) + "\r\n";
    return content;
}

// Each case: a file's content and the presets it gives.
struct ParseCase {
    const char* what;
    QByteArray content;
    std::vector<PresetEntry> presets;
};

const StoredColourRange kOneToSix{1, 2, 3, 4, 5, 6};

std::vector<ParseCase> ParseCases()
{
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    const QByteArray longValues = "[A]\n1,2,3,4,5,6" + QByteArray(1100, ' ') + "\n";
    const QByteArray continuedValues = "[A]\n1,2,3,4,5,6," + QByteArray(1100, ',') + "7 8 9 10 11 12\n";
    const QByteArray longHeader = "[" + QByteArray(1100, 'n') + "]\n1,2,3,4,5,6\n";
    return {
        {"empty file", "", {}},
        {"comments and blank lines only", Lines({"; a comment", "// another", "", "/", ";[A]"}), {}},
        {"a written file", Lines({"[Dusk]", "10,20,30,40,50,60", "[Red]", "-5,0,0,0,0,0"}),
         {Entry("Dusk", {10, 20, 30, 40, 50, 60}), Entry("Red", {-5, 0, 0, 0, 0, 0})}},
        {"too few values", Lines({"[A]", "1,2,3"}), {}},
        {"mixed separators and a seventh value", Lines({"[A]", "1 ,\t2,,3  4\t,,5,6,7"}), {Entry("A", kOneToSix)}},
        {"a second values line overwrites", Lines({"[A]", "1,2,3,4,5,6", "7,8,9,10,11,12"}),
         {Entry("A", {7, 8, 9, 10, 11, 12})}},
        {"a short line ends the section", Lines({"[A]", "1,2,3", "1,2,3,4,5,6", "[B]", "6,5,4,3,2,1"}),
         {Entry("B", {6, 5, 4, 3, 2, 1})}},
        {"a line of blanks has no tokens", Lines({"[A]", "1,2,3,4,5,6", " "}), {}},
        {"a tab line has no tokens", Lines({"[A]", "1,2,3,4,5,6", "\t"}), {}},
        {"an empty line does no harm", Lines({"[A]", "", "1,2,3,4,5,6", ""}), {Entry("A", kOneToSix)}},
        {"values before the first header", Lines({"1,2,3,4,5,6", "[A]", "6,6,6,6,6,6"}),
         {Entry("A", {6, 6, 6, 6, 6, 6})}},
        {"a header after a blank is no header", Lines({" [A]", "1,2,3,4,5,6"}), {}},
        {"text after the bracket", Lines({"[A] trailing words]", "1,2,3,4,5,6"}), {Entry("A", kOneToSix)}},
        {"blanks inside the brackets", Lines({"[ A B ]", "1,2,3,4,5,6"}), {Entry(" A B ", kOneToSix)}},
        {"quoted name", Lines({"[\"Q R\"]", "1,2,3,4,5,6"}), {Entry("Q R", kOneToSix)}},
        {"quote without its end", Lines({"[\"Q]", "1,2,3,4,5,6"}), {Entry("Q", kOneToSix)}},
        {"a bracket without its end is a short values line", Lines({"[A]", "1,2,3,4,5,6", "[B", "7,8,9,10,11,12"}),
         {}},
        {"empty brackets name no section", Lines({"[A]", "1,2,3,4,5,6", "[]", "9,9,9,9,9,9", "[B]", "6,5,4,3,2,1"}),
         {Entry("A", kOneToSix), Entry("B", {6, 5, 4, 3, 2, 1})}},
        {"empty quotes name no section", Lines({"[\"\"]", "9,9,9,9,9,9"}), {}},
        {"a section without values is left out", Lines({"[A]", "[B]", "1,2,3,4,5,6", "[C]"}),
         {Entry("B", kOneToSix)}},
        {"tokens that are not numbers read as 0", Lines({"[A]", "x,12abc,-3,+4,-,5"}),
         {Entry("A", {0, 12, -3, 4, 0, 5})}},
        {"numbers beyond 32 bits stop at the limit", Lines({"[A]", "99999999999,-99999999999,1,2,3,4"}),
         {Entry("A", {kMax, std::numeric_limits<int32_t>::min(), 1, 2, 3, 4})}},
        {"LF line ends and no line end at the close", "[A]\n1,2,3,4,5,6", {Entry("A", kOneToSix)}},
        {"bytes above 127 keep their codes", "[caf\xe9\x01\xff]\n1,2,3,4,5,6\n",
         {Entry(QString::fromLatin1("caf\xe9\x01\xff"), kOneToSix)}},
        {"a zero byte ends the line's text", QByteArray("[A\0B]\n1,2,3,4,5,6\n[C]\n1,2,3,4,5,6\n", 34),
         {Entry("C", kOneToSix)}},
        {"a lone CR stays in the name", "[A\rB]\r\n1,2,3,4,5,6\r\n", {Entry("A\rB", kOneToSix)}},
        {"a long values line's rest is read as another line", longValues, {}},
        {"a long values line read in two pieces", continuedValues, {Entry("A", {7, 8, 9, 10, 11, 12})}},
        {"a header longer than a line read", longHeader, {}},
    };
}

TEST(PresetFileTest, ReadsEveryKindOfLine)
{
    for (const ParseCase& c : ParseCases())
        EXPECT_EQ(ParsePresetFile(c.content), c.presets) << c.what;
}

TEST(PresetFileTest, BinaryContentOfAnyLengthLoadsWithoutHarm)
{
    QByteArray noise;
    quint32 state = 12345;
    for (int i = 0; i < 20000; ++i) {
        state = state * 1103515245 + 12345;
        noise += static_cast<char>(state >> 24);
        if (i % 3000 == 0)
            noise += "[N]\n1,2,3,4,5,6\n";
    }
    for (const PresetEntry& preset : ParsePresetFile(noise))
        EXPECT_FALSE(preset.name.isEmpty());
}

TEST(PresetFileTest, WritesTwoLinesAPresetWithCrLfAndOneBytePerCharacter)
{
    const std::vector<PresetEntry> presets = {Entry("Dusk", {10, 20, 30, 40, 50, 60}),
                                              Entry(QString::fromLatin1("caf\xe9"), {-1, 0, 0, 0, 0, 2147483647})};
    EXPECT_EQ(FormatPresetFile(presets), QByteArray("[Dusk]\r\n10,20,30,40,50,60\r\n"
                                                    "[caf\xe9]\r\n-1,0,0,0,0,2147483647\r\n"));
    EXPECT_EQ(ParsePresetFile(FormatPresetFile(presets)), presets);
    EXPECT_EQ(FormatPresetFile({}), QByteArray());
}

class PresetFileWriteTest : public ::testing::Test {
protected:
    QByteArray Content() const
    {
        QFile file(m_folder.file(kPresetFileName));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QStringList FolderEntries() const { return QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden); }

    TempFolder m_folder;
};

TEST_F(PresetFileWriteTest, ReplacesTheFileWhole)
{
    ASSERT_TRUE(WritePresetFile(m_folder.file(kPresetFileName), QByteArray(5000, 'x')));
    ASSERT_TRUE(WritePresetFile(m_folder.file(kPresetFileName), "[A]\r\n1,2,3,4,5,6\r\n"));
    EXPECT_EQ(Content(), QByteArray("[A]\r\n1,2,3,4,5,6\r\n"));
    ASSERT_TRUE(WritePresetFile(m_folder.file(kPresetFileName), QByteArray()));
    EXPECT_EQ(Content(), QByteArray());
    EXPECT_EQ(FolderEntries(), QStringList{kPresetFileName});
}

// A write that fails half way (here: at the file size limit, as on a full disk) leaves the
// old file as it was and nothing beside it, whether the failure comes while writing or
// while the last buffered bytes go out.
TEST_F(PresetFileWriteTest, AFailedWriteLeavesTheOldFileWhole)
{
    const QByteArray old = "[Old]\r\n1,2,3,4,5,6\r\n";
    ASSERT_TRUE(WritePresetFile(m_folder.file(kPresetFileName), old));

    for (const qsizetype size : {qsizetype{200}, qsizetype{100000}}) {
        rlimit saved{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 64;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool written = WritePresetFile(m_folder.file(kPresetFileName), QByteArray(size, 'y'));
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);

        EXPECT_FALSE(written) << size;
        EXPECT_EQ(Content(), old) << size;
        EXPECT_EQ(FolderEntries(), QStringList{kPresetFileName}) << size;
    }
}

TEST_F(PresetFileWriteTest, AFolderThatCannotBeWrittenFails)
{
    EXPECT_FALSE(WritePresetFile(m_folder.file(QStringLiteral("missing/") + kPresetFileName), "[A]\r\n"));
}
}  // namespace
