#include "SoakDriver.h"

#include "app/CVizmarDlg.h"
#include "app/CameraView.h"
#include "app/MainDialogTemplate.h"
#include "controls/HsvPanel.h"
#include "presets/CPresetDlg.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QSlider>
#include <QTest>

namespace {
// More presets than this and Save As gives way to Del, so the list cannot grow for ever and
// pass for a leak.
constexpr int kPresetLimit = 24;
const QString kTextCharacters = QStringLiteral("0123456789 -+.xA\"[]");
}  // namespace

SoakDriver::SoakDriver(CVizmarDlg& dialog, uint32_t seed, QStringList mediaFiles)
    : m_dialog(dialog)
    , m_exitButton(dialog.control(IDC_EXIT))
    , m_random(seed)
    , m_mediaFiles(std::move(mediaFiles))
{
}

int SoakDriver::Below(int bound)
{
    return bound <= 0 ? 0 : int(m_random() % uint32_t(bound));
}

template <class Widget>
Widget* SoakDriver::PickChild()
{
    QList<Widget*> children;
    for (Widget* child : m_dialog.findChildren<Widget*>()) {
        if (child->isVisible() && child->isEnabled() && child != m_exitButton)
            children.append(child);
    }
    return children.isEmpty() ? nullptr : children[Below(int(children.size()))];
}

void SoakDriver::Step()
{
    ++m_steps;
    switch (Below(12)) {
    case 0:
    case 1:
    case 2: ClickButton(); break;
    case 3:
    case 4:
    case 5: ChooseEntry(); break;
    case 6:
    case 7:
    case 8: TypeText(); break;
    case 9: MoveSlider(); break;
    case 10: DragOnDisplay(); break;
    default: ClickColourPanel(); break;
    }
}

void SoakDriver::ClickButton()
{
    QAbstractButton* button = PickChild<QAbstractButton>();
    const auto* presets = m_dialog.controlAs<QComboBox>(IDC_PRESET);
    if (button == m_dialog.control(IDC_SAVE_AS) && presets->count() > kPresetLimit)
        button = qobject_cast<QAbstractButton*>(m_dialog.control(IDC_DELETE_PRESET));
    if (button != nullptr)
        QTest::mouseClick(button, Qt::LeftButton);
}

void SoakDriver::ChooseEntry()
{
    if (QComboBox* box = PickChild<QComboBox>()) {
        box->setFocus();
        QTest::keyClick(box, Below(2) == 0 ? Qt::Key_Down : Qt::Key_Up);
    }
}

void SoakDriver::TypeText()
{
    QLineEdit* edit = PickChild<QLineEdit>();
    if (edit == nullptr || edit->isReadOnly())
        return;
    edit->setFocus();
    edit->selectAll();
    QString text;
    for (int length = Below(5); length > 0; --length)
        text += kTextCharacters[Below(int(kTextCharacters.size()))];
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
}

void SoakDriver::MoveSlider()
{
    static constexpr Qt::Key kKeys[] = {Qt::Key_Right, Qt::Key_Left, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home,
                                        Qt::Key_End};
    if (QSlider* slider = PickChild<QSlider>())
        QTest::keyClick(slider, kKeys[Below(std::size(kKeys))]);
}

void SoakDriver::DragOnDisplay()
{
    auto* display = m_dialog.findChild<CameraView*>();
    if (display == nullptr)
        return;
    const QPoint from(Below(display->width()), Below(display->height()));
    const QPoint to(Below(display->width()), Below(display->height()));
    QTest::mousePress(display, Qt::LeftButton, {}, from);
    QTest::mouseMove(display, to);
    QTest::mouseRelease(display, Qt::LeftButton, {}, to);
}

void SoakDriver::ClickColourPanel()
{
    if (auto* panel = m_dialog.findChild<HsvPanel*>())
        QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(Below(panel->width()), Below(panel->height())));
}

int SoakDriver::Answer(QDialog& dialog)
{
    if (auto* box = qobject_cast<QMessageBox*>(&dialog))
        return AnswerMessageBox(*box);
    if (auto* files = qobject_cast<QFileDialog*>(&dialog))
        return ChooseFile(*files);
    if (auto* name = qobject_cast<CPresetDlg*>(&dialog))
        NamePreset(*name);
    else
        ++m_otherDialogs;
    if (Below(2) == 0)
        return QDialog::Rejected;
    dialog.accept();
    return dialog.result();
}

// Yes three times in four, so that presets asked to go do go.
int SoakDriver::AnswerMessageBox(const QMessageBox& box)
{
    ++m_messageBoxes;
    if (!box.standardButtons().testFlag(QMessageBox::Yes))
        return QMessageBox::Ok;
    return Below(4) != 0 ? QMessageBox::Yes : QMessageBox::No;
}

int SoakDriver::ChooseFile(QFileDialog& files)
{
    if (m_mediaFiles.isEmpty() || Below(5) == 0)
        return QDialog::Rejected;
    files.selectFile(m_mediaFiles[Below(int(m_mediaFiles.size()))]);
    ++m_filesChosen;
    return QDialog::Accepted;
}

void SoakDriver::NamePreset(CPresetDlg& name)
{
    ++m_presetNames;
    if (auto* edit = name.findChild<QLineEdit*>()) {
        QString text = QStringLiteral("soak");
        for (int length = Below(4); length > 0; --length)
            text += kTextCharacters[Below(int(kTextCharacters.size()))];
        edit->setText(text);
    }
}

QString SoakDriver::Summary() const
{
    return QStringLiteral("%1 actions; answered %2 message boxes, %3 preset names, %4 other dialogs; opened %5 "
                          "files; %6 presets at the end")
        .arg(m_steps)
        .arg(m_messageBoxes)
        .arg(m_presetNames)
        .arg(m_otherDialogs)
        .arg(m_filesChosen)
        .arg(m_dialog.controlAs<QComboBox>(IDC_PRESET)->count());
}
