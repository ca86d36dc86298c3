#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh folder for one test case, removed when the case ends.
class TempFolder {
public:
    TempFolder();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};
