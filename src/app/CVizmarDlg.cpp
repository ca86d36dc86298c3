#include "CVizmarDlg.h"

#include "CAboutDlg.h"
#include "CameraView.h"
#include "ControlFactory.h"
#include "ModalRunner.h"
#include "ProgramResources.h"
#include "StringTable.h"
#include "UpDownControl.h"
#include "WindowMenu.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

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
    m_Units = BaseUnitsOf(font());
    setFixedSize(DialogSizeToPixels(kMainDialogWidth, kMainDialogHeight, m_Units));
    m_Controls = CreateControls(this, MainDialogTemplate(), m_Units);
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
    m_pWindowMenu = CreateWindowMenu(this, [this](unsigned command) { OnSysCommand(command, 0); });
    setWindowIcon(m_hIcon);
    m_rcCam = control(IDC_CAM_GROUP)->geometry();
    m_rcOldMask = control(IDC_OLD_MASK)->geometry();
    m_rcNewMask = control(IDC_NEW_MASK)->geometry();
    FillComboBoxes();
    PlaceCameraView();
    m_Options.mask = false;
    m_Options.morphology = false;
    controlAs<QLineEdit>(IDC_FPS)->setText(QStringLiteral("N/A"));
    controlAs<QAbstractButton>(IDC_WEB_CAMERA)->setChecked(true);
    ShowCameraSourceControls();
    m_Options.inputMode = controlAs<QComboBox>(IDC_INPUT)->currentIndex();
    UpdateErosionEnabled();
    ResetInputState();
    BuildHsvTable();
    m_State.binary.Set(20);
}

void CVizmarDlg::FillComboBoxes()
{
    auto* presets = controlAs<QComboBox>(IDC_PRESET);
    presets->addItem(kIdsCustomPreset);
    presets->setCurrentIndex(-1);
    auto* effects = controlAs<QComboBox>(IDC_EFFECT);
    for (const QString& effect : kIdsEffects)
        effects->addItem(effect);
    effects->setCurrentIndex(0);
    auto* inputs = controlAs<QComboBox>(IDC_INPUT);
    inputs->addItems(kInputModes);
    inputs->setCurrentIndex(m_Options.inputMode);
}

// The picture sits inside the group's frame, below its caption.
void CVizmarDlg::PlaceCameraView()
{
    m_rcCam.adjust(5, 5, -5, -5);
    m_rcCam.adjust(-3, 10, 0, 0);
    m_pCameraView = new CameraView(this);
    m_pCameraView->setGeometry(m_rcCam);
}

// The source controls as they stand with "Web Camera" chosen and no camera open.
void CVizmarDlg::ShowCameraSourceControls()
{
    controlAs<QAbstractButton>(IDC_ADD_CAM)->setText(QStringLiteral("Add Cam"));
    controlAs<QAbstractButton>(IDC_DELETE_CAM)->setText(QStringLiteral("Del Cam"));
    controlAs<QAbstractButton>(IDC_CAM_SETUP)->setText(QStringLiteral("Cam setup"));
    control(IDC_CAM_SETUP)->setEnabled(true);
    control(IDC_FPS_LABEL)->setVisible(true);
    control(IDC_FPS)->setVisible(true);
    for (const int id : {IDC_FRAME_SLIDER, IDC_FRAME_COUNTER}) {
        control(id)->setVisible(false);
        control(id)->setEnabled(false);
    }
}

void CVizmarDlg::UpdateErosionEnabled()
{
    const bool binaryInput = m_Options.inputMode == kBinary || m_Options.inputMode == kOtsuBin;
    control(IDC_EROSION)->setEnabled(binaryInput || m_Options.mask);
}

void CVizmarDlg::ResetInputState()
{
    ::ResetInputState(m_State);
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
    m_pWindowMenu->popup(event->globalPos());
}

void CVizmarDlg::done(int result)
{
    QDialog::done(result);
    OnDestroy();
}

// Releases every buffer and the lookup table; safe to run again.
void CVizmarDlg::OnDestroy()
{
    ReleaseFrameBuffers(m_State);
    for (FrameRecord& buffer : m_State.bufferSet)
        buffer.release();
    FreeHsvTable();
}
