#include "support/FuzzApplication.h"

#include "platform/ModalRunner.h"

#include <QApplication>
#include <QDialog>

namespace {
int AnswerWithoutWaiting(QDialog& dialog)
{
    dialog.reject();
    return dialog.result();
}
}  // namespace

void EnsureFuzzApplication()
{
    if (QApplication::instance() != nullptr)
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vizmar-fuzz";
    static char* argv[] = {name, nullptr};
    static QApplication application(argc, argv);
    static ScopedModalHook hook(AnswerWithoutWaiting);
}
