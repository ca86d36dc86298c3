#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh folder for one test case, removed when the case ends.
class TempFolder {
public:
    TempFolder();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};
