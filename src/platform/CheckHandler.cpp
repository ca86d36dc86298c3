#include "platform/CheckHandler.h"

#include <QAbstractButton>

#include <memory>

void ConnectCheckHandler(QAbstractButton* button, QObject* context, const std::function<void()>& handler)
{
    // Every click starts with "pressed"; a click that toggled has been handled already.
    auto toggledSincePress = std::make_shared<bool>(false);
    QObject::connect(button, &QAbstractButton::pressed, context, [toggledSincePress] { *toggledSincePress = false; });
    QObject::connect(button, &QAbstractButton::toggled, context, [toggledSincePress, handler] {
        *toggledSincePress = true;
        handler();
    });
    QObject::connect(button, &QAbstractButton::clicked, context, [toggledSincePress, handler] {
        if (!*toggledSincePress)
            handler();
        *toggledSincePress = false;
    });
}
