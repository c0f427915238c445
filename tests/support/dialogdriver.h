#pragma once

// Helpers for tests that drive real dialogs with QTest clicks. Header only:
// the support library itself links no widgets.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <functional>

// The button of a dialog showing exactly this text ("&OK"), or null.
inline QAbstractButton* FindButton(const QWidget* parent, const QString& text) {
    for (QAbstractButton* button : parent->findChildren<QAbstractButton*>())
        if (button->text() == text) return button;
    return nullptr;
}

// Clicks the button showing this text; false when there is none or it is
// disabled (a real click would do nothing).
inline bool ClickButton(const QWidget* parent, const QString& text) {
    QAbstractButton* button = FindButton(parent, text);
    if (!button || !button->isEnabled() || !button->isVisible()) return false;
    QTest::mouseClick(button, Qt::LeftButton);
    return true;
}

// The check box of a dialog showing exactly this text, or null.
inline QCheckBox* Box(const QWidget* dialog, const QString& text) {
    for (QCheckBox* box : dialog->findChildren<QCheckBox*>())
        if (box->text() == text) return box;
    return nullptr;
}

// Clicks a check box or radio on its indicator (a click in the middle of a
// wide box may miss its text).
inline void ClickIndicator(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

// The text of the dialog's message field (object name "message").
inline QString Message(const QWidget* dialog) {
    return dialog->findChild<QLabel*>(QStringLiteral("message"))->text();
}

// Replaces an edit's text by typing, as a user would (the validator applies).
inline void TypeInto(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// Runs a modal dialog: the steps run from a zero-delay timer once exec() has
// shown it. A dialog the steps leave open (a failed check returns early) is
// rejected so the test never hangs. Returns exec()'s result.
inline int RunModal(QDialog& dialog, const std::function<void()>& steps) {
    QTimer::singleShot(0, &dialog, [&dialog, steps] {
        steps();
        if (dialog.isVisible()) dialog.reject();
    });
    return dialog.exec();
}

// Runs an acquisition dialog modally, as RunModal: its reject() may keep it
// open while it works, so one the steps leave open is closed with done()
// instead ("&Fermer" never pressed), and a failed check never hangs the test.
inline void RunAcquisitionDialog(QDialog& dialog, const std::function<void()>& steps) {
    QTimer::singleShot(0, &dialog, [&dialog, steps] {
        steps();
        if (dialog.isVisible()) dialog.done(QDialog::Rejected);
    });
    dialog.exec();
}

// Runs steps against the next modal dialog of type D that opens (a nested
// chooser), from a zero-delay timer; rejects it if the steps leave it open.
template <class D> void WhenModalOpens(const std::function<void(D*)>& steps) {
    QTimer::singleShot(0, [steps] {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        if (!dialog) return;
        steps(dialog);
        if (dialog->isVisible()) dialog->reject();
    });
}
