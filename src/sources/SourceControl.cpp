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
    : m_Widgets(widgets)
    , m_Host(host)
    , m_Options(options)
    , m_Cameras(widgets, host, state, m_Sound)
    , m_AviFile(widgets, host, state, m_Sound)
{
    ConnectWidgets();
    new FileDropTarget(m_Widgets.owner, [this](const QString& path) { OnFileDropped(path); });
}

SourceControl::~SourceControl()
{
    OnDestroy();
}

void SourceControl::ConnectWidgets()
{
    connect(m_Widgets.addCam, &QAbstractButton::clicked, this, &SourceControl::OnBnClickedAddCam);
    connect(m_Widgets.deleteCam, &QAbstractButton::clicked, this, &SourceControl::OnBnClickedDeleteCam);
    connect(m_Widgets.camSetup, &QAbstractButton::clicked, this, &SourceControl::OnBnClickedCamSetup);
    ConnectCheckHandler(m_Widgets.webCamera, this, [this] { OnBnClickedWebCamera(); });
    ConnectCheckHandler(m_Widgets.aviFile, this, [this] { OnBnClickedAviFile(); });
    // The user's moves of the slider, dragged or by key, and the release of a drag.
    connect(m_Widgets.frameSlider, &QSlider::valueChanged, this, [this] { m_AviFile.OnHScroll(); });
    connect(m_Widgets.frameSlider, &QSlider::sliderReleased, this,
            [this] { m_AviFile.OnNMReleasedcaptureFrameSlider(); });
}

bool SourceControl::FileMode() const
{
    return m_Options.sourceMode == kAviFileSource;
}

void SourceControl::OnBnClickedAddCam()
{
    m_AviFile.StopPlaying();
    if (!FileMode()) {
        m_Cameras.AddCamera();
        EnableSourceChoice(m_Widgets, false);
    } else if (!m_AviFile.HasFile()) {
        m_AviFile.Open();
    } else {
        m_AviFile.TakeSnapshot();
    }
}

void SourceControl::OnBnClickedDeleteCam()
{
    if (FileMode())
        m_AviFile.Close();
    else
        m_Cameras.DeleteCamera();
    m_Host.ClearDisplay();
    EnableSourceChoice(m_Widgets, true);
    m_AviFile.ReleaseConversionBuffer();
    m_Host.ResetInputState();
}

void SourceControl::OnBnClickedCamSetup()
{
    if (FileMode())
        m_AviFile.PlayOrStop();
    else
        m_Cameras.CamSetup();
}

void SourceControl::OnBnClickedWebCamera()
{
    if (m_Widgets.webCamera->isChecked())
        m_Options.sourceMode = kCameraSource;
    UpdateSourceButtons();
}

void SourceControl::OnBnClickedAviFile()
{
    if (m_Widgets.aviFile->isChecked())
        m_Options.sourceMode = kAviFileSource;
    UpdateSourceButtons();
}

// A dropped file opens as "Open" would open it, in file mode; a file that cannot be loaded
// leaves everything as it was, also an open file and the mode.
void SourceControl::OnFileDropped(const QString& path)
{
    if (m_Cameras.HasCamera()) {
        ShowMessageBox(m_Widgets.owner, kCameraConnectedOnDrop);
        return;
    }
    std::unique_ptr<AVIFileObj> file = m_AviFile.LoadDroppedFile(path);
    if (!file)
        return;
    if (!FileMode())
        m_Widgets.aviFile->setChecked(true);
    m_AviFile.ReplaceFile(std::move(file));
}

void SourceControl::RedrawPausedFrame()
{
    if (FileMode())
        m_AviFile.RedrawPausedFrame();
}

void SourceControl::UpdateSourceButtons()
{
    const bool fileMode = FileMode();
    m_Widgets.addCam->setText(fileMode ? kOpenLabel : kAddCamLabel);
    m_Widgets.deleteCam->setText(fileMode ? kCloseLabel : kDelCamLabel);
    m_Widgets.camSetup->setText(fileMode ? kPlayLabel : kCamSetupLabel);
    m_Widgets.camSetup->setEnabled(!fileMode);
    m_Widgets.fpsLabel->setVisible(!fileMode);
    m_Widgets.fps->setVisible(!fileMode);
    const std::array<QWidget*, 2> fileControls{m_Widgets.frameSlider, m_Widgets.frameCounter};
    for (QWidget* fileControl : fileControls) {
        fileControl->setVisible(fileMode);
        fileControl->setEnabled(fileMode);
    }
}

void SourceControl::OnDestroy()
{
    m_AviFile.Release();
    m_Cameras.DeleteAll();
}
