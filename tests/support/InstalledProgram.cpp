#include "support/InstalledProgram.h"

#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

InstalledProgram::ScopedVariable::ScopedVariable(const char* name, const QString& value)
    : m_name(name)
{
    if (qEnvironmentVariableIsSet(name))
        m_saved = qgetenv(name);
    qputenv(name, QFile::encodeName(value));
}

InstalledProgram::ScopedVariable::~ScopedVariable()
{
    if (m_saved)
        qputenv(m_name, *m_saved);
    else
        qunsetenv(m_name);
}

InstalledProgram::InstalledProgram(const QString& programFolder)
    : m_homeVariable("HOME", m_home.path()),
      m_dataHome("XDG_DATA_HOME", m_home.file(QStringLiteral(".local/share"))),
      m_configHome("XDG_CONFIG_HOME", m_home.file(QStringLiteral(".config")))
{
    SetInstallFolderForTesting(programFolder);
}

InstalledProgram::~InstalledProgram()
{
    SetInstallFolderForTesting(QString());
}

QString InstalledProgram::DataFolder() const
{
    return m_home.file(QStringLiteral(".local/share/") + QCoreApplication::applicationName());
}

QString InstalledProgram::PicturesFolder() const
{
    return m_home.file(QStringLiteral("Pictures"));
}
