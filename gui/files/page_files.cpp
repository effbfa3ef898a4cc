// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/files/page_files.h"

#include "engine/base/text_encoding.h"
#include "gui/files/atomic_file.h"
#include "gui/files/regular_file.h"
#include "gui/page_layout/long_lines.h"
#include "gui/page_layout/long_page_layout.h"
#include "gui/rtf/reader.h"
#include "gui/rtf/writer.h"

#include <QDir>
#include <QTextDocument>
#include <QTextEdit>

#include <cerrno>

namespace quorvel {

std::unique_ptr<QTextDocument> NewPageDocument(const QTextEdit& page)
{
    // The text goes into a new document that then replaces the page's: filling the document
    // on screen made the editor lay all of it out twice, and a long page loaded four times
    // slower. The new one keeps the page's settings and has the owner that deletes the old.
    auto doc = std::make_unique<QTextDocument>();
    TakePageSettings(page, *doc);
    return doc;
}

void TakePageSettings(const QTextEdit& page, QTextDocument& doc)
{
    const QTextDocument& current = *page.document();
    doc.setParent(current.parent());
    doc.setDefaultFont(current.defaultFont());
    doc.setDefaultTextOption(current.defaultTextOption());
    doc.setDocumentMargin(current.documentMargin());
    doc.setIndentWidth(current.indentWidth());
}

void ReadPageBytes(const QByteArray& bytes, QTextDocument& doc)
{
    if (IsRtf(bytes)) {
        ReadRtf(bytes, doc);
        return;
    }
    const std::u16string text =
        DecodeTextFile(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    doc.setPlainText(QString::fromStdU16String(text));
}

void ShowDocument(QTextEdit& page, std::unique_ptr<QTextDocument> doc)
{
    // Before the page shows it: the toolkit's layout would start on all of it at once.
    if (IsLongPage(*doc))
        doc->setDocumentLayout(new LongPageLayout(doc.get()));
    page.setDocument(doc.release());
    FollowPageLength(page);
}

bool LoadDocument(QTextEdit& page, const QString& path, QString* error)
{
    std::unique_ptr<QTextDocument> doc = NewPageDocument(page);
    {
        // The file's bytes live only as long as this block: a long page's layout, built next,
        // does not have to share the memory with them.
        const FileRead file = ReadRegularFile(path);
        if (file.state != FileRead::State::Regular) {
            if (error)
                *error = QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2")
                             .arg(QDir::toNativeSeparators(path),
                                  file.state == FileRead::State::Missing ? SystemReason(ENOENT)
                                                                         : file.reason);
            return false;
        }
        ReadPageBytes(file.bytes, *doc);
    }
    ShowDocument(page, std::move(doc));
    return true;
}

QString SaveDocument(const QTextEdit& page, const QString& path, FileOwner owner)
{
    return WriteDocumentFile(path, WriteRtf(*page.document()), owner);
}

QString WriteDocumentFile(const QString& path, const QByteArray& bytes, FileOwner owner)
{
    const QString reason = WriteFileReason(path, bytes, owner);
    if (reason.isEmpty())
        return {};
    return NotWrittenText(path, reason);
}

} // namespace quorvel
