#include "graph/ui/legenddlg.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/ui/dialogparts.h"
#include "common/ui/numberfield.h"
#include "doc/zbdoc.h"

namespace {
const QString kCaption = QStringLiteral("Logiciel Lineatix");
}

CLegendDlg::CLegendDlg(CZbDoc* doc, QWidget* parent) : QDialog(parent), m_pDoc(doc) {
    setWindowTitle(QStringLiteral("Définition légende"));

    m_lbLines = new QListWidget(this);
    m_lbLines->setObjectName(QStringLiteral("lines"));
    m_lbLines->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* hint =
        new QLabel(QStringLiteral("Sélectionner à la souris l'information à retirer"), this);

    auto* addBox = new QGroupBox(QStringLiteral("Information à ajouter"), this);
    m_edText = new QLineEdit(addBox);
    m_edText->setObjectName(QStringLiteral("text"));
    auto* add = new QPushButton(QStringLiteral("&Ajouter"), addBox);
    auto* addLayout = new QHBoxLayout(addBox);
    addLayout->addWidget(m_edText, 1);
    addLayout->addWidget(add);

    auto* positionBox = new QGroupBox(QStringLiteral("Position d'écriture dans le tracé"), this);
    m_pXEdit = NewRealEdit(positionBox, "x");
    m_pYEdit = NewRealEdit(positionBox, "y");
    auto* position = new QFormLayout(positionBox);
    position->addRow(NewBuddyLabel(QStringLiteral("&x(mm):"), m_pXEdit, positionBox), m_pXEdit);
    position->addRow(NewBuddyLabel(QStringLiteral("&y(mm):"), m_pYEdit, positionBox), m_pYEdit);
    m_pShow = new QCheckBox(QStringLiteral("&Ecrire ces informations dans le tracé"), this);

    auto* remove = new QPushButton(QStringLiteral("&Retirer"), this);
    auto* removeAll = new QPushButton(QStringLiteral("Retirer &tout"), this);
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    auto* quit = new QPushButton(QStringLiteral("&Quitter"), this);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {remove, removeAll, ok, quit}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    add->setAutoDefault(false);
    buttons->addStretch();

    auto* left = new QVBoxLayout;
    left->addWidget(m_lbLines, 1);
    left->addWidget(hint);
    left->addWidget(addBox);
    left->addWidget(positionBox);
    left->addWidget(m_pShow);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    connect(add, &QPushButton::clicked, this, &CLegendDlg::OnAdd);
    connect(remove, &QPushButton::clicked, this, &CLegendDlg::OnRemove);
    connect(removeAll, &QPushButton::clicked, this, &CLegendDlg::OnRemoveAll);
    connect(ok, &QPushButton::clicked, this, &CLegendDlg::OnOk);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);

    m_lbLines->addItems(m_pDoc->m_astrLegend);
    m_edText->setText(m_pDoc->Title());
    m_fX = m_pDoc->m_fLegendX;
    m_fY = m_pDoc->m_fLegendY;
    m_bShow = m_pDoc->m_bLegend != 0;
    ShowRealField(m_pXEdit, m_fX);
    ShowRealField(m_pYEdit, m_fY);
    m_pShow->setChecked(m_bShow);
}

bool CLegendDlg::Ask(const QString& question) {
    return QMessageBox::question(this, kCaption, question, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

// A line already listed, whatever its case, is not added twice.
void CLegendDlg::OnAdd() {
    const QString text = m_edText->text();
    for (int i = 0; i < m_lbLines->count(); ++i) {
        if (m_lbLines->item(i)->text().compare(text, Qt::CaseInsensitive) == 0) {
            QMessageBox::information(this, kCaption, QStringLiteral("Elément déjà dans la liste!"),
                                     QMessageBox::Ok);
            return;
        }
    }
    const QList<QListWidgetItem*> selected = m_lbLines->selectedItems();
    if (selected.isEmpty())
        m_lbLines->addItem(text);
    else
        m_lbLines->insertItem(m_lbLines->row(selected.first()), text);
}

void CLegendDlg::OnRemove() {
    const QList<QListWidgetItem*> selected = m_lbLines->selectedItems();
    if (selected.isEmpty()) return;
    if (!Ask(QStringLiteral("Voulez-vous supprimer cet élément?"))) return;
    delete m_lbLines->takeItem(m_lbLines->row(selected.first()));
}

void CLegendDlg::OnRemoveAll() {
    if (Ask(QStringLiteral("Voulez-vous supprimer tous le contenu?"))) m_lbLines->clear();
}

void CLegendDlg::OnOk() {
    m_fX = ReadRealField(m_pXEdit, m_fX);
    m_fY = ReadRealField(m_pYEdit, m_fY);
    m_bShow = m_pShow->isChecked();
    QStringList lines;
    for (int i = 0; i < m_lbLines->count(); ++i)
        lines << m_lbLines->item(i)->text();
    m_pDoc->m_astrLegend = lines;
    m_pDoc->m_fLegendX = m_fX;
    m_pDoc->m_fLegendY = m_fY;
    m_pDoc->m_bLegend = m_bShow;
    emit redrawRequested();
    accept();
}
