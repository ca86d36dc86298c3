#pragma once

#include <QDialog>

class CHyperLink;

// The maker's web address, shown and opened by the About box's link.
inline const QString kMakerAddress = QStringLiteral("https://github.com/halvoren/vizmar");

// The About box: icon, version, legal notice, credits and a link to the maker's web site.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kLinkId = 1042;

    explicit CAboutDlg(QWidget* parent = nullptr);

    CHyperLink& HyperLink() { return *m_hyperLink; }

private:
    void CreateControls();
    void OnInitDialog();

    CHyperLink* m_hyperLink = nullptr;
};
