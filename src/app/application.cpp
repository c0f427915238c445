#include "app/application.h"

#include <QApplication>
#include <QMainWindow>

#include "doc/zbapp.h"
#include "doc/zbdoc.h"

int RunApplication(int argc, char** argv) {
    QApplication application(argc, argv);
    CZbApp app;
    CZbDoc doc(&app);
    QMainWindow window;
    window.setWindowTitle(doc.Title() + QStringLiteral(" - Lineatix"));
    window.showMaximized();
    return application.exec();
}
