#pragma once

#include <QString>

// The program's string table, by entry number.
inline const QString kIdsAboutBox = QStringLiteral("&About Vizmar...");  // 101
inline const QString kIdsCustomPreset = QStringLiteral("Custom");        // 102
inline const QString kIdsRedPreset = QStringLiteral("Red");              // 103
inline const QString kIdsGreenPreset = QStringLiteral("Green");          // 104
inline const QString kIdsBluePreset = QStringLiteral("Blue");            // 105
// 109 to 113: the effect filters, in the order of the effect index.
inline const QString kIdsEffects[] = {QStringLiteral("none"), QStringLiteral("Gaussian"), QStringLiteral("Laplacian"),
                                      QStringLiteral("Sobel"), QStringLiteral("Prewitt")};
