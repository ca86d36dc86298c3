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
    if (!m_pEffect) {
        LoadProgramResources();
        m_pEffect = std::make_unique<QSoundEffect>();
        m_pEffect->setSource(QUrl(QString::fromLatin1(kSnapshotSoundUrl)));
    }
    m_pEffect->play();
}
