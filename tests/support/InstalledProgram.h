#pragma once

#include "support/TempFolder.h"

#include <QByteArray>
#include <QString>

#include <optional>

// While it lives, the program runs "installed" from programFolder, with a home folder of the
// case's own, so that the user's data and Pictures folders are temporary too.
class InstalledProgram {
public:
    explicit InstalledProgram(const QString& programFolder);
    ~InstalledProgram();
    InstalledProgram(const InstalledProgram&) = delete;
    InstalledProgram& operator=(const InstalledProgram&) = delete;

    QString DataFolder() const;
    QString PicturesFolder() const;

private:
    // An environment variable set for the case, put back as it was when the case ends.
    class ScopedVariable {
    public:
        ScopedVariable(const char* name, const QString& value);
        ~ScopedVariable();

    private:
        const char* m_name;
        std::optional<QByteArray> m_saved;
    };

    TempFolder m_home;
    ScopedVariable m_homeVariable;
    ScopedVariable m_dataHome;
    ScopedVariable m_configHome;
};
