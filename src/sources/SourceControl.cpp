#include "sources/SourceControl.h"

#include "imaging/Pipeline.h"
#include "platform/CheckHandler.h"
#include "platform/MessageBox.h"
#include "sources/FileDropTarget.h"
#include "sources/SourceHost.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QSlider>

#include <array>

namespace {
const QString kCameraConnectedOnDrop =
    QStringLiteral("A camera is connected.\r\nPress \"Del Cam\" before dropping a file to open.");
}  // namespace

SourceControl::SourceControl(const SourceWidgets& widgets, SourceHost& host, PipelineState& state,
                             PipelineOptions& options)
    : m_widgets(widgets)
    , m_host(host)
    , m_options(options)
    , m_cameras(widgets, host, state, m_sound, [this] { OnCameraLost(); })
    , m_aviFile(widgets, host, state, m_sound)
{
    ConnectWidgets();
    new FileDropTarget(m_widgets.owner, [this](const QString& path) { OnFileDropped(path); });
}

SourceControl::~SourceControl()
{
    OnDestroy();
}

void SourceControl::ConnectWidgets()
{
    connect(m_widgets.addCam, &QAbstractButton::clicked, this, &SourceControl::OnBnClickedAddCam);
    connect(m_widgets.deleteCam, &QAbstractButton::clicked, this, &SourceControl::OnBnClickedDeleteCam);
    connect(m_widgets.camSetup, &QAbstractButton::clicked, this, &SourceControl::OnBnClickedCamSetup);
    ConnectCheckHandler(m_widgets.webCamera, this, [this] { OnBnClickedWebCamera(); });
    ConnectCheckHandler(m_widgets.aviFile, this, [this] { OnBnClickedAviFile(); });
    // The user's moves of the slider, dragged or by key, and the release of a drag.
    connect(m_widgets.frameSlider, &QSlider::valueChanged, this, [this] { m_aviFile.OnHScroll(); });
    connect(m_widgets.frameSlider, &QSlider::sliderReleased, this,
            [this] { m_aviFile.OnNMReleasedcaptureFrameSlider(); });
}

bool SourceControl::FileMode() const
{
    return m_options.sourceMode == kAviFileSource;
}

void SourceControl::OnBnClickedAddCam()
{
    m_aviFile.StopPlaying();
    if (!FileMode()) {
        m_cameras.AddCamera();
        EnableSourceChoice(m_widgets, false);
    } else if (!m_aviFile.HasFile()) {
        m_aviFile.Open();
    } else {
        m_aviFile.TakeSnapshot();
    }
}

void SourceControl::OnBnClickedDeleteCam()
{
    if (FileMode())
        m_aviFile.Close();
    else
        m_cameras.DeleteCamera();
    ShowNoSource();
}

void SourceControl::ShowNoSource()
{
    m_host.ClearDisplay();
    EnableSourceChoice(m_widgets, true);
    m_aviFile.ReleaseConversionBuffer();
    m_host.ResetInputState();
}

// In camera mode the program returns to the state after "Del Cam"; a camera left streaming
// under file mode just goes, and the file keeps its caption.
void SourceControl::OnCameraLost()
{
    if (!FileMode())
        ShowNoSource();
    else
        m_widgets.addCam->setText(m_aviFile.HasFile() ? kSnapshotLabel : kOpenLabel);
}

void SourceControl::OnBnClickedCamSetup()
{
    if (FileMode())
        m_aviFile.PlayOrStop();
    else
        m_cameras.CamSetup();
}

void SourceControl::OnBnClickedWebCamera()
{
    if (m_widgets.webCamera->isChecked())
        m_options.sourceMode = kCameraSource;
    UpdateSourceButtons();
}

void SourceControl::OnBnClickedAviFile()
{
    if (m_widgets.aviFile->isChecked())
        m_options.sourceMode = kAviFileSource;
    UpdateSourceButtons();
}

// A dropped file opens as "Open" would open it, in file mode; a file that cannot be loaded
// leaves everything as it was, also an open file and the mode.
void SourceControl::OnFileDropped(const QString& path)
{
    if (m_cameras.HasCamera()) {
        ShowMessageBox(m_widgets.owner, kCameraConnectedOnDrop);
        return;
    }
    std::unique_ptr<AVIFileObj> file = m_aviFile.LoadDroppedFile(path);
    if (!file)
        return;
    if (!FileMode())
        m_widgets.aviFile->setChecked(true);
    m_aviFile.ReplaceFile(std::move(file));
}

void SourceControl::RedrawPausedFrame()
{
    if (FileMode())
        m_aviFile.RedrawPausedFrame();
}

void SourceControl::UpdateSourceButtons()
{
    const bool fileMode = FileMode();
    m_widgets.addCam->setText(fileMode ? kOpenLabel : kAddCamLabel);
    m_widgets.deleteCam->setText(fileMode ? kCloseLabel : kDelCamLabel);
    m_widgets.camSetup->setText(fileMode ? kPlayLabel : kCamSetupLabel);
    m_widgets.camSetup->setEnabled(!fileMode);
    m_widgets.fpsLabel->setVisible(!fileMode);
    m_widgets.fps->setVisible(!fileMode);
    const std::array<QWidget*, 2> fileControls{m_widgets.frameSlider, m_widgets.frameCounter};
    for (QWidget* fileControl : fileControls) {
        fileControl->setVisible(fileMode);
        fileControl->setEnabled(fileMode);
    }
}

void SourceControl::OnDestroy()
{
    m_aviFile.Release();
    m_cameras.DeleteAll();
}
