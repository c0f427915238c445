#include "app/aboutdlg.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/programicon.h"

QStringList CAboutDlg::History() {
    return {
        QStringLiteral("05/10/06: Modification acquisition GW Instek"),
        QStringLiteral("26/09/06: Mise en route laser sans lecture"),
        QStringLiteral("13/11/05: Ajout oscillo GW Instek"),
        QStringLiteral("03/02/05: Correction bogue Serialize"),
        QStringLiteral("12/02/04: Modification lecture Leuze"),
        QStringLiteral("11/02/04: Modification constructeur classe CCode"),
        QStringLiteral("03/02/04: Modification fonction rotation y"),
        QStringLiteral("31/03/03: Bogue curseur souris"),
        QStringLiteral("29/03/03: Visualisation image"),
        QStringLiteral("25/03/03: Modif. acq. oscilloscope"),
        QStringLiteral("24/03/03: Acq. PC-MES3"),
        QStringLiteral("19/03/03: Lect. port série sous NT4/W2000/XP"),
        QStringLiteral("16/03/03: Possibilité d'extraction par demi-codes"),
        QStringLiteral("15/03/03: Lecteur Leuze BCL32"),
        QStringLiteral("09/03/03: Gestion des épaisseurs et couleurs"),
        QStringLiteral("08/03/03: Modification extraction code"),
        QStringLiteral("04/12/02: Modification extraction code"),
        QStringLiteral("..."),
        QStringLiteral("14/01/02: Ecriture logiciel"),
    };
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("A propos du logiciel"));

    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap::fromImage(ProgramIconImage(32)));
    auto* name = new QLabel(QStringLiteral("Logiciel Lineatix"), this);
    auto* credit = new QLabel(
        QStringLiteral("Atelier d'étude de la lecture optique des codes à barres EAN-13"), this);
    auto* close = new QPushButton(QStringLiteral("&Fermer"), this);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    // An edit field over a drop-down list: the first entry shows in the field.
    auto* history = new QComboBox(this);
    history->setObjectName(QStringLiteral("history"));
    history->setEditable(true);
    history->lineEdit()->setReadOnly(true);
    history->addItems(History());
    history->setCurrentIndex(0);
    auto* group = new QGroupBox(QStringLiteral("Historique des modifications"), this);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(history);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(credit);
    top->addLayout(texts, 1);
    top->addWidget(close, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(group);
}
