// SPDX-License-Identifier: GPL-3.0-or-later
// Message boxes built as QMessageBox objects (not the static helpers), so that the buttons are
// exactly the ones the program has always shown.
#include "platform/message_boxes.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

namespace quorvel {
namespace {

QString boxTitle()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("Quorvel") : name;
}

} // namespace

bool ConfirmYesNo(const QString& text, QWidget* parent)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Bestätigung"), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void ShowInfo(const QString& text, QWidget* parent)
{
    QMessageBox box(QMessageBox::Information, boxTitle(), text, QMessageBox::Ok, parent);
    box.exec();
}

QMessageBox* ShowNote(const QString& text, QWidget* parent)
{
    auto* box =
        new QMessageBox(QMessageBox::Information, boxTitle(), text, QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("Hinweis"));
    box->setAccessibleName(QStringLiteral("Hinweis"));
    box->setAccessibleDescription(text);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    // The note waits beside the page; the keys the user types go on reaching the page.
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    box->show();
    return box;
}

void ShowErrorMessage(const QString& text, QWidget* parent)
{
    QMessageBox box(QMessageBox::Critical, boxTitle(), text, QMessageBox::Ok, parent);
    box.exec();
}

bool InstallGermanTranslations(QCoreApplication& app)
{
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_de"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

} // namespace quorvel
