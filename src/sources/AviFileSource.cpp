#include "sources/AviFileSource.h"

#include "imaging/BitmapFile.h"
#include "imaging/FormatConversion.h"
#include "imaging/Pipeline.h"
#include "platform/MessageBox.h"
#include "platform/ModalRunner.h"
#include "platform/ProgramClock.h"
#include "platform/ProgramFolder.h"
#include "sources/SnapshotSound.h"
#include "sources/SourceHost.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressDialog>
#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>
#include <cstring>

namespace {

const QString kLoadingError = QStringLiteral("Source file loading error:");

// Phones and cameras often write their names in capitals, and the file dialog tells case.
QString VideosAndPicturesFilter()
{
    const QStringList extensions{"avi", "mp4", "mov", "m4v", "mkv", "webm", "ts", "mts", "m2ts", "png",
                                 "jpg", "jpeg", "bmp", "tif", "tiff", "webp"};
    QStringList patterns;
    for (const QString& extension : extensions)
        patterns << "*." + extension << "*." + extension.toUpper();
    return QStringLiteral("Videos and Pictures (%1)").arg(patterns.join(' '));
}

const QStringList kFileFilters{QStringLiteral("AVI Files (*.avi)"), VideosAndPicturesFilter(),
                               QStringLiteral("BMP File (*.bmp)"), QStringLiteral("All Files (*.*)")};

// Reading a long recording through to count its frames takes a while: after this long a
// dialog shows how far it has come and lets the user stop.
constexpr int kCountingDialogDelayMs = 500;

}  // namespace

AviFileSource::AviFileSource(const SourceWidgets& widgets, SourceHost& host, PipelineState& state,
                             SnapshotSound& sound)
    : m_widgets(widgets), m_host(host), m_state(state), m_sound(sound)
{
    m_timer.setInterval(kPlayIntervalMs);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { OnTimer(); });
}

AviFileSource::~AviFileSource() = default;

void AviFileSource::Open()
{
    auto file = std::make_unique<AVIFileObj>();
    if (OpenSourceFile(*file) == 0) {
        m_widgets.addCam->setText(kOpenLabel);
        return;
    }
    m_pAviFile = std::move(file);
    ShowOpenedFile();
}

void AviFileSource::ShowOpenedFile()
{
    m_widgets.addCam->setText(kSnapshotLabel);
    ShowAviFrame();
    EnableSourceChoice(m_widgets, false);
    m_widgets.camSetup->setEnabled(true);
}

void AviFileSource::RedrawPausedFrame()
{
    if (m_pAviFile && !m_bPlaying)
        ShowAviFrame();
}

void AviFileSource::TakeSnapshot()
{
    m_sound.Play();
    const FrameRecord& lastOutput = m_state.bufferSet[kLastOutputBuffer];
    if (lastOutput.empty())
        return;
    SaveSnapshot(lastOutput, QFile::encodeName(SnapshotFolder()).toStdString(), ElapsedMilliseconds());
}

void AviFileSource::Close()
{
    m_pAviFile.reset();
    m_widgets.addCam->setText(kOpenLabel);
    m_widgets.camSetup->setEnabled(false);
}

void AviFileSource::PlayOrStop()
{
    if (m_bPlaying) {
        m_widgets.camSetup->setText(kPlayLabel);
        m_bPlaying = false;
        return;
    }
    m_widgets.camSetup->setText(kStopLabel);
    m_bPlaying = true;
    m_timer.start();
}

void AviFileSource::Release()
{
    m_bPlaying = false;
    m_timer.stop();
    m_pAviFile.reset();
    m_aviConvBuf.release();
}

int AviFileSource::OpenSourceFile(AVIFileObj& file)
{
    const QString path = AskForSourceFile();
    const int result = !path.isEmpty() && LoadSourceFile(file, path) ? 1 : 0;
    SetFrameRange(result == 1 ? file.FrameCount() : 0);
    return result;
}

