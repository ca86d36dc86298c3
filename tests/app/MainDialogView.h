#pragma once

#include "app/CVizmarDlg.h"
#include "app/CameraView.h"
#include "controls/ColourSettings.h"
#include "controls/ColourSwatch.h"
#include "controls/HsvPanel.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSettings>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

// The main dialog as its user and its sources meet it: the numbers in its edits and
// read-outs, the colours of its swatches, the picture in its display area, its settings
// as Save leaves them, choices made from the keyboard and frames sent as a file sends them.

inline int ShownNumber(const CVizmarDlg& dialog, int id)
{
    return dialog.controlAs<QLineEdit>(id)->text().toInt();
}

inline RgbTriple ShownRgb(const CVizmarDlg& dialog)
{
    return {ShownNumber(dialog, IDC_RED), ShownNumber(dialog, IDC_GREEN), ShownNumber(dialog, IDC_BLUE)};
}

inline HsvTriple ShownHsv(const CVizmarDlg& dialog)
{
    return {ShownNumber(dialog, IDC_HUE), ShownNumber(dialog, IDC_SATURATION), ShownNumber(dialog, IDC_VALUE)};
}

// The range the three read-outs "lower - upper" show, back in the units of the colour:
// hue in degrees, saturation and value in 0..255.
inline HsvRange ShownRange(const CVizmarDlg& dialog)
{
    const auto bounds = [&dialog](int id, double scale) {
        const QStringList parts = dialog.controlAs<QLineEdit>(id)->text().split(QStringLiteral(" - "));
        if (parts.size() != 2)
            return std::pair<int32_t, int32_t>{-1, -1};
        return std::pair{int32_t(std::lround(parts[0].toDouble() * scale)),
                         int32_t(std::lround(parts[1].toDouble() * scale))};
    };
    const auto [h0, h1] = bounds(IDC_HUE_RANGE, 360.0);
    const auto [s0, s1] = bounds(IDC_SATURATION_RANGE, 255.0);
    const auto [v0, v1] = bounds(IDC_VALUE_RANGE, 255.0);
    return {h0, h1, s0, s1, v0, v1};
}

// The colour range as the edits give it: lower bounds and widths, as presets and settings
// store it.
inline StoredColourRange ShownStoredRange(const CVizmarDlg& dialog)
{
    return {ShownNumber(dialog, IDC_HUE),        ShownNumber(dialog, IDC_HUE_WIDTH),
            ShownNumber(dialog, IDC_SATURATION), ShownNumber(dialog, IDC_SATURATION_WIDTH),
            ShownNumber(dialog, IDC_VALUE),      ShownNumber(dialog, IDC_VALUE_WIDTH)};
}

inline HsvPanel& FindHsvPanel(const CVizmarDlg& dialog)
{
    return *dialog.findChild<HsvPanel*>();
}

inline CameraView& FindDisplay(const CVizmarDlg& dialog)
{
    return *dialog.findChild<CameraView*>();
}

inline ColourSwatch* FindSwatch(const CVizmarDlg& dialog, const QString& name)
{
    for (ColourSwatch* swatch : dialog.findChildren<ColourSwatch*>()) {
        if (swatch->accessibleName() == name)
            return swatch;
    }
    return nullptr;
}

// The colour at the middle of a swatch ("Old Mask" or "New Mask") in a grab of the dialog.
inline RgbTriple SwatchOnScreen(CVizmarDlg& dialog, const QString& name)
{
    const ColourSwatch* swatch = FindSwatch(dialog, name);
    if (swatch == nullptr)
        return {-1, -1, -1};
    const QRgb pixel = dialog.grab().toImage().pixel(swatch->geometry().center());
    return {qRed(pixel), qGreen(pixel), qBlue(pixel)};
}

// A value of the settings store, as the dialog's Save leaves it.
inline QVariant StoredSetting(const char* name)
{
    const QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Halvoren"),
                          QStringLiteral("tarsel"));
    return store.value(QLatin1String(name));
}

// Sends a frame of one colour through the dialog, as a video file does, and returns the
// colour the display area then shows at its top-left corner.
inline QRgb ShownForFrameOf(CVizmarDlg& dialog, const RgbTriple& colour)
{
    constexpr int kSide = 4;
    FrameRecord frame(MakeBitmapHeader(kSide, kSide, 24));
    uint8_t* pixel = frame.pixels();
    for (int i = 0; i < kSide * kSide; ++i) {
        *pixel++ = uint8_t(colour.b);
        *pixel++ = uint8_t(colour.g);
        *pixel++ = uint8_t(colour.r);
    }
    dialog.ProcessFileFrame(frame);
    return FindDisplay(dialog).Picture().pixel(0, 0);
}

inline QRgb ToQRgb(const RgbTriple& colour)
{
    return qRgb(colour.r, colour.g, colour.b);
}

// Whether the display area shows record, drawn scaled to its width; what lies below the
// scaled picture is not looked at.
inline bool DisplayShows(const CVizmarDlg& dialog, const FrameRecord& record)
{
    const CameraView& display = FindDisplay(dialog);
    CameraView expected;
    expected.resize(display.size());
    if (!expected.DrawFrame(record))
        return false;
    const BitmapInfoHeader header = record.header();
    const int drawnHeight = std::min(expected.height(), expected.width() * header.biHeight / header.biWidth);
    const QRect drawn(0, 0, expected.width(), drawnHeight);
    return display.Picture().copy(drawn) == expected.Picture().copy(drawn);
}

// Chooses an item from the keyboard, as the user does on a closed drop-down list.
inline void ChooseItem(const CVizmarDlg& dialog, int comboId, int index)
{
    auto* combo = dialog.controlAs<QComboBox>(comboId);
    combo->setFocus();
    while (combo->currentIndex() < index)
        QTest::keyClick(combo, Qt::Key_Down);
    while (combo->currentIndex() > index)
        QTest::keyClick(combo, Qt::Key_Up);
}

// A 24-bit frame whose pixel i (counted from the bottom row up) has the grey level greyOf(i).
inline FrameRecord GreyFrame(int width, int height, const std::function<int(int)>& greyOf)
{
    FrameRecord frame(MakeBitmapHeader(width, height, 24));
    for (int i = 0; i < width * height; ++i)
        std::fill_n(frame.pixels() + 3 * i, 3, uint8_t(greyOf(i)));
    return frame;
}

// Sends 8 × 8 grey frames through the dialog as a video file does and returns what the
// display area shows after each.
inline std::vector<QImage> ShowGreyFrames(CVizmarDlg& dialog, const std::vector<std::function<int(int)>>& frames)
{
    std::vector<QImage> shown;
    for (const auto& greyOf : frames) {
        FrameRecord frame = GreyFrame(8, 8, greyOf);
        dialog.ProcessFileFrame(frame);
        shown.push_back(FindDisplay(dialog).Picture());
    }
    return shown;
}
