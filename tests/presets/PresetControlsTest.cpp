#include "app/CVizmarDlg.h"
#include "controls/UpDownControl.h"
#include "platform/MessageBox.h"
#include "platform/ModalRunner.h"
#include "platform/ProgramFolder.h"
#include "presets/CPresetDlg.h"
#include "presets/PresetControls.h"
#include "presets/PresetFile.h"
#include "support/TempFolder.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <sys/resource.h>

namespace {
// A message box as the user saw it.
struct Message {
    QString text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QString caption;
};

// The real main dialog with "preset.ini" in a program folder of the case's own. The modal
// prompts are answered here: the name dialog gets the next scripted name, each message box
// the next scripted answer, and both are recorded.
class PresetControlsTest : public ::testing::Test {
protected:
    PresetControlsTest()
        : m_hook([this](QDialog& dialog) { return Answer(dialog); })
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
        SetProgramFolderForTesting(m_program.path());
    }

    ~PresetControlsTest() override
    {
        m_dialog.reset();
        SetProgramFolderForTesting(QString());
    }

    void WritePresetFile(const QByteArray& content)
    {
        QFile file(m_program.file(kPresetFileName));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QByteArray PresetFileContent() const
    {
        QFile file(m_program.file(kPresetFileName));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    void OpenDialog()
    {
        m_dialog = std::make_unique<CVizmarDlg>();
        m_dialog->show();
        m_dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
    }

    QComboBox* Box() { return m_dialog->controlAs<QComboBox>(IDC_PRESET); }
    QStringList Items()
    {
        QStringList items;
        for (int i = 0; i < Box()->count(); ++i)
            items << Box()->itemText(i);
        return items;
    }

    // Picks a preset from the keyboard, as the user does on the closed box.
    void Choose(int position)
    {
        Box()->setFocus();
        Box()->setCurrentIndex(position - 1);
        QTest::keyClick(Box(), Qt::Key_Down);
        ASSERT_EQ(Box()->currentIndex(), position);
    }

    void Click(int id) { QTest::mouseClick(m_dialog->controlAs<QPushButton>(id), Qt::LeftButton); }

    int Answer(QDialog& dialog)
    {
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            m_messages.push_back({box->text(), box->icon(), box->standardButtons(), box->windowTitle()});
            return m_answers.empty() ? QMessageBox::No : m_answers.takeFirst();
        }
        if (auto* nameDialog = qobject_cast<CPresetDlg*>(&dialog)) {
            if (m_names.empty())
                return QDialog::Rejected;
            nameDialog->findChild<QLineEdit*>(QStringLiteral("1034"))->setText(m_names.takeFirst());
            QTest::mouseClick(nameDialog->findChild<QPushButton*>(QStringLiteral("1")), Qt::LeftButton);
            return nameDialog->result();
        }
        ADD_FAILURE() << "unexpected dialog " << dialog.windowTitle().toStdString();
        return QDialog::Rejected;
    }

    RgbTriple OldMaskOnScreen()
    {
        const QRgb pixel = m_dialog->grab().toImage().pixel(m_dialog->oldMaskRect().center());
        return {qRed(pixel), qGreen(pixel), qBlue(pixel)};
    }

    TempFolder m_settings;
    TempFolder m_program;
    std::unique_ptr<CVizmarDlg> m_dialog;
    ScopedModalHook m_hook;
    QStringList m_names;
    QList<int> m_answers;
    std::vector<Message> m_messages;
};

TEST_F(PresetControlsTest, WithoutAFileOnlyCustomAndTheBuiltInsAreListed)
{
    OpenDialog();
    EXPECT_EQ(Items(), QStringList({"Custom", "Red", "Green", "Blue"}));
    EXPECT_EQ(Box()->currentIndex(), -1);
    EXPECT_EQ(m_dialog->controlAs<QComboBox>(IDC_EFFECT)->currentText(), QStringLiteral("none"));
    const std::vector<PresetEntry>& list = m_dialog->presets().PresetList();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0], (PresetEntry{"Red", {333, 60, 127, 0, 104, 0}}));
    EXPECT_EQ(list[1], (PresetEntry{"Green", {105, 76, 40, 0, 54, 0}}));
    EXPECT_EQ(list[2], (PresetEntry{"Blue", {218, 60, 104, 0, 54, 0}}));
}

