#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

// "Save As PRESET": asks for the name of a new preset. OK closes it only for a name the
// preset file can hold.
class CPresetDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kNameEditId = 1034;

    explicit CPresetDlg(QWidget* parent = nullptr);

    // The name as checked, without leading and trailing white space; set by OK.
    QString m_strName;

public slots:
    // The name check behind OK: an empty name, or one the file cannot hold (brackets end a
    // header, line ends and zero bytes end a line, characters above code 255 have no byte),
    // keeps the dialog open without a word.
    void accept() override;

private:
    QLineEdit* m_nameEdit = nullptr;
};
