#include "app/CVizmarApp.h"

#include "app/CVizmarDlg.h"
#include "platform/ModalRunner.h"
#include "support/TempFolder.h"

#include <QSettings>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {
// The real modal loop runs; a click on Exit, once the dialog shows, has to end it.
TEST(ApplicationTest, TheMainDialogRunsUntilExitIsPressed)
{
    TempFolder settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QString caption;
    int result = -1;
    ScopedModalHook hook([&](QDialog& dialog) {
        caption = dialog.windowTitle();
        QTimer::singleShot(0, &dialog, [&dialog] {
            QTest::mouseClick(static_cast<CVizmarDlg&>(dialog).control(IDC_EXIT), Qt::LeftButton);
        });
        result = dialog.exec();
        return result;
    });
    RunMainDialog();
    EXPECT_EQ(caption, QStringLiteral("Web Cam HSV Color Filter"));
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_FALSE(HasHsvTable());
}
}  // namespace
