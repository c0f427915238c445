#include "app/application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>
#include <cstdio>

#include "app/mainframe.h"
#include "app/toolbaricons.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"

bool InstallQtFrench(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("qtbase_fr"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void SetProfileNames() {
    QCoreApplication::setOrganizationName(QStringLiteral("Lineatix"));
    QCoreApplication::setApplicationName(QStringLiteral("Lineatix"));
}

int RunApplication(int argc, char** argv) {
    QApplication application(argc, argv);
    InstallQtFrench(application);
    SetProfileNames();
    QApplication::setWindowIcon(ProgramIcon());

    // --com1 PATH and --com2 PATH choose the devices for this run only.
    QStringList arguments = QApplication::arguments().mid(1);
    CZbApp app;
    QString error;
    if (!app.m_ports.TakeCommandLine(&arguments, &error)) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 1;
    }
    app.m_ports.LoadProfile();
    CZbDoc doc(&app);
    CMainFrame frame(doc, app);
    // Without a window manager "maximised" means nothing: take the screen too.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        frame.setGeometry(screen->availableGeometry());
    frame.showMaximized();

    // A file named on the command line is opened; if it cannot be, the
    // program ends after saying why. The extension is compared in lower case
    // but the file is opened by its own name (file names are case-sensitive here).
    if (!arguments.isEmpty()) {
        const QString path = arguments.last();
        if (path.toLower().endsWith(QStringLiteral(".cod"))) doc.m_strFileName = path.toLower();
        if (!frame.OpenDocumentFile(path)) return 1;
    }
    return application.exec();
}
