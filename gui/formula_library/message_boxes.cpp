// Question and information boxes with the captions of the German platform dialogs.
#include "formula_library/message_boxes.h"

#include <QApplication>
#include <QMessageBox>

namespace quorvel {

namespace {

QWidget* boxParent(QWidget* parent)
{
    return parent != nullptr ? parent : QApplication::activeWindow();
}

} // namespace

bool confirmYesNoBox(const QString& text, QWidget* parent)
{
    const auto answer = QMessageBox::question(boxParent(parent), QStringLiteral("Bestätigen"), text,
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    return answer == QMessageBox::Yes;
}

void showInfoBox(const QString& text, QWidget* parent)
{
    QMessageBox::information(boxParent(parent), QStringLiteral("Information"), text);
}

} // namespace quorvel
