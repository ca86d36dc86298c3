#pragma once

#include "app/CVizmarDlg.h"
#include "app/MainDialogView.h"
#include "platform/ModalRunner.h"
#include "sources/camera/CameraTestSupport.h"
#include "support/TempFolder.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

class CPresetDlg;
class CSetFPS;
class QFileDialog;

// The main dialog, shown, with a settings store and a program folder of its own, and every
// modal dialog it opens answered here: message boxes with OK (their texts are kept), the
// frame-rate dialog, the open-file dialog, the preset name dialog and the drivers' dialogs
// through the scripts below.
class SourceDialogFixture : public ::testing::Test {
protected:
    SourceDialogFixture();
    ~SourceDialogFixture() override;

    CVizmarDlg& Dialog() { return *m_dialog; }
    QString Text(int id) const;
    bool Shown(int id) const;
    bool Enabled(int id) const;
    void Click(int id);

    // The frames the pipeline has counted so far.
    int FramesProcessed() { return Dialog().FramesProcessed(); }
    bool WaitForFrames(int count);
    // Nothing more reaches the pipeline while the events of a quarter second are handled.
    bool NoMoreFrames();

    // The picture the display area holds.
    QImage Picture() { return FindDisplay(Dialog()).Picture(); }
    bool Shows(const FrameRecord& record) { return DisplayShows(Dialog(), record); }

    // The snapshot files in the program folder.
    QStringList Snapshots() const;
    // The frame a snapshot file holds, without its 14-byte file header.
    FrameRecord SnapshotRecord(const QString& name) const;

    TempFolder m_settings;
    TempFolder m_programFolder;
    QStringList m_messages;
    DialogScript m_driverDialogs;
    std::function<int(CSetFPS&)> m_onRateDialog;
    std::function<int(QFileDialog&)> m_onFileDialog;
    std::function<int(CPresetDlg&)> m_onNameDialog;
    ScopedModalHook m_hook;
    std::unique_ptr<CVizmarDlg> m_dialog;

private:
    int Answer(QDialog& dialog);
};

// Picks the frame rate item with this text and presses OK.
int ChooseRate(CSetFPS& dialog, const QString& rate);
// Puts the path into the file dialog and presses its Open button.
int ChooseFile(QFileDialog& dialog, const QString& path);
