#include "presets/CPresetDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {
TEST(CPresetDlgTest, HasItsCaptionTextsAndControls)
{
    CPresetDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Save As PRESET"));
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_TRUE(labels.contains(QStringLiteral("Please enter custom preset name.")));
    EXPECT_TRUE(labels.contains(QStringLiteral("Name:")));
    const auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("1034"));
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->text().isEmpty());
    const auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("1"));
    const auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("2"));
    ASSERT_TRUE(ok && cancel);
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));
    EXPECT_TRUE(dialog.m_strName.isEmpty());
}

// OK closes the dialog only for a name the preset file holds as it is; otherwise the dialog
// stays open and says nothing.
TEST(CPresetDlgTest, OkChecksTheName)
{
    struct Case {
        QString typed;
        bool closes;
        QString name;
    };
    const Case cases[] = {
        {QStringLiteral("Dusk"), true, QStringLiteral("Dusk")},
        {QStringLiteral("  Dusk sky \t"), true, QStringLiteral("Dusk sky")},
        {QStringLiteral("a\"b\""), true, QStringLiteral("a\"b\"")},
        // A name that starts with a double quote would come back renamed or not at all.
        {QStringLiteral("\"x\""), false, {}},
        {QStringLiteral("\"a\"b"), false, {}},
        {QStringLiteral("\"open"), false, {}},
        {QStringLiteral("\""), false, {}},
        {QStringLiteral("\"\""), false, {}},
        {QString::fromLatin1("caf\xe9 \xff"), true, QString::fromLatin1("caf\xe9 \xff")},
        {QString(), false, {}},
        {QStringLiteral(" \t "), false, {}},
        {QStringLiteral("a[b"), false, {}},
        {QStringLiteral("ab]"), false, {}},
        {QStringLiteral("\u03a9mega"), false, {}},
        {QStringLiteral("line\nbreak"), false, {}},
    };
    for (const Case& c : cases) {
        CPresetDlg dialog;
        bool finished = false;
        QObject::connect(&dialog, &QDialog::finished, [&finished] { finished = true; });
        dialog.findChild<QLineEdit*>(QStringLiteral("1034"))->setText(c.typed);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("1")), Qt::LeftButton);
        EXPECT_EQ(finished, c.closes) << c.typed.toStdString();
        if (c.closes) {
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_EQ(dialog.m_strName, c.name);
        }
    }
}

TEST(CPresetDlgTest, CancelClosesWithoutAName)
{
    CPresetDlg dialog;
    dialog.findChild<QLineEdit*>(QStringLiteral("1034"))->setText(QStringLiteral("Dusk"));
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("2")), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(dialog.m_strName.isEmpty());
}
}  // namespace
