// SPDX-License-Identifier: GPL-3.0-or-later
// Pages as files: reading a file into a text page and writing a page as RTF. Shared by the
// worksheet's documents, the page files kept from run to run, and the help window.
#pragma once

#include "engine/base/file_writer.h"

#include <QByteArray>
#include <QString>

#include <memory>

class QTextDocument;
class QTextEdit;

namespace quorvel {

// Replaces the page's text by the file: RTF with its formatting, any other file as plain text
// (UTF-16 by its byte-order mark, UTF-8 when valid, else Windows-1252). Only a regular file is
// read. On failure the page is unchanged and *error says why.
bool LoadDocument(QTextEdit& page, const QString& path, QString* error);

// The steps of LoadDocument for callers that hold the bytes already: a new, empty document with
// the page's font and settings; the bytes read into it as above; and the document shown in the
// page in place of its old one, with the long-page layout where the page is long.
std::unique_ptr<QTextDocument> NewPageDocument(const QTextEdit& page);
// Gives a document made elsewhere (on another thread, say) the page's font, settings and owner.
void TakePageSettings(const QTextEdit& page, QTextDocument& doc);
void ReadPageBytes(const QByteArray& bytes, QTextDocument& doc);
void ShowDocument(QTextEdit& page, std::unique_ptr<QTextDocument> doc);

// Writes the page as RTF by the file writer's rules (base/file_writer.h): a regular file is
// replaced atomically, so the old file stays intact when writing fails. Returns an empty text on
// success, else the German reason naming the file.
QString SaveDocument(const QTextEdit& page, const QString& path, FileOwner owner = FileOwner::User);

// Writes a document (a page, a PDF, a picture) the same way. Empty on success, else the German
// reason naming the file.
QString WriteDocumentFile(const QString& path, const QByteArray& bytes,
                          FileOwner owner = FileOwner::User);

} // namespace quorvel
