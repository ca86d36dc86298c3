#pragma once

#include "CGlobal.h"
#include "DialogUnits.h"
#include "MainDialogTemplate.h"
#include "Pipeline.h"

#include <QDialog>
#include <QHash>
#include <QIcon>

class CameraView;
class QMenu;
class UpDownControl;

// The main dialog "Web Cam HSV Color Filter": every control of its template, the settings,
// the pipeline's state and options, and the display area. The parts of the program (colour
// controls, options, presets, sources) find their controls here by identifier and keep their
// own state beside the dialog's.
class CVizmarDlg : public QDialog {
    Q_OBJECT

public:
    explicit CVizmarDlg(QWidget* parent = nullptr);
    ~CVizmarDlg() override;

    // A control of the template by identifier, or null for an identifier it does not have.
    QWidget* control(int id) const { return m_Controls.value(id); }
    template <class Control>
    Control* controlAs(int id) const
    {
        return qobject_cast<Control*>(control(id));
    }
    UpDownControl* upDown(int id) const;

    CGlobal& global() { return m_Global; }
    PipelineState& pipelineState() { return m_State; }
    PipelineOptions& pipelineOptions() { return m_Options; }
    CameraView& cameraView() { return *m_pCameraView; }
    QMenu& windowMenu() { return *m_pWindowMenu; }
    const DialogBaseUnits& baseUnits() const { return m_Units; }

    // Where frames are drawn, and the two swatch frames, in dialog coordinates.
    const QRect& cameraRect() const { return m_rcCam; }
    const QRect& oldMaskRect() const { return m_rcOldMask; }
    const QRect& newMaskRect() const { return m_rcNewMask; }

    // A window command: the About entry opens the About box; other commands do what the
    // window manager would.
    void OnSysCommand(unsigned nID, qintptr lParam);

    // Back to a fresh processing state: threshold 20, history buffers freed.
    void ResetInputState();

    // "Erosion" can only act on a mask or a binary picture, so it is enabled only then.
    void UpdateErosionEnabled();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void done(int result) override;

private:
    void OnInitDialog();
    void FillComboBoxes();
    void PlaceCameraView();
    void ShowCameraSourceControls();
    void OnDestroy();

    CGlobal m_Global;
    QIcon m_hIcon;
    PipelineState m_State;
    PipelineOptions m_Options;
    DialogBaseUnits m_Units;
    QHash<int, QWidget*> m_Controls;
    CameraView* m_pCameraView = nullptr;
    QMenu* m_pWindowMenu = nullptr;
    QRect m_rcCam;
    QRect m_rcOldMask;
    QRect m_rcNewMask;
};
