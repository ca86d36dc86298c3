#pragma once

#include <QIcon>

// Makes the program's Qt resources (icon, sound) available. Needed once before the first
// resource is read; calling it again does no harm.
void LoadProgramResources();

// The application icon, drawn at 16, 32 and 48 pixels.
QIcon ApplicationIcon();
