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
    RunMainDialog();
}

void RunMainDialog()
{
    CVizmarDlg dialog;
    RunModal(dialog);
}
