#include "worksheet/documents.h"

#include "base/text_encoding.h"
#include "platform/message_boxes.h"
#include "platform/rtf_reader.h"
#include "platform/rtf_writer.h"
#include "worksheet/main_window.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>
#include <QTabWidget>
#include <QTextDocument>
#include <QTextEdit>

#include <memory>

namespace quorvel {
namespace {

const QString kFilter = QStringLiteral("*.rtf (*.rtf);;*.* (*)");

} // namespace

bool LoadDocument(QTextEdit& page, const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2")
                         .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2")
                         .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    // The text goes into a new document that then replaces the page's: filling the document
    // on screen made the editor lay all of it out twice, and a long page loaded four times
    // slower. The new one keeps the page's settings and has the owner that deletes the old.
    const QTextDocument& current = *page.document();
    auto loaded = std::make_unique<QTextDocument>(current.parent());
    loaded->setDefaultFont(current.defaultFont());
    loaded->setDefaultTextOption(current.defaultTextOption());
    loaded->setDocumentMargin(current.documentMargin());
    loaded->setIndentWidth(current.indentWidth());
    if (IsRtf(data)) {
        if (!ReadRtf(data, *loaded, error))
            return false;
    } else {
        const std::u16string text = DecodeUtf8OrWindows1252(
            std::string_view(data.constData(), static_cast<std::size_t>(data.size())));
        loaded->setPlainText(QString::fromStdU16String(text));
    }
    page.setDocument(loaded.release());
    return true;
}

QString SaveDocument(const QTextEdit& page, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(WriteRtf(*page.document())) < 0 ||
        !file.commit()) {
        return QStringLiteral("Die Datei %1 konnte nicht geschrieben werden: %2")
            .arg(QDir::toNativeSeparators(path), file.errorString());
    }
    return {};
}

DocumentCommands::DocumentCommands(TForm1& form) : m_form(form)
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

void DocumentCommands::Textladen1Click()
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

void DocumentCommands::Dateispeichern1Click()
{
    const QString preset = OpenDialogFileName.isEmpty() ? SaveDialogFileName : OpenDialogFileName;
    m_form.pageControl()->setCurrentIndex(0);
    const QString path = runSaveDialog(preset);
    if (path.isEmpty())
        return;
    SaveDialogFileName = path;
    const QString error = SaveDocument(*m_form.page(0), path);
    if (!error.isEmpty()) {
        ShowInfo(error, &m_form);
        return;
    }
    setPageCaption(path);
}

void DocumentCommands::setPageCaption(const QString& path)
{
    m_form.pageControl()->setTabText(0, QFileInfo(path).completeBaseName());
}

} // namespace quorvel