TEST_F(PresetControlsTest, FilePresetsFollowTheBuiltInsInFileOrder)
{
    WritePresetFile("; mine\r\n[Dusk]\r\n10,20,30,40,50,60\r\n[Red]\r\n1,2,3,4,5,6\r\n[\"Sky\"] x\r\n7 8 9 10 11 12\r\n");
    OpenDialog();
    EXPECT_EQ(Items(), QStringList({"Custom", "Red", "Green", "Blue", "Dusk", "Red", "Sky"}));
    EXPECT_EQ(Box()->currentIndex(), -1);
}

TEST_F(PresetControlsTest, ChoosingAPresetLoadsItsRangeAndBothSwatchesShowIt)
{
    OpenDialog();
    m_dialog->upDown(IDC_EROSION_SPIN)->SetPos(7);
    Choose(2);
    const CurrentColour& colour = m_dialog->currentColour();
    EXPECT_EQ(colour.m_hsv, (HsvTriple{105, 40, 54}));
    EXPECT_EQ(colour.m_rgb, HsvToRgb({105, 40, 54}));
    EXPECT_EQ(colour.m_rgbOld, colour.m_rgb);
    EXPECT_EQ(OldMaskOnScreen(), colour.m_rgb) << "at once, not at the next repaint";
    EXPECT_EQ(m_dialog->controlAs<QLineEdit>(IDC_HUE_WIDTH)->text(), QStringLiteral("76"));
    EXPECT_EQ(m_dialog->controlAs<QLineEdit>(IDC_SATURATION_WIDTH)->text(), QStringLiteral("0"));
    EXPECT_EQ(m_dialog->controlAs<QLineEdit>(IDC_HUE)->text(), QStringLiteral("105"));
    EXPECT_EQ(m_dialog->controlAs<QLineEdit>(IDC_EROSION_COUNT)->text(), QStringLiteral("2"));
    EXPECT_EQ(m_dialog->pipelineState().hsvRange, (HsvRange{105, 181, 40, 255, 54, 255}));
    EXPECT_EQ(m_dialog->global().HsvH1, 76);
    EXPECT_FALSE(QFile::exists(m_settings.file(QStringLiteral("Halvoren/tarsel.conf"))))
        << "a selection writes no settings";
    EXPECT_EQ(PresetFileContent(), QByteArray("<missing>")) << "nor the preset file";
}

TEST_F(PresetControlsTest, ChoosingCustomChangesNothing)
{
    OpenDialog();
    const CurrentColour before = m_dialog->currentColour();
    m_dialog->upDown(IDC_EROSION_SPIN)->SetPos(7);
    Choose(0);
    EXPECT_EQ(m_dialog->currentColour().m_hsv, before.m_hsv);
    EXPECT_EQ(m_dialog->controlAs<QLineEdit>(IDC_EROSION_COUNT)->text(), QStringLiteral("7"));
}

