#include "app/CVizmarApp.h"

#include "app/CVizmarDlg.h"
#include "platform/ModalRunner.h"
#include "platform/ProgramResources.h"

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
