#include "code/ui/generatedlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "code/generation.h"
#include "common/format.h"
#include "common/ui/numberfield.h"
#include "doc/zbdoc.h"

CGenerateDlg::CGenerateDlg(CZbDoc* doc, QWidget* parent) : QDialog(parent), m_pDoc(doc) {
    setWindowTitle(QStringLiteral("Génération d'un code EAN13"));

    // Digits only: the code string must hold digits for drawing and decoding.
    m_pFirstEdit = NewDigitsEdit(this, "first", 1);
    m_pLeftEdit = NewDigitsEdit(this, "left", 6);
    m_pRightEdit = NewDigitsEdit(this, "right", 5);
    m_pCheckLabel = new QLabel(this);
    m_pCheckLabel->setObjectName(QStringLiteral("check"));
    m_pCheckLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pCheckLabel->setMinimumWidth(24);
    m_pCheckLabel->setAlignment(Qt::AlignCenter);

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    auto* quit = new QPushButton(QStringLiteral("&Quitter"), this);
    ok->setDefault(true);

    auto* fields = new QHBoxLayout;
    fields->addWidget(m_pFirstEdit, 1);
    fields->addWidget(m_pLeftEdit, 6);
    fields->addWidget(m_pRightEdit, 5);
    fields->addWidget(m_pCheckLabel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(quit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    const TypedCode typed = SplitCode(m_pDoc->m_strCode);
    m_strFirst = typed.strFirst;
    m_strLeft = typed.strLeft;
    m_strRight = typed.strRight;
    // The check digit "&OK" would store: the stored one for a consistent code.
    m_strCheck = Sprintf("%d", TypedCheckDigit(typed, m_pDoc->m_strCode));
    m_pFirstEdit->setText(m_strFirst);
    m_pLeftEdit->setText(m_strLeft);
    m_pRightEdit->setText(m_strRight);
    m_pCheckLabel->setText(m_strCheck);

    for (QLineEdit* edit : {m_pFirstEdit, m_pLeftEdit, m_pRightEdit})
        connect(edit, &QLineEdit::textChanged, this, &CGenerateDlg::OnFieldChanged);
    connect(ok, &QPushButton::clicked, this, &CGenerateDlg::OnOk);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);
}

void CGenerateDlg::ReadControls() {
    m_strFirst = m_pFirstEdit->text();
    m_strLeft = m_pLeftEdit->text();
    m_strRight = m_pRightEdit->text();
}

void CGenerateDlg::OnFieldChanged() {
    ReadControls();
    m_strCheck =
        Sprintf("%d", TypedCheckDigit({m_strFirst, m_strLeft, m_strRight}, m_pDoc->m_strCode));
    m_pCheckLabel->setText(m_strCheck);
}

void CGenerateDlg::OnOk() {
    ReadControls();
    m_pDoc->m_strCode = MergeTypedCode({m_strFirst, m_strLeft, m_strRight}, m_pDoc->m_strCode);
    m_pDoc->m_nDisplay = 0; // the code sheet shows the new code
    emit redrawRequested();
    accept();
}
