#pragma once

#include <QObject>
#include <QStringList>

#include <cstdint>
#include <random>

class CVizmarDlg;
class QDialog;
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

    int Steps() const { return m_steps; }

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

    CVizmarDlg& m_dialog;
    QWidget* m_exitButton = nullptr;
    std::mt19937 m_random;
    QStringList m_mediaFiles;
    int m_steps = 0;
};
