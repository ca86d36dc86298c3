#include "AviFileSource.h"

#include "BitmapFile.h"
#include "FormatConversion.h"
#include "MessageBox.h"
#include "ModalRunner.h"
#include "Pipeline.h"
#include "ProgramClock.h"
#include "ProgramFolder.h"
#include "SnapshotSound.h"
#include "SourceHost.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>
#include <cstring>

namespace {
const QString kLoadingError = QStringLiteral("Source file loading error:");
const QStringList kFileFilters{QStringLiteral("AVI Files (*.avi)"), QStringLiteral("BMP File (*.bmp)"),
                               QStringLiteral("All Files (*.*)")};
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
    m_widgets.addCam->setText(kSnapshotLabel);
    m_pAviFile = std::move(file);
    ShowAviFrame();
    EnableSourceChoice(m_widgets, false);
    m_widgets.camSetup->setEnabled(true);
}

void AviFileSource::TakeSnapshot()
{
    m_sound.Play();
    const FrameRecord& lastOutput = m_state.bufferSet[kLastOutputBuffer];
    if (lastOutput.empty())
        return;
    const QString path = ProgramFilePath(QStringLiteral("VIZMAR%1.bmp").arg(ElapsedMilliseconds()));
    SaveBitmapFile(&lastOutput, QFile::encodeName(path).toStdString());
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
    int result = 0;
    int maximum = 0;
    const QString path = AskForSourceFile();
    if (!path.isEmpty()) {
        m_strSourcePath = QDir::toNativeSeparators(path);
        if (file.Load(m_strSourcePath, m_widgets.owner) == 1) {
            result = 1;
            maximum = std::max(file.FrameCount() - 1, 0);
        } else {
            ShowMessageBox(m_widgets.owner, kLoadingError + m_strSourcePath);
        }
    }
    const QSignalBlocker quiet(m_widgets.frameSlider);
    m_widgets.frameSlider->setRange(0, maximum);
    m_widgets.frameSlider->setValue(0);
    return result;
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
