#pragma once

#include <memory>

class QSoundEffect;

// The shutter click that goes with every snapshot, from the program's resources. It plays
// in the background; without an audio device nothing is heard and nothing is reported.
class SnapshotSound {
public:
    SnapshotSound();
    ~SnapshotSound();
    SnapshotSound(const SnapshotSound&) = delete;
    SnapshotSound& operator=(const SnapshotSound&) = delete;

    void Play();

private:
    // Made at the first snapshot, so that a session without one never opens the audio system.
    std::unique_ptr<QSoundEffect> m_effect;
};

// Where the sound lives among the program's resources.
inline constexpr const char* kSnapshotSoundUrl = "qrc:/vizmar/sounds/snapshot.wav";
