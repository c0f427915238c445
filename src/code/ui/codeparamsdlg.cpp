#include "code/ui/codeparamsdlg.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "common/format.h"
#include "common/ui/dialogparts.h"
#include "common/ui/numberfield.h"
#include "doc/zbdoc.h"

namespace {

// Up to three digits; larger values are limited to 255 when read.
constexpr int kComponentDigits = 3;

} // namespace

CCodeParamsDlg::CCodeParamsDlg(CZbDoc* doc, QWidget* parent) : QDialog(parent), m_pDoc(doc) {
    setWindowTitle(QStringLiteral("Paramètres du code barre"));

    m_pBarEdit = NewRealEdit(this, "bar");
    m_pSpaceEdit = NewRealEdit(this, "space");
    m_pCoefEdit = NewRealEdit(this, "coefficient");
    static const char* const kBarNames[3] = {"barRed", "barGreen", "barBlue"};
    static const char* const kSpaceNames[3] = {"spaceRed", "spaceGreen", "spaceBlue"};
    for (int c = 0; c < 3; ++c) {
        m_pBarRgb[c] = NewDigitsEdit(this, kBarNames[c], kComponentDigits);
        m_pSpaceRgb[c] = NewDigitsEdit(this, kSpaceNames[c], kComponentDigits);
    }

    auto* widthsBox = new QGroupBox(QStringLiteral("Epaisseurs du code n°1"), this);
    auto* widths = new QFormLayout(widthsBox);
    widths->addRow(NewBuddyLabel(QStringLiteral("&Trait simple (mm):"), m_pBarEdit, this),
                   m_pBarEdit);
    widths->addRow(NewBuddyLabel(QStringLiteral("&Espace simple (mm):"), m_pSpaceEdit, this),
                   m_pSpaceEdit);

    auto* renderingsBox = new QGroupBox(QStringLiteral("N° du code"), this);
    auto* renderings = new QGridLayout(renderingsBox);
    m_pRenderings = new QButtonGroup(this);
    for (int i = 0; i < CZbDoc::kRenderings; ++i) {
        auto* radio = new QRadioButton(Sprintf("Code n°&%d", i + 1), renderingsBox);
        m_pRenderings->addButton(radio, i);
        renderings->addWidget(radio, i % 4, i / 4);
    }

    auto* coefficient = new QFormLayout;
    coefficient->addRow(
        NewBuddyLabel(QStringLiteral("&Coef. d'éch. entre les codes:"), m_pCoefEdit, this),
        m_pCoefEdit);

    auto* colours = new QGridLayout;
    colours->addWidget(new QLabel(QStringLiteral("Trait RGB"), this), 0, 0);
    colours->addWidget(new QLabel(QStringLiteral("Espace RGB"), this), 1, 0);
    for (int c = 0; c < 3; ++c) {
        colours->addWidget(m_pBarRgb[c], 0, c + 1);
        colours->addWidget(m_pSpaceRgb[c], 1, c + 1);
    }
    auto* barColour = new QPushButton(QStringLiteral("Couleur trait"), this);
    auto* spaceColour = new QPushButton(QStringLiteral("Couleur espace"), this);
    auto* sameColours = new QPushButton(QStringLiteral("Couleurs idem à 1"), this);
    auto* close = new QPushButton(QStringLiteral("&Fermer"), this);
    colours->addWidget(barColour, 0, 4);
    colours->addWidget(spaceColour, 1, 4);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(sameColours);
    buttons->addStretch();
    buttons->addWidget(close);

    auto* top = new QHBoxLayout;
    top->addWidget(widthsBox);
    top->addWidget(renderingsBox);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(coefficient);
    layout->addLayout(colours);
    layout->addLayout(buttons);

    SetFields(LoadCodeParams(*m_pDoc, 0));
    m_nSelected = m_nPrevSelected = 0;
    ShowControls();

    connect(m_pRenderings, &QButtonGroup::idClicked, this, &CCodeParamsDlg::OnRendering);
    connect(barColour, &QPushButton::clicked, this, [this] { OnColour(true); });
    connect(spaceColour, &QPushButton::clicked, this, [this] { OnColour(false); });
    connect(sameColours, &QPushButton::clicked, this, &CCodeParamsDlg::OnSameColours);
    connect(close, &QPushButton::clicked, this, &CCodeParamsDlg::OnClose);
}

CodeParamsFields CCodeParamsDlg::Fields() const {
    CodeParamsFields fields;
    fields.fBar = m_fBarEdit;
    fields.fSpace = m_fSpaceEdit;
    fields.fCoef = m_fCoefEdit;
    fields.nBarR = m_nBarR;
    fields.nBarG = m_nBarG;
    fields.nBarB = m_nBarB;
    fields.nSpaceR = m_nSpaceR;
    fields.nSpaceG = m_nSpaceG;
    fields.nSpaceB = m_nSpaceB;
    return fields;
}

