#include "controls/FocusOutHandler.h"

#include <QEvent>
#include <QWidget>

namespace {
class FocusOutFilter : public QObject {
public:
    FocusOutFilter(std::function<void()> handler, QObject* owner)
        : QObject(owner)
        , m_handler(std::move(handler))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusOut)
            m_handler();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_handler;
};
}  // namespace

void OnFocusOut(QWidget* widget, QObject* owner, std::function<void()> handler)
{
    widget->installEventFilter(new FocusOutFilter(std::move(handler), owner));
}
