#include "CVizmarApp.h"

#include "CVizmarDlg.h"
#include "ModalRunner.h"
#include "ProgramResources.h"

CVizmarApp::CVizmarApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setWindowIcon(ApplicationIcon());
    setDesktopFileName(QStringLiteral("vizmar"));
}

void CVizmarApp::InitInstance()
{
    CVizmarDlg dialog;
    RunModal(dialog);
}
