#include "platform/ProgramResources.h"

#include <QDir>

// Q_INIT_RESOURCE must be used outside any namespace; calling it also keeps the resource
// object in the link, which a static library would otherwise drop.
static void RegisterResourceData()
{
    Q_INIT_RESOURCE(vizmar);
}

void LoadProgramResources()
{
    static const bool registered = (RegisterResourceData(), true);
    (void)registered;
}

QIcon ApplicationIcon()
{
    LoadProgramResources();
    QIcon icon;
    for (const int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/vizmar/icons/vizmar-%1.png").arg(size), QSize(size, size));
    return icon;
}
