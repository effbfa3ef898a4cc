// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/page_files.h"

#include "base/text_encoding.h"
#include "files/atomic_file.h"
#include "page_layout/long_lines.h"
#include "page_layout/long_page_layout.h"
#include "rtf/reader.h"
#include "rtf/writer.h"

#include <QDir>
#include <QFile>
#include <QTextDocument>
#include <QTextEdit>

#include <memory>

namespace quorvel {
namespace {

// Fills doc with the file's text. The file's bytes live only as long as this call: a long page's
// layout, built next, does not have to share the memory with them.
bool ReadPageFile(const QString& path, QTextDocument& doc, QString* error)
{
    QFile file(path);
    const bool opened = file.open(QIODevice::ReadOnly);
    const QByteArray data = opened ? file.readAll() : QByteArray();
    if (!opened || file.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2")
                         .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    if (IsRtf(data))
        return ReadRtf(data, doc, error);
    const std::u16string text =
        DecodeTextFile(std::string_view(data.constData(), static_cast<std::size_t>(data.size())));
    doc.setPlainText(QString::fromStdU16String(text));
    return true;
}

} // namespace

bool LoadDocument(QTextEdit& page, const QString& path, QString* error)
{
    // The text goes into a new document that then replaces the page's: filling the document
    // on screen made the editor lay all of it out twice, and a long page loaded four times
    // slower. The new one keeps the page's settings and has the owner that deletes the old.
    const QTextDocument& current = *page.document();
    auto loaded = std::make_unique<QTextDocument>(current.parent());
    loaded->setDefaultFont(current.defaultFont());
    loaded->setDefaultTextOption(current.defaultTextOption());
    loaded->setDocumentMargin(current.documentMargin());
    loaded->setIndentWidth(current.indentWidth());
    if (!ReadPageFile(path, *loaded, error))
        return false;
    // Before the page shows it: the toolkit's layout would start on all of it at once.
    if (IsLongPage(*loaded))
        loaded->setDocumentLayout(new LongPageLayout(loaded.get()));
    page.setDocument(loaded.release());
    FollowPageLength(page);
    return true;
}

QString SaveDocument(const QTextEdit& page, const QString& path)
{
    return WriteDocumentFile(path, WriteRtf(*page.document()));
}

QString WriteDocumentFile(const QString& path, const QByteArray& bytes)
{
    const QString reason = WriteFileReason(path, bytes);
    if (reason.isEmpty())
        return {};
    return QStringLiteral("Die Datei %1 konnte nicht geschrieben werden: %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

} // namespace quorvel
