#pragma once

#include <QApplication>
#include <QSettings>
#include <QSize>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/mainframe.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"

// For tests that drive the main window: a new document and window for each
// test function, the profile in a folder of the test's own. Header only: the
// widget tests alone include it.
class CMainWindowTest : public QObject {
  protected:
    // From initTestCase: the profile (recent files, devices) kept apart.
    void UseTestProfile() {
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
        QApplication::setOrganizationName(QStringLiteral("LineatixTest"));
        QApplication::setApplicationName(QStringLiteral("LineatixTest"));
    }
    // From init: the window shown on a new document; false if it never showed.
    bool OpenWindow(const QSize& size = QSize()) {
        m_app = std::make_unique<CZbApp>();
        m_doc = std::make_unique<CZbDoc>(m_app.get());
        m_frame = std::make_unique<CMainFrame>(*m_doc, *m_app);
        if (size.isValid()) m_frame->resize(size);
        m_frame->show();
        return QTest::qWaitForWindowExposed(m_frame.get());
    }
    // From cleanup.
    void CloseWindow() {
        m_frame.reset();
        m_doc.reset();
        m_app.reset();
    }

    QTemporaryDir m_settingsDir;
    std::unique_ptr<CZbApp> m_app;
    std::unique_ptr<CZbDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
};
