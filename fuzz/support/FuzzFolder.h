#pragma once

#include <QString>

// The one folder a fuzz target writes in: a fresh temporary folder, also made the current
// folder so that files the program names relative to it land there as well. Removed when the
// process ends normally.
const QString& FuzzFolder();
