#include "view/ui/displaydlg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "doc/zbapp.h"
#include "doc/zbdoc.h"

namespace {
const char* const kBoxTexts[kDisplayBoxCount] = {"Voie &1", "Voie &2", "&Ref1",
                                                 "R&ef2",   "&Math",   "&Fronts"};
const char* const kBoxNames[kDisplayBoxCount] = {"voie1", "voie2", "ref1",
                                                 "ref2",  "math",  "fronts"};
} // namespace

CDisplayDlg::CDisplayDlg(CZbDoc& doc, CZbApp& app, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_app(app) {
    setWindowTitle(QStringLiteral("Sélection du type de visualisation"));

    auto* typeGroup = new QGroupBox(QStringLiteral("Type"), this);
    m_pCodeSheet = new QRadioButton(QStringLiteral("Code à barres"), typeGroup);
    m_pGraph = new QRadioButton(QStringLiteral("Graphe"), typeGroup);
    m_pImage = new QRadioButton(QStringLiteral("&Image"), typeGroup);
    m_pCodeSheet->setObjectName(QStringLiteral("codeSheet"));
    m_pGraph->setObjectName(QStringLiteral("graph"));
    m_pImage->setObjectName(QStringLiteral("image"));
    auto* typeLayout = new QVBoxLayout(typeGroup);
    typeLayout->addWidget(m_pCodeSheet);
    typeLayout->addWidget(m_pGraph);
    typeLayout->addWidget(m_pImage);

    auto* graphGroup = new QGroupBox(QStringLiteral("Graphe"), this);
    auto* graphLayout = new QVBoxLayout(graphGroup);
    auto* codeGroup = new QGroupBox(QStringLiteral("Code"), this);
    auto* codeLayout = new QVBoxLayout(codeGroup);
    for (int i = 0; i < kDisplayBoxCount; ++i) {
        m_pBoxes[i] = new QCheckBox(QString::fromUtf8(kBoxTexts[i]), this);
        m_pBoxes[i]->setObjectName(QLatin1String(kBoxNames[i]));
        m_pBoxes[i]->setEnabled(false);
        (i < 5 ? graphLayout : codeLayout)->addWidget(m_pBoxes[i]);
    }

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    auto* quit = new QPushButton(QStringLiteral("&Quitter"), this);
    ok->setObjectName(QStringLiteral("ok"));
    quit->setObjectName(QStringLiteral("quit"));
    ok->setDefault(true);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(quit);
    buttons->addStretch();

    auto* left = new QVBoxLayout;
    left->addWidget(typeGroup);
    left->addWidget(codeGroup);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(graphGroup);
    layout->addLayout(buttons);

    m_pCodeSheet->setChecked(true);
    for (QRadioButton* radio : {m_pCodeSheet, m_pGraph, m_pImage})
        connect(radio, &QRadioButton::toggled, this, [this](bool on) {
            if (on) OnTypeChanged();
        });
    connect(ok, &QPushButton::clicked, this, &CDisplayDlg::OnOk);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);
}

DisplayType CDisplayDlg::SelectedType() const {
    if (m_pGraph->isChecked()) return DisplayType::Graph;
    if (m_pImage->isChecked()) return DisplayType::Image;
    return DisplayType::CodeSheet;
}

std::int16_t CDisplayDlg::CheckedBits() const {
    int bits = 0;
    for (int i = 0; i < kDisplayBoxCount; ++i)
        if (m_pBoxes[i]->isChecked()) bits |= kDisplayBoxBits[i];
    return static_cast<std::int16_t>(bits);
}

void CDisplayDlg::OnTypeChanged() {
    const DisplayType type = SelectedType();
    // The first time the graph is chosen, offer the curves shown now (or the
    // channels that hold data); afterwards the boxes keep what the user set.
    if (type == DisplayType::Graph && !m_bChecksOffered) {
        m_bChecksOffered = true;
        const std::int16_t initial = InitialGraphChecks(m_doc);
        for (int i = 0; i < kDisplayBoxCount; ++i)
            m_pBoxes[i]->setChecked((initial & kDisplayBoxBits[i]) &&
                                    DisplayBoxEnabled(type, m_doc.m_nChannels, kDisplayBoxBits[i]));
    }
    for (int i = 0; i < kDisplayBoxCount; ++i)
        m_pBoxes[i]->setEnabled(DisplayBoxEnabled(type, m_doc.m_nChannels, kDisplayBoxBits[i]));
}

void CDisplayDlg::OnOk() {
    ApplyDisplaySelection(m_doc, m_app, DisplayFromSelection(SelectedType(), CheckedBits()));
    accept();
}
