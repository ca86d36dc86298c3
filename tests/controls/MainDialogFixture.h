#pragma once

#include "app/CVizmarDlg.h"
#include "controls/UpDownControl.h"
#include "platform/ProgramFolder.h"
#include "support/TempFolder.h"

#include <QLineEdit>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// The real main dialog, shown and active, with its settings and program folder in folders
// of the test case's own.
class MainDialogFixture : public ::testing::Test {
protected:
    MainDialogFixture()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
        SetProgramFolderForTesting(m_program.path());
    }

    ~MainDialogFixture() override
    {
        m_dialog.reset();
        SetProgramFolderForTesting(QString());
    }

    void OpenDialog()
    {
        m_dialog = std::make_unique<CVizmarDlg>();
        m_dialog->show();
        m_dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
    }

    CVizmarDlg& Dialog() { return *m_dialog; }
    QLineEdit* Edit(int id) { return m_dialog->controlAs<QLineEdit>(id); }
    QString Text(int id) { return Edit(id)->text(); }

    // Types into an edit as the user does, then moves the focus on so that the edit's
    // focus-out handling runs.
    void TypeAndLeave(int id, const QString& text)
    {
        QLineEdit* edit = Edit(id);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        m_dialog->control(IDC_SAVE)->setFocus();
        ASSERT_FALSE(edit->hasFocus());
    }

    TempFolder m_settings;
    TempFolder m_program;
    std::unique_ptr<CVizmarDlg> m_dialog;
};
