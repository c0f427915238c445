#include "app/application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>
#include <cstdio>

#include "app/mainframe.h"
#include "app/programicon.h"
#include "common/format.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "instruments/pcmes3/simulatedcard.h"
#include "view/commandrules.h"

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

bool TakeSimulatedCard(QStringList* arguments, CZbApp* app, QString* error) {
    const int at = arguments->indexOf(QStringLiteral("--simulated-card"));
    if (at < 0) return true;
    const QString code = arguments->value(at + 1);
    if (!CSimulatedCard::IsCardCode(code)) {
        *error = QStringLiteral("--simulated-card : le code doit avoir 13 chiffres.");
        return false;
    }
    app->m_strSimulatedCard = code;
    app->m_bCardAvailable = true;
    arguments->remove(at, 2);
    return true;
}

int RunApplication(int argc, char** argv) {
    QApplication application(argc, argv);
    KeepCNumericLocale();
    InstallQtFrench(application);
    SetProfileNames();
    QApplication::setWindowIcon(ProgramIcon());
    // Wayland desktops take the window's icon and name from its menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("lineatix"));

    // --com1 and --com2 choose the devices (or addresses) for this run only.
    QStringList arguments = QApplication::arguments().mid(1);
    CZbApp app;
    app.m_bCardAvailable = PortIoPossible();
    QString error;
    if (!app.m_ports.TakeCommandLine(&arguments, &error) ||
        !TakeSimulatedCard(&arguments, &app, &error)) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 1;
    }
    app.m_ports.LoadProfile(); // the devices chosen for COM1 and COM2 in the port dialogs
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
