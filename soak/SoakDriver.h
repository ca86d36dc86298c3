#pragma once

#include <QObject>
#include <QStringList>

#include <cstdint>
#include <random>

class CPresetDlg;
class CVizmarDlg;
class QDialog;
class QFileDialog;
class QMessageBox;
class QWidget;

// Drives the real main dialog at random, as a restless user would: clicks its buttons and
// check boxes, picks combo box entries, types into its edits, moves the frame slider, drags
// on the display area and answers every dialog that opens. The same seed gives the same
// sequence of actions (what the sources deliver meanwhile depends on timing).
class SoakDriver : public QObject {
public:
    SoakDriver(CVizmarDlg& dialog, uint32_t seed, QStringList mediaFiles);

    // One random action.
    void Step();
    // Answers a dialog the program runs modally; returns its result.
    int Answer(QDialog& dialog);

    // What was done, for the run's summary.
    QString Summary() const;

private:
    template <class Widget>
    Widget* PickChild();
    int Below(int bound);

    void ClickButton();
    void ChooseEntry();
    void TypeText();
    void MoveSlider();
    void DragOnDisplay();
    void ClickColourPanel();
    int AnswerMessageBox(const QMessageBox& box);
    int ChooseFile(QFileDialog& files);
    void NamePreset(CPresetDlg& name);

    CVizmarDlg& m_dialog;
    QWidget* m_exitButton = nullptr;
    std::mt19937 m_random;
    QStringList m_mediaFiles;
    int m_steps = 0;
    int m_messageBoxes = 0;
    int m_filesChosen = 0;
    int m_presetNames = 0;
    int m_otherDialogs = 0;
};