TEST_F(PresetControlsTest, SaveWritesTheRangeToTheSettingsAndTakesTheColourAsOldMask)
{
    OpenDialog();
    m_dialog->controlAs<QLineEdit>(IDC_VALUE_WIDTH)->setText(QStringLiteral("17"));
    auto* hue = m_dialog->controlAs<QLineEdit>(IDC_HUE);
    hue->setFocus();
    hue->setText(QStringLiteral("200"));
    Click(IDC_SAVE);
    const RgbTriple current = m_dialog->currentColour().m_rgb;
    EXPECT_EQ(m_dialog->currentColour().m_rgbOld, current);
    EXPECT_EQ(OldMaskOnScreen(), current);

    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Halvoren"), QStringLiteral("tarsel"));
    const std::pair<const char*, int> expected[] = {{"HSV-H0", 200}, {"HSV-H1", 359}, {"HSV-S0", 30},
                                                    {"HSV-S1", 0},   {"HSV-V0", 30},  {"HSV-V1", 17}};
    for (const auto& [name, value] : expected)
        EXPECT_EQ(store.value(QLatin1String(name)).toInt(), value) << name;
    EXPECT_EQ(Items().size(), 4) << "the presets are left alone";
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(PresetControlsTest, SaveAsAddsTheRangeUnderANewNameEvenTwice)
{
    OpenDialog();
    Choose(3);
    m_names = {QStringLiteral("  Dusk "), QStringLiteral("Dusk")};
    Click(IDC_SAVE_AS);
    Click(IDC_SAVE_AS);
    EXPECT_EQ(Items(), QStringList({"Custom", "Red", "Green", "Blue", "Dusk", "Dusk"}));
    EXPECT_EQ(Box()->currentIndex(), 3) << "the selection stays";
    EXPECT_EQ(PresetFileContent(), QByteArray("[Dusk]\r\n218,60,104,0,54,0\r\n[Dusk]\r\n218,60,104,0,54,0\r\n"));
    EXPECT_TRUE(m_messages.empty());

    // Both come back at the next start, each with its own values.
    m_dialog.reset();
    WritePresetFile("[Dusk]\r\n1,2,3,4,5,6\r\n[Dusk]\r\n6,5,4,3,2,1\r\n");
    OpenDialog();
    const std::vector<PresetEntry>& list = m_dialog->presets().PresetList();
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[3].range, (StoredColourRange{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(list[4].range, (StoredColourRange{6, 5, 4, 3, 2, 1}));
}

TEST_F(PresetControlsTest, SaveAsTakesTheCurrentColourAsOldMask)
{
    OpenDialog();
    m_dialog->currentColour().m_hsv = {60, 255, 255};
    m_dialog->currentColour().m_rgb = HsvToRgb({60, 255, 255});
    m_names = {QStringLiteral("Yellow")};
    Click(IDC_SAVE_AS);
    EXPECT_EQ(m_dialog->currentColour().m_rgbOld, (RgbTriple{255, 255, 0}));
    EXPECT_EQ(OldMaskOnScreen(), (RgbTriple{255, 255, 0}));
}

TEST_F(PresetControlsTest, CancelledSaveAsAddsNothing)
{
    OpenDialog();
    const RgbTriple oldMask = m_dialog->currentColour().m_rgbOld;
    m_dialog->currentColour().m_rgb = {1, 2, 3};
    m_names = {QStringLiteral("[bad]")};
    Click(IDC_SAVE_AS);
    EXPECT_EQ(Items().size(), 4);
    EXPECT_EQ(m_dialog->currentColour().m_rgbOld, oldMask);
    EXPECT_EQ(PresetFileContent(), QByteArray("<missing>"));
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(PresetControlsTest, DelOnABuiltInAsksFirstThenRefuses)
{
    OpenDialog();
    Choose(1);
    m_answers = {QMessageBox::Yes};
    Click(IDC_DELETE_PRESET);
    ASSERT_EQ(m_messages.size(), 2u);
    EXPECT_EQ(m_messages[0].text, QStringLiteral("Are you sure to delete current selected PRESET?"));
    EXPECT_EQ(m_messages[0].icon, QMessageBox::Question);
    EXPECT_EQ(m_messages[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(m_messages[1].text, QStringLiteral("Unable to delete default PRESET."));
    EXPECT_EQ(m_messages[1].icon, QMessageBox::Warning);
    EXPECT_EQ(m_messages[1].buttons, QMessageBox::Ok);
    for (const Message& message : m_messages)
        EXPECT_EQ(message.caption, kApplicationTitle);
    EXPECT_EQ(Items(), QStringList({"Custom", "Red", "Green", "Blue"}));
    EXPECT_EQ(Box()->currentIndex(), 1);
}

TEST_F(PresetControlsTest, DelAnsweredNoDeletesNothing)
{
    WritePresetFile("[A]\r\n1,2,3,4,5,6\r\n");
    OpenDialog();
    Choose(4);
    m_answers = {QMessageBox::No};
    Click(IDC_DELETE_PRESET);
    EXPECT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(Items().size(), 5);
    EXPECT_EQ(PresetFileContent(), QByteArray("[A]\r\n1,2,3,4,5,6\r\n"));
}

TEST_F(PresetControlsTest, DelWithNoSelectionRefusesAfterTheQuestion)
{
    OpenDialog();
    m_answers = {QMessageBox::Yes};
    Click(IDC_DELETE_PRESET);
    ASSERT_EQ(m_messages.size(), 2u);
    EXPECT_EQ(m_messages[1].text, QStringLiteral("Unable to delete default PRESET."));
}

TEST_F(PresetControlsTest, DeletingTheOnlyUserPresetLeavesAnEmptyFile)
{
    WritePresetFile("[A]\r\n1,2,3,4,5,6\r\n");
    OpenDialog();
    Choose(4);
    const CurrentColour chosen = m_dialog->currentColour();
    m_answers = {QMessageBox::Yes};
    Click(IDC_DELETE_PRESET);
    EXPECT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(Items(), QStringList({"Custom", "Red", "Green", "Blue"}));
    EXPECT_EQ(m_dialog->presets().PresetList().size(), 3u);
    EXPECT_EQ(Box()->currentIndex(), 0);
    EXPECT_EQ(m_dialog->currentColour().m_hsv, chosen.m_hsv) << "selecting Custom loads nothing";
    EXPECT_TRUE(QFile::exists(m_program.file(kPresetFileName)));
    EXPECT_EQ(PresetFileContent(), QByteArray());
}

TEST_F(PresetControlsTest, DeletingAPresetKeepsTheOthersInOrder)
{
    WritePresetFile("[A]\r\n1,2,3,4,5,6\r\n[B]\r\n2,2,2,2,2,2\r\n[C]\r\n3,3,3,3,3,3\r\n");
    OpenDialog();
    Choose(5);
    m_answers = {QMessageBox::Yes};
    Click(IDC_DELETE_PRESET);
    EXPECT_EQ(Items(), QStringList({"Custom", "Red", "Green", "Blue", "A", "C"}));
    EXPECT_EQ(PresetFileContent(), QByteArray("[A]\r\n1,2,3,4,5,6\r\n[C]\r\n3,3,3,3,3,3\r\n"));
}

// A save that fails half way (the file size limit stands in for a full disk) keeps the
// previous file whole, and Save As says so.
TEST_F(PresetControlsTest, AFailedSaveAsKeepsTheOldFileAndSaysSo)
{
    const QByteArray old = "[Kept]\r\n1,2,3,4,5,6\r\n[Also kept]\r\n7,8,9,10,11,12\r\n";
    WritePresetFile(old);
    OpenDialog();
    m_names = {QStringLiteral("A name long enough to push the file past its size limit")};

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 20;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    Click(IDC_SAVE_AS);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, QStringLiteral("Saving PRESET ini error!"));
    EXPECT_EQ(m_messages[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(m_messages[0].buttons, QMessageBox::Ok);
    EXPECT_EQ(PresetFileContent(), old);
    EXPECT_EQ(Items().size(), 7) << "the new preset stays listed";
}

TEST_F(PresetControlsTest, SaveAsIntoAMissingFolderSaysSo)
{
    OpenDialog();
    SetProgramFolderForTesting(m_program.file(QStringLiteral("gone")));
    m_names = {QStringLiteral("Dusk")};
    Click(IDC_SAVE_AS);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, QStringLiteral("Saving PRESET ini error!"));
    EXPECT_EQ(Items().last(), QStringLiteral("Dusk"));
}

TEST_F(PresetControlsTest, AQuotedNameComesBackWithoutItsQuotes)
{
    OpenDialog();
    m_names = {QStringLiteral("\"Quoted\"")};
    Click(IDC_SAVE_AS);
    EXPECT_TRUE(PresetFileContent().startsWith("[\"Quoted\"]\r\n"));
    m_dialog.reset();
    OpenDialog();
    EXPECT_EQ(Items().last(), QStringLiteral("Quoted"));
}
}  // namespace
