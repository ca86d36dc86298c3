#pragma once

#include <QObject>

#include <functional>
#include <vector>

class QWidget;

// Shows a paused file frame again as soon as anything its result depends on has changed,
// by whatever route: the colour range (panel, edits, spins, presets, ...), the input mode,
// effect, mask, erosion and dilation with their counts, the lens and its parameter. It
// compares those values after every input to the dialog rather than follow each control,
// so a new route to them needs nothing here.
class PausedFrameRedraw : public QObject {
public:
    // The values a frame's result depends on, in any fixed order.
    using ResultInputs = std::function<std::vector<int>()>;

    PausedFrameRedraw(QWidget& dialog, ResultInputs inputs, std::function<void()> redraw);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ScheduleCheck();
    void Check();

    QWidget& m_dialog;
    ResultInputs m_inputs;
    std::function<void()> m_redraw;
    std::vector<int> m_lastInputs;
    bool m_checkPending = false;
};
