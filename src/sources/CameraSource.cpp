#include "sources/CameraSource.h"

#include "imaging/Pipeline.h"
#include "platform/MessageBox.h"
#include "platform/ModalRunner.h"
#include "sources/CSetFPS.h"
#include "sources/CaptureDriverFactory.h"
#include "sources/SnapshotSound.h"
#include "sources/SourceHost.h"

#include <QAbstractButton>
#include <QLineEdit>

#include <algorithm>

namespace {
const QString kConnectFailure =
    QStringLiteral("Failed to connect to selected Video device.\r\nPlease choose other device.");
const QString kDeviceInUse =
    QStringLiteral("The video device %1 is being used by another program.\r\nClose that program and try again.");
const QString kDeviceLost = QStringLiteral(
    "The video device %1 was disconnected or stopped working.\r\nConnect it again, then press \"Add Cam\".");
constexpr uint32_t kMicrosecondsPerSecond = 1000000;
}  // namespace

CameraSource::CameraSource(const SourceWidgets& widgets, SourceHost& host, PipelineState& state,
                           SnapshotSound& sound, std::function<void()> onLost)
    : m_widgets(widgets), m_host(host), m_state(state), m_sound(sound), m_onLost(std::move(onLost))
{
}

CameraSource::~CameraSource()
{
    DeleteAll();
}

void CameraSource::AddCamera()
{
    if (HasCamera()) {
        m_sound.Play();
        m_state.snapshotRequest = true;
        return;
    }
    ConnectCamera(0, kDefaultMicroSecPerFrame);
    RestartFrameRate();
}

void CameraSource::DeleteCamera()
{
    if (!HasCamera())
        return;
    std::unique_ptr<CCamObj> camera = std::move(m_CamList.back());
    m_CamList.pop_back();
    camera->StopStream();
    camera.reset();
    m_state.snapshotRequest = false;
    m_widgets.addCam->setText(kAddCamLabel);
}

// The rate chosen reaches the device as its frame interval; a cancelled dialog keeps 30.
void CameraSource::CamSetup()
{
    m_widgets.camSetup->setEnabled(false);
    CSetFPS rateDialog(m_widgets.owner);
    RunModal(rateDialog);
    DeleteCamera();
    ReleaseFrameBuffers(m_state);
    ConnectCamera(1, kMicrosecondsPerSecond / uint32_t(rateDialog.FramesPerSecond()));
    RestartFrameRate();
    m_widgets.camSetup->setEnabled(true);
}

void CameraSource::DeleteAll()
{
    while (HasCamera())
        DeleteCamera();
}

void CameraSource::ConnectCamera(int showDialogs, uint32_t microSecPerFrame)
{
    auto camera = std::make_unique<CCamObj>(&m_host, m_widgets.owner, CreateCaptureDriver());
    // Queued, so that a lost camera is deleted outside its own event handler.
    connect(camera.get(), &CCamObj::Stalled, this, &CameraSource::OnStalled);
    connect(camera.get(), &CCamObj::Lost, this, [this, watched = QPointer(camera.get())] { OnLost(watched); },
            Qt::QueuedConnection);
    if (camera->Connect(showDialogs, microSecPerFrame) == 1) {
        m_CamList.push_back(std::move(camera));
        return;
    }
    ReportConnectFailure(*camera);
}

// A device that another program holds is named, once, instead of the general failure.
void CameraSource::ReportConnectFailure(const CCamObj& camera)
{
    if (camera.ConnectError() == DeviceError::InUse)
        ShowMessageBox(m_widgets.owner, kDeviceInUse.arg(camera.DeviceName()));
    else
        ShowMessageBox(m_widgets.owner, kConnectFailure);
}

// "Current FPS" averages the rates of the last frames; with no frame for two seconds it
// shows 0, and the average starts again with the next frames.
void CameraSource::OnStalled()
{
    ResetFrameRate(m_state);
    if (auto* fps = qobject_cast<QLineEdit*>(m_widgets.fps))
        fps->setText(QStringLiteral("0"));
}

void CameraSource::OnLost(const QPointer<CCamObj>& camera)
{
    const auto lost = std::find_if(m_CamList.begin(), m_CamList.end(),
                                   [&](const std::unique_ptr<CCamObj>& open) { return open.get() == camera; });
    if (camera.isNull() || lost == m_CamList.end())
        return;
    const QString name = (*lost)->DeviceName();
    std::rotate(lost, lost + 1, m_CamList.end());
    DeleteCamera();
    ShowMessageBox(m_widgets.owner, kDeviceLost.arg(name));
    if (m_onLost)
        m_onLost();
}

// Also after a failed connection: the button then connects again on its next press.
void CameraSource::RestartFrameRate()
{
    ResetFrameRate(m_state);
    m_widgets.addCam->setText(kSnapshotLabel);
}
