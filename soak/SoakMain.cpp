// The program's main dialog driven at random for a given time:
//   vizmar_soak <seconds> <seed> <work folder> [video or picture files...]
// Presets, settings and snapshots go to the work folder. Prints the seed and, at the end,
// what the driver did.

#include "SoakDriver.h"

#include "app/CVizmarApp.h"
#include "app/CVizmarDlg.h"
#include "platform/ModalRunner.h"
#include "platform/ProgramFolder.h"

#include <QSettings>
#include <QTimer>

#include <cstdio>

namespace {
constexpr int kStepIntervalMs = 40;
}

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <seconds> <seed> <work folder> [media files...]\n", argv[0]);
        return 2;
    }
    CVizmarApp app(argc, argv);
    const QStringList arguments = app.arguments();
    const int seconds = arguments[1].toInt();
    const uint32_t seed = arguments[2].toUInt();
    const QString folder = arguments[3];
    SetProgramFolderForTesting(folder);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    std::printf("soak: seed %u for %d s\n", seed, seconds);
    std::fflush(stdout);

    CVizmarDlg dialog;
    SoakDriver driver(dialog, seed, arguments.mid(4));
    const ScopedModalHook answers([&driver](QDialog& modal) { return driver.Answer(modal); });
    dialog.show();

    QTimer steps;
    QObject::connect(&steps, &QTimer::timeout, &driver, &SoakDriver::Step);
    steps.start(kStepIntervalMs);
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    // The dialog closes itself only through Exit, which the driver never clicks; should it
    // close all the same, the run ends there.
    QObject::connect(&dialog, &QDialog::finished, &app, &QCoreApplication::quit);
    app.exec();
    std::printf("soak: %s\n", qPrintable(driver.Summary()));
    return 0;
}
