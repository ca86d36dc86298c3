#include "sources/CameraSource.h"

#include "imaging/Pipeline.h"
#include "platform/MessageBox.h"
#include "platform/ModalRunner.h"
#include "sources/CSetFPS.h"
#include "sources/CaptureDriverFactory.h"
#include "sources/SnapshotSound.h"
#include "sources/SourceHost.h"

#include <QAbstractButton>

namespace {
const QString kConnectFailure =
    QStringLiteral("Failed to connect to selected Video device.\r\nPlease choose other device.");
constexpr uint32_t kMicrosecondsPerSecond = 1000000;
}  // namespace

CameraSource::CameraSource(const SourceWidgets& widgets, SourceHost& host, PipelineState& state,
                           SnapshotSound& sound)
    : m_widgets(widgets), m_host(host), m_state(state), m_sound(sound)
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
    if (camera->Connect(showDialogs, microSecPerFrame) == 1) {
        m_CamList.push_back(std::move(camera));
        return;
    }
    camera.reset();
    ShowMessageBox(m_widgets.owner, kConnectFailure);
}

// Also after a failed connection: the button then connects again on its next press.
void CameraSource::RestartFrameRate()
{
    ResetFrameRate(m_state);
    m_widgets.addCam->setText(kSnapshotLabel);
}
