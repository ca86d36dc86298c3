#include "app/SourceDialogFixture.h"

#include "platform/ProgramFolder.h"
#include "presets/CPresetDlg.h"
#include "sources/CSetFPS.h"
#include "sources/camera/CaptureDisplayDialog.h"
#include "sources/camera/CaptureFormatDialog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QSettings>
#include <QTest>

SourceDialogFixture::SourceDialogFixture()
    : m_hook([this](QDialog& dialog) { return Answer(dialog); })
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    SetProgramFolderForTesting(m_programFolder.path());
    m_dialog = std::make_unique<CVizmarDlg>();
    m_dialog->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(m_dialog.get()));
}

SourceDialogFixture::~SourceDialogFixture()
{
    m_dialog.reset();
    SetProgramFolderForTesting(QString());
}

int SourceDialogFixture::Answer(QDialog& dialog)
{
    if (auto* rates = qobject_cast<CSetFPS*>(&dialog))
        return m_onRateDialog ? m_onRateDialog(*rates) : ClickButton(dialog, QStringLiteral("OK"));
    if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
        if (m_onFileDialog)
            return m_onFileDialog(*files);
        ADD_FAILURE() << "a file dialog nobody answers";
        return QDialog::Rejected;
    }
    if (auto* name = qobject_cast<CPresetDlg*>(&dialog)) {
        if (m_onNameDialog)
            return m_onNameDialog(*name);
        ADD_FAILURE() << "a name dialog nobody answers";
        return QDialog::Rejected;
    }
    auto* box = qobject_cast<QMessageBox*>(&dialog);
    if (box != nullptr && box->standardButtons() == QMessageBox::Ok) {
        m_messages.append(box->text());
        return QMessageBox::Ok;
    }
    return m_driverDialogs.Answer(dialog);
}

QString SourceDialogFixture::Text(int id) const
{
    return m_dialog->controlAs<QAbstractButton>(id)->text();
}

bool SourceDialogFixture::Shown(int id) const
{
    return m_dialog->control(id)->isVisibleTo(m_dialog.get());
}

bool SourceDialogFixture::Enabled(int id) const
{
    return m_dialog->control(id)->isEnabled();
}

void SourceDialogFixture::Click(int id)
{
    QTest::mouseClick(m_dialog->controlAs<QAbstractButton>(id), Qt::LeftButton);
}

bool SourceDialogFixture::WaitForFrames(int count)
{
    const int target = FramesProcessed() + count;
    return WaitFor([&] { return FramesProcessed() >= target; });
}

bool SourceDialogFixture::NoMoreFrames()
{
    const int before = FramesProcessed();
    QTest::qWait(250);
    return FramesProcessed() == before;
}

QStringList SourceDialogFixture::Snapshots() const
{
    return QDir(m_programFolder.path()).entryList({QStringLiteral("VIZMAR*.bmp")}, QDir::Files);
}

FrameRecord SourceDialogFixture::SnapshotRecord(const QString& name) const
{
    QFile file(m_programFolder.file(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    constexpr qsizetype kFileHeaderSize = 14;
    if (bytes.size() <= kFileHeaderSize)
        return {};
    return FrameRecord(reinterpret_cast<const uint8_t*>(bytes.constData()) + kFileHeaderSize,
                       std::size_t(bytes.size() - kFileHeaderSize));
}

int ChooseRate(CSetFPS& dialog, const QString& rate)
{
    auto* box = dialog.findChild<QComboBox*>(QString::number(CSetFPS::kRateComboId));
    EXPECT_NE(box, nullptr);
    if (box != nullptr)
        box->setCurrentIndex(box->findText(rate));
    return ClickButton(dialog, QStringLiteral("OK"));
}

int ChooseFile(QFileDialog& dialog, const QString& path)
{
    dialog.selectFile(path);
    // QFileDialog keeps accept() protected; through its base it runs all the same.
    static_cast<QDialog&>(dialog).accept();
    return dialog.result();
}
