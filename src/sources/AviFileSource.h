#pragma once

#include "imaging/FrameRecord.h"
#include "sources/SourceWidgets.h"
#include "sources/avi/AVIFileObj.h"

#include <QString>
#include <QTimer>

#include <memory>

class SnapshotSound;
class SourceHost;
struct PipelineState;

// The file branch of the source buttons: open a video file or picture (chosen or dropped),
// show the frame at the slider's position, play it on a 10 ms timer, take snapshots of the
// last output, close it.
class AviFileSource {
public:
    static constexpr int kPlayIntervalMs = 10;

    AviFileSource(const SourceWidgets& widgets, SourceHost& host, PipelineState& state, SnapshotSound& sound);
    ~AviFileSource();
    AviFileSource(const AviFileSource&) = delete;
    AviFileSource& operator=(const AviFileSource&) = delete;

    bool HasFile() const { return m_pAviFile != nullptr; }
    bool IsPlaying() const { return m_bPlaying; }

    // Asks for a file and shows its first frame.
    void Open();
    // Loads a file dropped on the dialog; empty, having said why, when it cannot be loaded.
    std::unique_ptr<AVIFileObj> LoadDroppedFile(const QString& path);
    // Shows the first frame of file in place of the open one, if any.
    void ReplaceFile(std::unique_ptr<AVIFileObj> file);
    // Shows the frame at the slider's position again when a file is open and not playing.
    void RedrawPausedFrame();
    // Saves the last processed frame beside the program.
    void TakeSnapshot();
    // Forgets the file; a running playback keeps moving the slider to its end, without images.
    void Close();
    // "Play" starts the timer, "Stop" lets it end at its next tick.
    void PlayOrStop();
    void StopPlaying() { m_bPlaying = false; }
    // Frees the frame handed to the pipeline; the next frame shown allocates it afresh.
    void ReleaseConversionBuffer() { m_aviConvBuf.release(); }
    // Stops the timer at once and closes the file, as the dialog's end does.
    void Release();

    // 1 when a file was chosen and loaded; sets the slider to the file's frames (0 to 0 on
    // failure) at position 0.
    int OpenSourceFile(AVIFileObj& file);
    // Shows the counter and the frame at the slider's position.
    void ShowAviFrame();
    void OnTimer();
    void OnHScroll();
    void OnNMReleasedcaptureFrameSlider();

private:
    QString AskForSourceFile();
    bool LoadSourceFile(AVIFileObj& file, const QString& path);
    void SetFrameRange(int frameCount);
    void ShowOpenedFile();
    void SetSliderPosition(int position);
    bool FillWorkFrame(const FrameRecord& frame);

    SourceWidgets m_widgets;
    SourceHost& m_host;
    PipelineState& m_state;
    SnapshotSound& m_sound;
    std::unique_ptr<AVIFileObj> m_pAviFile;
    QString m_strSourcePath;
    bool m_bPlaying = false;
    QTimer m_timer;
    // The record handed to the pipeline: the reader's frame must stay as decoded, so each
    // frame is copied, or converted to 24 bits when it has 16, into this one.
    FrameRecord m_aviConvBuf;
};
