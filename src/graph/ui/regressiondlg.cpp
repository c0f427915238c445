#include "graph/ui/regressiondlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "common/ui/dialogparts.h"
#include "common/ui/numberfield.h"
#include "doc/zbdoc.h"

namespace {
const char* const kTypes[] = {"Régression linéaire",   "Polynomiale d'ordre 2",
                              "Polynomiale d'ordre 3", "Polynomiale d'ordre 4",
                              "Polynomiale d'ordre 5", "Polynomiale d'ordre 6",
                              "Polynomiale d'ordre 7"};
} // namespace

CRegressionDlg::CRegressionDlg(CZbDoc* doc, CZbApp* app, QWidget* parent)
    : QDialog(parent), m_panel(doc), m_pApp(app) {
    setWindowTitle(QStringLiteral("Tracé de régressions"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    auto* slotsBox = new QGroupBox(QStringLiteral("N° régres."), this);
    auto* slotsLayout = new QVBoxLayout(slotsBox);
    m_pSlots = new QButtonGroup(this);
    for (int slot = 0; slot < CRegressionSet::kSlots; ++slot) {
        auto* radio = new QRadioButton(QStringLiteral("Régr. &%1").arg(slot), slotsBox);
        m_pSlots->addButton(radio, slot);
        slotsLayout->addWidget(radio);
    }

    m_cbType = new QComboBox(this);
    m_cbType->setObjectName(QStringLiteral("type"));
    for (const char* type : kTypes)
        m_cbType->addItem(QString::fromUtf8(type));
    m_pTolerance = NewRealEdit(this, "tolerance");
    auto* fields = new QGridLayout;
    fields->addWidget(NewBuddyLabel(QStringLiteral("&Type:"), m_cbType, this), 0, 0);
    fields->addWidget(m_cbType, 0, 1);
    fields->addWidget(NewBuddyLabel(QStringLiteral("&Ec(mm):"), m_pTolerance, this), 1, 0);
    fields->addWidget(m_pTolerance, 1, 1);

    auto* point1 = new QPushButton(QStringLiteral("Point &1"), this);
    auto* point2 = new QPushButton(QStringLiteral("Point &2"), this);
    m_btnCompute = new QPushButton(QStringLiteral("&Calculer"), this);
    auto* close = new QPushButton(QStringLiteral("&Fermer"), this);
    // Enter goes to this hidden button, which does nothing.
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    ok->hide();
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {point1, point2, m_btnCompute, close}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch();

    m_pMessage = NewMessageField(this, 340, 80);
    m_pDraw = new QCheckBox(QStringLiteral("&Tracer la régression sur le graphe"), this);

    auto* coefficientsBox = new QGroupBox(QStringLiteral("Coefficients calculés"), this);
    auto* coefficients = new QGridLayout(coefficientsBox);
    for (int k = 0; k < CRegressionSet::kCoefficients; ++k) {
        m_pCoef[k] = new QLabel(coefficientsBox);
        m_pCoef[k]->setObjectName(QStringLiteral("coef%1").arg(k));
        m_pCoef[k]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        coefficients->addWidget(m_pCoef[k], k % 4, k / 4);
    }

    auto* top = new QHBoxLayout;
    top->addWidget(slotsBox);
    top->addLayout(fields);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_pMessage, 1);
    layout->addWidget(m_pDraw);
    layout->addWidget(coefficientsBox);

    m_pPause = new QTimer(this);
    m_pPause->setSingleShot(true);
    m_pPause->setInterval(CRegressionPanel::kPauseMs);

    connect(point1, &QPushButton::clicked, this, [this] { OnPick(1); });
    connect(point2, &QPushButton::clicked, this, [this] { OnPick(2); });
    connect(m_btnCompute, &QPushButton::clicked, this, &CRegressionDlg::OnCompute);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_pSlots, &QButtonGroup::idClicked, this, [this](int slot) {
        m_panel.SelectSlot(slot);
        ShowControls();
    });
    connect(m_pDraw, &QCheckBox::clicked, this, [this](bool on) { m_panel.SetDraw(on); });
    connect(m_cbType, qOverload<int>(&QComboBox::activated), this,
            [this](int index) { m_panel.SelectType(index); });
    connect(m_pPause, &QTimer::timeout, this, &CRegressionDlg::OnPauseOver);

    doc->m_bRegressionOpen = 1;
    ShowRealField(m_pTolerance, m_panel.m_fTolerance);
    ShowControls();
}

float CRegressionDlg::ReadTolerance() const {
    return ReadRealField(m_pTolerance, m_panel.m_fTolerance);
}

void CRegressionDlg::ShowControls() {
    QString shown = m_panel.m_strMessage;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_pMessage->setText(shown);
    for (int k = 0; k < CRegressionSet::kCoefficients; ++k)
        m_pCoef[k]->setText(m_panel.m_strCoef[k]);
    if (QAbstractButton* radio = m_pSlots->button(m_panel.m_nSlot)) radio->setChecked(true);
    m_pDraw->setChecked(m_panel.m_bDraw != 0);
    m_cbType->setCurrentIndex(m_panel.m_nType);
    m_btnCompute->setEnabled(m_panel.m_bComputeEnabled);
}

void CRegressionDlg::PickPoint(bool found, std::int16_t row, std::int16_t xCol, std::int16_t yCol,
                               float x, float y, float distance) {
    m_panel.PickPoint(found, row, xCol, yCol, x, y, distance);
    ShowControls();
}

void CRegressionDlg::OnPick(int point) {
    m_panel.StartPicking(point, ReadTolerance());
    ShowRealField(m_pTolerance, m_panel.m_fTolerance);
    ShowControls();
}

// The computing message shows for a moment before the result replaces it;
// the window keeps answering meanwhile.
void CRegressionDlg::OnCompute() {
    if (!m_panel.StartCompute()) return;
    ShowControls();
    m_pPause->start();
}

void CRegressionDlg::OnPauseOver() {
    m_panel.Tick(CRegressionPanel::kPauseMs);
    ShowControls();
}

void CRegressionDlg::Finish() {
    if (m_bClosing) return;
    m_bClosing = true;
    m_pPause->stop();
    m_panel.Close(ReadTolerance(), m_pApp);
    ShowRealField(m_pTolerance, m_panel.m_fTolerance);
    emit closed();
    emit redrawRequested();
}

// However the window goes ("&Fermer", Escape or its close box), the document
// and the view learn that it is gone, then it deletes itself.
void CRegressionDlg::closeEvent(QCloseEvent* event) {
    Finish();
    event->accept();
}

void CRegressionDlg::reject() {
    close();
}
