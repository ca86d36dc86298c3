#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QWidget;

// Lets files be dropped on a window: a drag that carries one local file is accepted, and
// its drop hands the file's path on. Anything else (text, a link, several files) is not
// accepted, so dropping it does nothing.
class FileDropTarget : public QObject {
public:
    FileDropTarget(QWidget* window, std::function<void(const QString&)> onDrop);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QString&)> m_onDrop;
};