void CCodeParamsDlg::SetFields(const CodeParamsFields& fields) {
    m_fBarEdit = fields.fBar;
    m_fSpaceEdit = fields.fSpace;
    m_fCoefEdit = fields.fCoef;
    m_nBarR = static_cast<std::int16_t>(fields.nBarR);
    m_nBarG = static_cast<std::int16_t>(fields.nBarG);
    m_nBarB = static_cast<std::int16_t>(fields.nBarB);
    m_nSpaceR = static_cast<std::int16_t>(fields.nSpaceR);
    m_nSpaceG = static_cast<std::int16_t>(fields.nSpaceG);
    m_nSpaceB = static_cast<std::int16_t>(fields.nSpaceB);
}

void CCodeParamsDlg::ReadControls() {
    m_fBarEdit = ReadRealField(m_pBarEdit, m_fBarEdit);
    m_fSpaceEdit = ReadRealField(m_pSpaceEdit, m_fSpaceEdit);
    m_fCoefEdit = ReadRealField(m_pCoefEdit, m_fCoefEdit);
    // Components are limited as they are read, so one never spills into the next.
    const auto component = [](const QLineEdit* edit, std::int16_t previous) {
        return static_cast<std::int16_t>(LimitColourComponent(ReadIntegerField(edit, previous)));
    };
    m_nBarR = component(m_pBarRgb[0], m_nBarR);
    m_nBarG = component(m_pBarRgb[1], m_nBarG);
    m_nBarB = component(m_pBarRgb[2], m_nBarB);
    m_nSpaceR = component(m_pSpaceRgb[0], m_nSpaceR);
    m_nSpaceG = component(m_pSpaceRgb[1], m_nSpaceG);
    m_nSpaceB = component(m_pSpaceRgb[2], m_nSpaceB);
    if (QAbstractButton* checked = m_pRenderings->checkedButton())
        m_nSelected = m_pRenderings->id(checked);
}

void CCodeParamsDlg::ShowControls() {
    ShowRealField(m_pBarEdit, m_fBarEdit);
    ShowRealField(m_pSpaceEdit, m_fSpaceEdit);
    ShowRealField(m_pCoefEdit, m_fCoefEdit);
    ShowIntegerField(m_pBarRgb[0], m_nBarR);
    ShowIntegerField(m_pBarRgb[1], m_nBarG);
    ShowIntegerField(m_pBarRgb[2], m_nBarB);
    ShowIntegerField(m_pSpaceRgb[0], m_nSpaceR);
    ShowIntegerField(m_pSpaceRgb[1], m_nSpaceG);
    ShowIntegerField(m_pSpaceRgb[2], m_nSpaceB);
    if (QAbstractButton* radio = m_pRenderings->button(m_nSelected)) radio->setChecked(true);
}

void CCodeParamsDlg::Apply() {
    ReadControls();
    CodeParamsFields fields = Fields();
    ApplyCodeParams(m_pDoc, m_nPrevSelected, m_nSelected, &fields);
    SetFields(fields);
    m_nPrevSelected = m_nSelected;
    ShowControls();
    emit redrawRequested();
}

void CCodeParamsDlg::OnRendering(int index) {
    // Only rendering 1 has its own widths; the others derive from it.
    m_pBarEdit->setEnabled(index == 0);
    m_pSpaceEdit->setEnabled(index == 0);
    m_nSelected = index;
    Apply();
}

bool CCodeParamsDlg::ChooseColour(COLORREF* colour) {
    QColorDialog chooser(Qt::black, this);
    chooser.setOption(QColorDialog::DontUseNativeDialog);
    if (chooser.exec() != QDialog::Accepted) return false;
    *colour = FromQColor(chooser.selectedColor());
    return true;
}

void CCodeParamsDlg::OnColour(bool bar) {
    COLORREF colour = 0;
    if (!ChooseColour(&colour)) return;
    ReadControls();
    const auto show = [colour](std::int16_t* red, std::int16_t* green, std::int16_t* blue) {
        *red = static_cast<std::int16_t>(ColorRefRed(colour));
        *green = static_cast<std::int16_t>(ColorRefGreen(colour));
        *blue = static_cast<std::int16_t>(ColorRefBlue(colour));
    };
    if (bar) {
        show(&m_nBarR, &m_nBarG, &m_nBarB);
        m_pDoc->m_crBar[m_nSelected] = colour;
    } else {
        show(&m_nSpaceR, &m_nSpaceG, &m_nSpaceB);
        m_pDoc->m_crSpace[m_nSelected] = colour;
    }
    ShowControls();
    emit redrawRequested();
}

void CCodeParamsDlg::OnSameColours() {
    ReadControls();
    CodeParamsFields fields = Fields();
    CopyFirstColours(m_pDoc, m_nPrevSelected, &fields);
    SetFields(fields);
    ShowControls();
    emit redrawRequested();
}

void CCodeParamsDlg::OnClose() {
    Apply();
    accept();
}
