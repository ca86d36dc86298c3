#include "app/SourceDialogFixture.h"

#include "app/CameraView.h"
#include "platform/ProgramFolder.h"
#include "sources/CSetFPS.h"
#include "sources/camera/CaptureDisplayDialog.h"
#include "sources/camera/CaptureFormatDialog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QSettings>
#include <QTest>

#include <algorithm>

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

bool SourceDialogFixture::Shows(const FrameRecord& record)
{
    CameraView view;
    view.resize(Dialog().cameraView().size());
    if (!view.DrawFrame(record))
        return false;
    const BitmapInfoHeader header = record.header();
    const int drawnHeight = std::min(view.height(), view.width() * header.biHeight / header.biWidth);
    const QRect drawn(0, 0, view.width(), drawnHeight);
    return Picture().copy(drawn) == view.Picture().copy(drawn);
}

QStringList SourceDialogFixture::Snapshots() const
{
    return QDir(m_programFolder.path()).entryList({QStringLiteral("VIZMAR*.bmp")}, QDir::Files);
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
