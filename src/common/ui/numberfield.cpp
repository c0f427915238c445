#include "common/ui/numberfield.h"

#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include "common/format.h"

QLineEdit* NewRealEdit(QWidget* parent, const char* objectName) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(objectName));
    // A French keyboard's decimal comma is taken as the point.
    static const QRegularExpression real(
        QStringLiteral("[-+]?[0-9]*[.,]?[0-9]*([eE][-+]?[0-9]*)?"));
    edit->setValidator(new QRegularExpressionValidator(real, edit));
    return edit;
}

QLineEdit* NewDigitsEdit(QWidget* parent, const char* objectName, int maxDigits) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(objectName));
    static const QRegularExpression digits(QStringLiteral("[0-9]*"));
    edit->setValidator(new QRegularExpressionValidator(digits, edit));
    edit->setMaxLength(maxDigits);
    return edit;
}

float ReadRealField(const QLineEdit* edit, float previous) {
    // An entry left as shown keeps all the digits the text rounded away.
    if (edit->text() == Sprintf("%g", previous)) return previous;
    bool ok = false;
    QString text = edit->text().trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    const float value = QLocale::c().toFloat(text, &ok);
    return ok ? value : previous;
}

int ReadIntegerField(const QLineEdit* edit, int previous) {
    bool ok = false;
    const int value = QLocale::c().toInt(edit->text().trimmed(), &ok);
    return ok ? value : previous;
}

// Six significant digits, as many as a float holds.
void ShowRealField(QLineEdit* edit, float value) {
    edit->setText(Sprintf("%g", value));
}

void ShowIntegerField(QLineEdit* edit, int value) {
    edit->setText(Sprintf("%d", value));
}
