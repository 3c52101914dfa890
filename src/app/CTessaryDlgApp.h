#pragma once
// The application object: one instance per user, the main window run until
// Exit, then the process-wide services released in order.

#include <QApplication>

class CTessaryDlgApp : public QApplication {
    Q_OBJECT
public:
    // Installs the event pump that long work on the UI thread calls.
    CTessaryDlgApp(int& argc, char** argv);
    // Shuts the HTTP client's workers down, then releases the log, directory,
    // file and image managers, in that order.
    ~CTessaryDlgApp() override;

    // Forwards to a running instance and returns 0, or runs the main window
    // until Exit and returns its result.
    int Run();
};
