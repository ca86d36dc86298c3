#pragma once

#include <QApplication>

// The application: runs the main dialog; the program ends when the dialog closes.
class CVizmarApp : public QApplication {
    Q_OBJECT

public:
    CVizmarApp(int& argc, char** argv);

    // Shows the main dialog and returns once it has been closed.
    void InitInstance();
};

// Creates the main dialog, runs it modally and destroys it again.
void RunMainDialog();
