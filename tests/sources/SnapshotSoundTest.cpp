#include "platform/ProgramResources.h"
#include "sources/SnapshotSound.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstring>

namespace {

uint32_t Little32(const QByteArray& bytes, qsizetype at)
{
    uint32_t value = 0;
    std::memcpy(&value, bytes.constData() + at, 4);
    return value;
}

uint16_t Little16(const QByteArray& bytes, qsizetype at)
{
    uint16_t value = 0;
    std::memcpy(&value, bytes.constData() + at, 2);
    return value;
}

TEST(SnapshotSoundTest, TheSoundIsMonoEightBitPcmAt11025Hz)
{
    LoadProgramResources();
    QFile file(QUrl(QString::fromLatin1(kSnapshotSoundUrl)).path().prepend(':'));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    const QByteArray wav = file.readAll();
    ASSERT_GE(wav.size(), 44);
    EXPECT_EQ(wav.left(4), "RIFF");
    EXPECT_EQ(wav.mid(8, 8), "WAVEfmt ");
    EXPECT_EQ(Little16(wav, 20), 1) << "PCM";
    EXPECT_EQ(Little16(wav, 22), 1) << "mono";
    EXPECT_EQ(Little32(wav, 24), 11025u);
    EXPECT_EQ(Little16(wav, 34), 8);
    EXPECT_EQ(wav.mid(36, 4), "data");
    EXPECT_EQ(Little32(wav, 40), 2412u);
    EXPECT_EQ(wav.size(), 44 + 2412);
}

// Wherever the tests run there may be no audio device: playing must neither block nor fail.
TEST(SnapshotSoundTest, PlayingReturnsAtOnceAndAgain)
{
    SnapshotSound sound;
    for (int i = 0; i < 3; ++i)
        sound.Play();
    QTest::qWait(100);
    sound.Play();
}

}  // namespace
