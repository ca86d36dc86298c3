#include "app/PausedFrameRedraw.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QWidget>

PausedFrameRedraw::PausedFrameRedraw(QWidget& dialog, ResultInputs inputs, std::function<void()> redraw)
    : QObject(&dialog), m_dialog(dialog), m_inputs(std::move(inputs)), m_redraw(std::move(redraw))
{
    m_lastInputs = m_inputs();
    qApp->installEventFilter(this);
    // Assistive technology changes buttons and boxes without any input event.
    for (auto* button : dialog.findChildren<QAbstractButton*>())
        connect(button, &QAbstractButton::toggled, this, &PausedFrameRedraw::ScheduleCheck);
    for (auto* box : dialog.findChildren<QComboBox*>())
        connect(box, &QComboBox::currentIndexChanged, this, &PausedFrameRedraw::ScheduleCheck);
}

bool PausedFrameRedraw::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::FocusOut:
    case QEvent::Wheel: {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && (widget == &m_dialog || m_dialog.isAncestorOf(widget)))
            ScheduleCheck();
        break;
    }
    default: break;
    }
    return QObject::eventFilter(watched, event);
}

// The check waits until the input's own handlers (a focus-out handler, a drag's colour
// update) have run.
void PausedFrameRedraw::ScheduleCheck()
{
    if (m_checkPending)
        return;
    m_checkPending = true;
    QMetaObject::invokeMethod(this, [this] { Check(); }, Qt::QueuedConnection);
}

void PausedFrameRedraw::Check()
{
    m_checkPending = false;
    std::vector<int> inputs = m_inputs();
    if (inputs == m_lastInputs)
        return;
    m_lastInputs = std::move(inputs);
    m_redraw();
}
