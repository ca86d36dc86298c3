#include "app/CVizmarDlg.h"

#include "about/CAboutDlg.h"
#include "app/CameraView.h"
#include "app/DriftWarning.h"
#include "app/PausedFrameRedraw.h"
#include "app/PresetCameraLink.h"
#include "app/ControlFactory.h"
#include "app/RangePicker.h"
#include "app/StringTable.h"
#include "app/WindowMenu.h"
#include "controls/ColourValueControls.h"
#include "controls/HsvPanel.h"
#include "controls/OptionControls.h"
#include "controls/UpDownControl.h"
#include "platform/CheckHandler.h"
#include "platform/ModalRunner.h"
#include "platform/ProgramClock.h"
#include "platform/ProgramFolder.h"
#include "platform/ProgramResources.h"
#include "presets/PresetControls.h"
#include "sources/SourceControl.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSlider>

namespace {
const QStringList kInputModes{QStringLiteral("As is"), QStringLiteral("Gray Scale"), QStringLiteral("Delta"),
                              QStringLiteral("Binary"), QStringLiteral("Otsu Bin"), QStringLiteral("History")};
}  // namespace

CVizmarDlg::CVizmarDlg(QWidget* parent)
    : QDialog(parent)
    , m_hIcon(ApplicationIcon())
{
    setWindowTitle(QStringLiteral("Web Cam HSV Color Filter"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(DialogFont(QStringLiteral("Tahoma"), 8));
    m_units = BaseUnitsOf(font());
    setFixedSize(DialogSizeToPixels(kMainDialogWidth, kMainDialogHeight, m_units));
    m_controls = CreateControls(this, MainDialogTemplate(), m_units);
    connect(controlAs<QPushButton>(IDC_EXIT), &QPushButton::clicked, this, &QDialog::reject);
    OnInitDialog();
}

CVizmarDlg::~CVizmarDlg()
{
    OnDestroy();
}

UpDownControl* CVizmarDlg::upDown(int id) const
{
    return qobject_cast<UpDownControl*>(control(id));
}

void CVizmarDlg::OnInitDialog()
{
    m_windowMenu = CreateWindowMenu(this, [this](unsigned command) { OnSysCommand(command, 0); });
    setWindowIcon(m_hIcon);
    m_rcCam = control(IDC_CAM_GROUP)->geometry();
    m_rcOldMask = control(IDC_OLD_MASK)->geometry();
    m_rcNewMask = control(IDC_NEW_MASK)->geometry();
    CreateColourControls();
    CreateOptionControls();
    CreatePresetControls();
    FillComboBoxes();
    m_hsvPanel->InitHsvPanel(control(IDC_HSV_GROUP)->geometry());
    PlaceCameraView();
    InitColourControls();
    // Owned by the dialog as its child.
    new RangePicker(*this, *m_cameraView, m_state, m_options, *m_colourControls, m_colourSettings);
    m_options.mask = false;
    m_options.morphology = false;
    m_colourControls->SetSpinRanges();
    m_colourControls->SyncSpins();
    controlAs<QLineEdit>(IDC_FPS)->setText(QStringLiteral("N/A"));
    controlAs<QAbstractButton>(IDC_WEB_CAMERA)->setChecked(true);
    CreateSourceControl();
    LinkPresetsToCamera();
    m_sourceControl->UpdateSourceButtons();
    m_options.inputMode = controlAs<QComboBox>(IDC_INPUT)->currentIndex();
    UpdateErosionEnabled();
    ResetInputState();
    m_colourControls->UpdateColour();
    BuildHsvTable();
    m_state.binary.Set(20);
}

void CVizmarDlg::FillComboBoxes()
{
    auto* presets = controlAs<QComboBox>(IDC_PRESET);
    presets->addItem(kIdsCustomPreset);
    AddBuiltInPresets();
    presets->setCurrentIndex(-1);
    auto* effects = controlAs<QComboBox>(IDC_EFFECT);
    for (const QString& effect : kIdsEffects)
        effects->addItem(effect);
    effects->setCurrentIndex(0);
    m_presets->LoadPresets();
    effects->setCurrentIndex(0);
    auto* inputs = controlAs<QComboBox>(IDC_INPUT);
    inputs->addItems(kInputModes);
    inputs->setCurrentIndex(m_options.inputMode);
}

// The picture sits inside the group's frame, below its caption.
void CVizmarDlg::PlaceCameraView()
{
    m_rcCam.adjust(5, 5, -5, -5);
    m_rcCam.adjust(-3, 10, 0, 0);
    m_cameraView = new CameraView(this);
    m_cameraView->setGeometry(m_rcCam);
}

void CVizmarDlg::CreateSourceControl()
{
    SourceWidgets widgets;
    widgets.owner = this;
    widgets.addCam = controlAs<QAbstractButton>(IDC_ADD_CAM);
    widgets.deleteCam = controlAs<QAbstractButton>(IDC_DELETE_CAM);
    widgets.camSetup = controlAs<QAbstractButton>(IDC_CAM_SETUP);
    widgets.webCamera = controlAs<QAbstractButton>(IDC_WEB_CAMERA);
    widgets.aviFile = controlAs<QAbstractButton>(IDC_AVI_FILE);
    widgets.fpsLabel = control(IDC_FPS_LABEL);
    widgets.fps = control(IDC_FPS);
    widgets.frameSlider = controlAs<QSlider>(IDC_FRAME_SLIDER);
    widgets.frameCounter = controlAs<QLineEdit>(IDC_FRAME_COUNTER);
    m_sourceControl = std::make_unique<SourceControl>(widgets, *this, m_state, m_options);
    m_pausedFrameRedraw = new PausedFrameRedraw(
        *this, [this] { return ResultInputs(); }, [this] { m_sourceControl->RedrawPausedFrame(); });
}

// The camera settings that travel with a preset, and the warning that shows while the
// camera's automatic modes would make the masked range drift.
void CVizmarDlg::LinkPresetsToCamera()
{
    CameraSource& cameras = m_sourceControl->Cameras();
    auto* link = new PresetCameraLink(*this, *m_presets, cameras);
    auto* warning = new DriftWarning(*m_cameraView, m_options, cameras);
    connect(link, &PresetCameraLink::CameraSettingsApplied, warning, &DriftWarning::Update);
    ConnectCheckHandler(controlAs<QAbstractButton>(IDC_MASK), warning, [warning] { warning->Update(); });
    for (const int id : {IDC_ADD_CAM, IDC_DELETE_CAM, IDC_CAM_SETUP})
        connect(controlAs<QAbstractButton>(id), &QAbstractButton::clicked, warning, &DriftWarning::Update);
}

// Everything a frame's result depends on besides the frame itself.
std::vector<int> CVizmarDlg::ResultInputs() const
{
    const HsvRange& range = m_state.hsvRange;
    return {range.hueLow,
            range.hueHigh,
            range.saturationLow,
            range.saturationHigh,
            range.valueLow,
            range.valueHigh,
            m_options.inputMode,
            m_options.effect,
            m_options.mask,
            m_options.morphology,
            upDown(IDC_EROSION_SPIN)->GetPos().position,
            upDown(IDC_DILATION_SPIN)->GetPos().position,
            m_options.lens,
            m_options.lensParameter};
}

void CVizmarDlg::ShowFrame(FrameRecord& frame, int rate)
{
    ReadMorphologyCounts();
    // Finding the snapshot folder asks the file system, so it is done only for the frame that
    // serves a snapshot, not for every frame.
    const std::string snapshotFolder =
        m_state.snapshotRequest ? QFile::encodeName(SnapshotFolder()).toStdString() : std::string();
    const FrameContext context{rate, ElapsedMilliseconds(), snapshotFolder};
    const FrameReport report = ProcessFrame(frame, m_state, m_options, context);
    if (!report.processed)
        return;
    m_cameraView->DrawFrame(frame);
    m_cameraView->ShowPassingShare(report.passingPercent);
    ShowReadOuts(report);
}

// The counts are whatever the spins show at this frame; a buddy text that is not a valid
// position leaves the spin's last good one.
void CVizmarDlg::ReadMorphologyCounts()
{
    m_options.erosionCount = upDown(IDC_EROSION_SPIN)->GetPos().position;
    m_options.dilationCount = upDown(IDC_DILATION_SPIN)->GetPos().position;
}

void CVizmarDlg::ShowReadOuts(const FrameReport& report)
{
    if (report.showThreshold)
        controlAs<QLineEdit>(IDC_THRESHOLD)->setText(QString::number(report.threshold));
    if (report.showFps)
        controlAs<QLineEdit>(IDC_FPS)->setText(QString::number(report.fpsAverage));
}

// The range the mask tests, with the mask's grow and shrink counts when they are in use.
void CVizmarDlg::CopyRangeAsCode(CodeLanguage language)
{
    ReadMorphologyCounts();
    std::optional<MorphologyCounts> morphology;
    if (m_options.mask && m_options.morphology)
        morphology = MorphologyCounts{m_options.erosionCount, m_options.dilationCount};
    const std::string snippet = OpenCvSnippet(language, m_state.hsvRange, morphology);
    QGuiApplication::clipboard()->setText(QString::fromStdString(snippet));
}

void CVizmarDlg::ClearDisplay()
{
    m_cameraView->FillWhite();
}

void CVizmarDlg::UpdateErosionEnabled()
{
    const bool binaryInput = m_options.inputMode == kBinary || m_options.inputMode == kOtsuBin;
    control(IDC_EROSION)->setEnabled(binaryInput || m_options.mask);
}

void CVizmarDlg::ResetInputState()
{
    ResetPipelineState(m_state);
}

void CVizmarDlg::OnSysCommand(unsigned nID, qintptr)
{
    switch (nID & 0xFFF0) {
    case IDM_ABOUTBOX: {
        CAboutDlg about(this);
        RunModal(about);
        break;
    }
    case kScClose:
        close();
        break;
    case kCopyRangeAsCpp:
        CopyRangeAsCode(CodeLanguage::Cpp);
        break;
    case kCopyRangeAsPython:
        CopyRangeAsCode(CodeLanguage::Python);
        break;
    default:
        break;
    }
}

// Enter where no button has the focus ends the dialog, as the default OK handling does.
void CVizmarDlg::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (enter && plain && !qobject_cast<QPushButton*>(focusWidget())) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CVizmarDlg::contextMenuEvent(QContextMenuEvent* event)
{
    m_windowMenu->popup(event->globalPos());
}

void CVizmarDlg::done(int result)
{
    QDialog::done(result);
    OnDestroy();
}

// Stops every source, then releases every buffer and the lookup table; safe to run again.
void CVizmarDlg::OnDestroy()
{
    m_sourceControl->OnDestroy();
    m_presets->FreePresetList();
    ReleaseFrameBuffers(m_state);
    for (FrameRecord& buffer : m_state.bufferSet)
        buffer.release();
    FreeHsvTable();
}
