#include "sources/SourceWidgets.h"

#include <QAbstractButton>

void EnableSourceChoice(const SourceWidgets& widgets, bool enabled)
{
    widgets.webCamera->setEnabled(enabled);
    widgets.aviFile->setEnabled(enabled);
}