std::unique_ptr<AVIFileObj> AviFileSource::LoadDroppedFile(const QString& path)
{
    auto file = std::make_unique<AVIFileObj>();
    if (!LoadSourceFile(*file, path))
        return {};
    return file;
}

void AviFileSource::ReplaceFile(std::unique_ptr<AVIFileObj> file)
{
    Release();
    m_widgets.camSetup->setText(kPlayLabel);
    m_host.ResetInputState();
    SetFrameRange(file->FrameCount());
    m_pAviFile = std::move(file);
    ShowOpenedFile();
}

bool AviFileSource::LoadSourceFile(AVIFileObj& file, const QString& path)
{
    m_strSourcePath = QDir::toNativeSeparators(path);
    QProgressDialog counting(QStringLiteral("Counting the frames of %1...").arg(QFileInfo(path).fileName()),
                             QStringLiteral("Cancel"), 0, 100, m_widgets.owner);
    counting.setWindowModality(Qt::WindowModal);
    counting.setMinimumDuration(kCountingDialogDelayMs);
    const auto progress = [&counting](int percent) {
        counting.setValue(percent);
        return !counting.wasCanceled();
    };
    if (file.Load(m_strSourcePath, m_widgets.owner, progress) == 1)
        return true;
    // Stopping the count is the user's choice, not a failure to report.
    if (!file.WasCancelled())
        ShowMessageBox(m_widgets.owner, kLoadingError + m_strSourcePath);
    return false;
}

void AviFileSource::SetFrameRange(int frameCount)
{
    const QSignalBlocker quiet(m_widgets.frameSlider);
    m_widgets.frameSlider->setRange(0, std::max(frameCount - 1, 0));
    m_widgets.frameSlider->setValue(0);
}

QString AviFileSource::AskForSourceFile()
{
    QFileDialog dialog(m_widgets.owner);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(kFileFilters);
    dialog.setDefaultSuffix(QStringLiteral("avi"));
    dialog.selectFile(QStringLiteral("*.avi"));
    if (RunModal(dialog) != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

void AviFileSource::ShowAviFrame()
{
    const int maximum = m_widgets.frameSlider->maximum();
    const int position = m_widgets.frameSlider->value();
    m_widgets.frameCounter->setText(QStringLiteral("%1/%2").arg(position).arg(maximum));
    if (!m_pAviFile)
        return;
    // A frame that cannot be decoded is skipped; the counter has moved on all the same.
    const FrameRecord* frame = m_pAviFile->GetFrame(position);
    if (frame == nullptr || !FillWorkFrame(*frame))
        return;
    m_host.ProcessFileFrame(m_aviConvBuf);
}

bool AviFileSource::FillWorkFrame(const FrameRecord& frame)
{
    if (frame.header().biBitCount == 16)
        return Rgb555ToRgb24(frame, m_aviConvBuf);
    m_aviConvBuf.resize(frame.size());
    std::memcpy(m_aviConvBuf.data(), frame.data(), frame.size());
    return true;
}

// Playback never loops: at the last frame it ends, and the tick after puts back "Play".
void AviFileSource::OnTimer()
{
    if (!m_bPlaying) {
        m_timer.stop();
        m_widgets.camSetup->setText(kPlayLabel);
        return;
    }
    const int position = m_widgets.frameSlider->value();
    if (position < m_widgets.frameSlider->maximum()) {
        SetSliderPosition(position + 1);
        ShowAviFrame();
    } else {
        m_bPlaying = false;
    }
}

void AviFileSource::OnHScroll()
{
    ShowAviFrame();
}

void AviFileSource::OnNMReleasedcaptureFrameSlider()
{
    ShowAviFrame();
}

// The program's own moves of the slider are not the user's: they show no frame by themselves.
void AviFileSource::SetSliderPosition(int position)
{
    const QSignalBlocker quiet(m_widgets.frameSlider);
    m_widgets.frameSlider->setValue(position);
}
