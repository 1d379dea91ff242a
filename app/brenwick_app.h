// The application: sets up the widget toolkit and runs the main dialog as the program's
// whole life.
#ifndef BRENWICK_BRENWICK_APP_H
#define BRENWICK_BRENWICK_APP_H

#include <QApplication>

class CBrenwickApp : public QApplication {
public:
    // argc must outlive the application, as QApplication requires.
    CBrenwickApp(int& argc, char** argv);

    // Runs the main dialog modally and returns when it has ended: there is no main loop
    // besides the dialog's own, so the program ends after this call.
    void InitInstance();
};

#endif
