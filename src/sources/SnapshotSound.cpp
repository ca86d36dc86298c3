#include "sources/SnapshotSound.h"

#include "platform/ProgramResources.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

SnapshotSound::SnapshotSound() = default;
SnapshotSound::~SnapshotSound() = default;

// A click that is asked for while the sound is still loading plays once it has loaded.
void SnapshotSound::Play()
{
    if (QMediaDevices::defaultAudioOutput().isNull())
        return;
    if (!m_effect) {
        LoadProgramResources();
        m_effect = std::make_unique<QSoundEffect>();
        m_effect->setSource(QUrl(QString::fromLatin1(kSnapshotSoundUrl)));
    }
    m_effect->play();
}
