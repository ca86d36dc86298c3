#include "sources/SourceControl.h"

#include "imaging/Pipeline.h"
#include "sources/SourceHost.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QSlider>

#include <array>

SourceControl::SourceControl(const SourceWidgets& widgets, SourceHost& host, PipelineState& state,
                             PipelineOptions& options)
    : m_Widgets(widgets)
    , m_Host(host)
    , m_Options(options)
    , m_Cameras(widgets, host, state, m_Sound, [this] { OnCameraLost(); })
    , m_AviFile(widgets, host, state, m_Sound)
{
    ConnectWidgets();
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
    connect(m_Widgets.webCamera, &QAbstractButton::clicked, this, &SourceControl::OnBnClickedWebCamera);
    connect(m_Widgets.aviFile, &QAbstractButton::clicked, this, &SourceControl::OnBnClickedAviFile);
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
    ShowNoSource();
}

void SourceControl::ShowNoSource()
{
    m_Host.ClearDisplay();
    EnableSourceChoice(m_Widgets, true);
    m_AviFile.ReleaseConversionBuffer();
    m_Host.ResetInputState();
}

// In camera mode the program returns to the state after "Del Cam"; a camera left streaming
// under file mode just goes, and the file keeps its caption.
void SourceControl::OnCameraLost()
{
    if (!FileMode())
        ShowNoSource();
    else
        m_Widgets.addCam->setText(m_AviFile.HasFile() ? kSnapshotLabel : kOpenLabel);
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
