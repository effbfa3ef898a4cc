// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/worksheet/documents.h"

#include "gui/files/page_files.h"
#include "gui/platform/message_boxes.h"
#include "gui/worksheet/main_window.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QTabWidget>

namespace quorvel {
namespace {

const QString kFilter = QStringLiteral("*.rtf (*.rtf);;*.* (*)");

} // namespace

DocumentCommands::DocumentCommands(MainWindow& form) : m_form(form)
{
    runOpenDialog = [this](const QString& preset) {
        QFileDialog dialog(&m_form, QStringLiteral("Text laden"), preset, kFilter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(QStringLiteral("rtf"));
        if (!preset.isEmpty())
            dialog.selectFile(preset);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    runSaveDialog = [this](const QString& preset) {
        QFileDialog dialog(&m_form, QStringLiteral("Text speichern"), preset, kFilter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("rtf"));
        if (!preset.isEmpty())
            dialog.selectFile(preset);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
}

void DocumentCommands::onLoadText()
{
    const QString path =
        runOpenDialog(SaveDialogFileName.isEmpty() ? OpenDialogFileName : SaveDialogFileName);
    if (path.isEmpty())
        return;
    OpenDialogFileName = path;
    QString error;
    if (!LoadDocument(*m_form.page(0), path, &error)) {
        ShowInfo(error, &m_form);
        return;
    }
    setPageCaption(path);
}

void DocumentCommands::onSaveText()
{
    if (savePageAs(0))
        setPageCaption(SaveDialogFileName);
}

bool DocumentCommands::savePageAs(int index)
{
    const QString preset = OpenDialogFileName.isEmpty() ? SaveDialogFileName : OpenDialogFileName;
    m_form.pageControl()->setCurrentIndex(index);
    const QString path = runSaveDialog(preset);
    if (path.isEmpty())
        return false;
    SaveDialogFileName = path;
    const QString error = SaveDocument(*m_form.page(index), path);
    if (!error.isEmpty()) {
        ShowInfo(error, &m_form);
        return false;
    }
    return true;
}

void DocumentCommands::setPageCaption(const QString& path)
{
    m_form.setPageCaption(0, QFileInfo(path).completeBaseName());
}

} // namespace quorvel
