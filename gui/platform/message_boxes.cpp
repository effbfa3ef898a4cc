// SPDX-License-Identifier: GPL-3.0-or-later
// Message boxes built as QMessageBox objects (not the static helpers), so that the buttons are
// exactly the ones the program has always shown.
#include "gui/platform/message_boxes.h"

#include "gui/platform/keyboard_panes.h"
#include "gui/platform/window_system.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPointer>
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
    // Where the compositor hands every new window the keyboard (Wayland), a note that belongs to
    // the main window would also take it back at every click into the main window: there the
    // note stands on its own and goes when the main window goes.
    const bool onItsOwn = !PlatformActivatesOnRequest();
    auto* box = new QMessageBox(QMessageBox::Information, boxTitle(), text, QMessageBox::Ok,
                                onItsOwn ? nullptr : parent);
    box->setObjectName(QStringLiteral("Hinweis"));
    box->setAccessibleName(QStringLiteral("Hinweis"));
    box->setAccessibleDescription(text);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setAttribute(Qt::WA_QuitOnClose, false);
    box->setWindowModality(Qt::NonModal);
    // The note waits beside the page; the keys the user types go on reaching the page, and F6
    // reaches the note.
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    const QPointer<QWidget> from(parent);
    if (onItsOwn && parent != nullptr)
        QObject::connect(parent, &QObject::destroyed,
                         [note = QPointer<QMessageBox>(box)] { delete note; });
    box->show();
    AddPaneWindow(*box);
    // Given the keyboard all the same, the note passes the keys on to where they were going.
    if (onItsOwn)
        PassKeysToPage(*box, [from]() -> QWidget* {
            if (from == nullptr)
                return nullptr;
            QWidget* focus = from->window()->focusWidget();
            return focus != nullptr ? focus : from.data();
        });
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
