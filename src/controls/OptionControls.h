#pragma once

#include "imaging/Pipeline.h"

#include <QObject>

#include <functional>

class QAbstractButton;
class QComboBox;
class UpDownControl;

// The widgets of the "Effects & Filter" group that have handlers. The lens edit is its spin's
// buddy.
struct OptionWidgets {
    QComboBox* input = nullptr;
    QComboBox* effect = nullptr;
    QAbstractButton* mask = nullptr;
    QAbstractButton* erosion = nullptr;
    QAbstractButton* lens = nullptr;
    UpDownControl* lensSpin = nullptr;
};

// What the dialog does for the option controls: its rule for enabling "Erosion", and the
// reset of the processing state that a new input mode needs.
struct OptionActions {
    std::function<void()> updateErosionEnabled;
    std::function<void()> resetInputState;
};

// The option controls copy their states into the pipeline's options and draw nothing; every
// change takes effect with the next frame. The erosion and dilation counts have no handler:
// the frame path reads their spins before every frame.
class OptionControls : public QObject {
    Q_OBJECT

public:
    OptionControls(PipelineOptions& options, const OptionWidgets& widgets, OptionActions actions,
                   QObject* parent = nullptr);

    void OnInputModeSelected(int index);
    void OnEffectSelected(int index);
    void OnMaskClicked();
    void OnErosionClicked();
    void OnLensClicked();
    void OnKillFocusLensParameter();

private:
    void ReadLensParameter();

    PipelineOptions& m_options;
    OptionWidgets m_widgets;
    OptionActions m_actions;
};
