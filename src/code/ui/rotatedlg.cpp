#include "code/ui/rotatedlg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "code/rotation.h"
#include "doc/zbdoc.h"

CRotateDlg::CRotateDlg(CZbDoc* doc, CZbApp* app, QWidget* parent)
    : QDialog(parent), m_pDoc(doc), m_pApp(app) {
    setWindowTitle(QStringLiteral("Rotation de l'acquisition oscilloscope"));

    auto* axes = new QGroupBox(QStringLiteral("Axes de rotation"), this);
    m_pRotateX = new QCheckBox(QStringLiteral("Rotation autour de &x"), axes);
    m_pRotateY = new QCheckBox(QStringLiteral("Rotation autour de &y"), axes);
    auto* axesLayout = new QVBoxLayout(axes);
    axesLayout->addWidget(m_pRotateX);
    axesLayout->addWidget(m_pRotateY);

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    auto* quit = new QPushButton(QStringLiteral("&Quitter"), this);
    ok->setDefault(true);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(quit);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(axes);
    layout->addLayout(buttons);

    // The boxes of the last rotation, which "&OK" applies again.
    m_bRotateX = (m_pDoc->m_nRotation & kRotationAboutX) ? 1 : 0;
    m_bRotateY = (m_pDoc->m_nRotation & kRotationAboutY) ? 1 : 0;
    m_pRotateX->setChecked(m_bRotateX);
    m_pRotateY->setChecked(m_bRotateY);

    connect(ok, &QPushButton::clicked, this, &CRotateDlg::OnOk);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);
}

void CRotateDlg::OnOk() {
    m_bRotateX = m_pRotateX->isChecked() ? 1 : 0;
    m_bRotateY = m_pRotateY->isChecked() ? 1 : 0;
    if (RotateTrace(m_pDoc, m_pApp, m_bRotateX, m_bRotateY)) emit redrawRequested();
    accept();
}
