#pragma once

#include "app/CGlobal.h"
#include "app/GlobalColourSettings.h"
#include "app/MainDialogTemplate.h"
#include "app/OpenCvSnippet.h"
#include "controls/CurrentColour.h"
#include "imaging/Pipeline.h"
#include "platform/DialogUnits.h"
#include "sources/SourceHost.h"

#include <QDialog>
#include <QHash>
#include <QIcon>

#include <memory>
#include <vector>

class CameraView;
class ColourValueControls;
class HsvPanel;
class OptionControls;
class PausedFrameRedraw;
class PresetControls;
class QMenu;
class SourceControl;
class UpDownControl;

// The main dialog "Web Cam HSV Color Filter": every control of its template, the settings,
// the pipeline's state and options, and the display area. The parts of the program (colour
// controls, options, presets, sources) find their controls here by identifier and keep their
// own state beside the dialog's.
class CVizmarDlg : public QDialog, public SourceHost {
    Q_OBJECT

public:
    explicit CVizmarDlg(QWidget* parent = nullptr);
    ~CVizmarDlg() override;

    // A control of the template by identifier, or null for an identifier it does not have.
    QWidget* control(int id) const { return m_controls.value(id); }
    template <class Control>
    Control* controlAs(int id) const
    {
        return qobject_cast<Control*>(control(id));
    }
    UpDownControl* upDown(int id) const;

    // How many frames have reached the pipeline since the frame-rate count last restarted.
    // No control shows this (the frame counter shows positions, and the display looks the
    // same for a frame shown once or twice), yet the sources' tests must tell a frame
    // shown twice, or skipped, from one shown once.
    int FramesProcessed() const { return m_state.fpsFrames; }

    // A window command: the About entry opens the About box; other commands do what the
    // window manager would.
    void OnSysCommand(unsigned nID, qintptr lParam);

    // Back to a fresh processing state: threshold 20, history buffers freed.
    void ResetInputState() override;

    // Runs a frame through the pipeline with the options of the moment, draws the result
    // into the display area and refreshes the threshold and frame-rate read-outs. rate is
    // the camera's frames per second, 0 for file frames.
    void ShowFrame(FrameRecord& frame, int rate);
    void ProcessCameraFrame(FrameRecord& frame, int fps) override { ShowFrame(frame, fps); }
    void ProcessFileFrame(FrameRecord& frame) override { ShowFrame(frame, 0); }
    void ClearDisplay() override;

    // "Erosion" can only act on a mask or a binary picture, so it is enabled only then.
    void UpdateErosionEnabled();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void done(int result) override;

private:
    void OnInitDialog();
    void FillComboBoxes();
    void CreateColourControls();
    void CreateOptionControls();
    void CreatePresetControls();
    void AddBuiltInPresets();
    void InitColourControls();
    void PlaceCameraView();
    void CreateSourceControl();
    void LinkPresetsToCamera();
    std::vector<int> ResultInputs() const;
    void ReadMorphologyCounts();
    void ShowReadOuts(const FrameReport& report);
    void CopyRangeAsCode(CodeLanguage language);
    void OnDestroy();

    CGlobal m_Global;
    QIcon m_hIcon;
    PipelineState m_state;
    PipelineOptions m_options;
    DialogBaseUnits m_units;
    QHash<int, QWidget*> m_controls;
    CameraView* m_cameraView = nullptr;
    QMenu* m_windowMenu = nullptr;
    QRect m_rcCam;
    QRect m_rcOldMask;
    QRect m_rcNewMask;
    CurrentColour m_colour;
    GlobalColourSettings m_colourSettings{m_Global};
    HsvPanel* m_hsvPanel = nullptr;
    std::unique_ptr<ColourValueControls> m_colourControls;
    std::unique_ptr<OptionControls> m_optionControls;
    std::unique_ptr<PresetControls> m_presets;
    // Last, so that the sources stop before anything they feed goes away.
    std::unique_ptr<SourceControl> m_sourceControl;
    PausedFrameRedraw* m_pausedFrameRedraw = nullptr;
};
