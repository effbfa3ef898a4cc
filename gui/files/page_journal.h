// SPDX-License-Identifier: GPL-3.0-or-later
// The journal of a page: every change of the page after its page file was written, so that the
// work since then survives a crash, a power cut or a lost display. A journal ("QV1.journal")
// lies beside its page file, which is its base:
//
//   header  "QVJOURN1", the base's size (8 bytes) and CRC-32 (4), a CRC-32 of these 20 bytes
//   record  payload length (4), CRC-32 of the payload (4), payload:
//           position (8), characters removed there (8), the page's length after the change (8),
//           the characters written there as RTF (WriteRtfRange; empty for a pure removal);
//           position -1: the whole page, as RTF in the form of a page file
//
// Numbers are little-endian; positions and lengths count the characters of the QTextDocument.
// A record cut short by a power cut fails its length or its checksum: it and all after it are
// dropped. A journal may begin with the page itself as a whole-page record, so that it can be
// replayed when its page file is gone, and a long one is rewritten from such a record. A journal
// whose base is not the page file on the disk (the page file was replaced after the journal was
// started) holds nothing that the page file lacks and is ignored.
#pragma once

#include <QByteArray>
#include <QFont>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

class QTextDocument;
class QTextEdit;

namespace quorvel {

struct JournalBase
{
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    bool operator==(const JournalBase&) const = default;
};

// The position of a record that replaces the whole page.
constexpr std::int64_t kWholePage = -1;

struct JournalRecord
{
    std::int64_t position = 0;
    std::int64_t removed = 0;
    std::int64_t lengthAfter = 0;
    QByteArray rtf;
};

struct ParsedJournal
{
    bool valid = false; // the header is whole
    JournalBase base;
    std::vector<JournalRecord> records; // the whole ones, up to the first that is not
    qsizetype goodEnd = 0; // bytes up to the end of the last whole record (or the header)
};

// The identity of a page file's bytes (a missing file has that of no bytes).
JournalBase JournalBaseOf(const QByteArray& pageBytes);
QByteArray JournalHeader(const JournalBase& base);
QByteArray EncodeJournalRecord(const JournalRecord& record);
ParsedJournal ParseJournal(const QByteArray& bytes);

// Reads a journal file record by record, so that a journal of any size costs the memory of one
// record: a damaged or hostile journal is never read whole. Only a regular file is opened, never
// through a link and never waiting for a FIFO's writer.
class JournalReader
{
public:
    explicit JournalReader(const QString& path);
    ~JournalReader();
    JournalReader(const JournalReader&) = delete;
    JournalReader& operator=(const JournalReader&) = delete;

    // Whether the file could be opened as a regular file; else problem() says why.
    bool isOpen() const { return m_fd >= 0; }
    const QString& problem() const { return m_problem; }
    // Whether the header is whole; then base() is the page file it was started on.
    bool valid() const { return m_valid; }
    JournalBase base() const { return m_base; }
    // Whether this journal belongs to the page file of that base: its header is whole and was
    // written on those bytes. Only then do its records apply to the page file.
    bool startedOn(const JournalBase& pageBase) const { return m_valid && m_base == pageBase; }
    qint64 size() const { return m_size; }
    // The end of the header or of the last whole record read.
    qint64 offset() const { return m_offset; }

    // The next whole record; false at the end or at the first record that is not whole.
    bool next(JournalRecord& record);
    // The journal's bytes in [from, to), for a rewrite that keeps them.
    bool read(qint64 from, qint64 to, QByteArray& out) const;

private:
    // The bytes [at, at + length), from a buffer that reads ahead; null when the file ends.
    const char* bytesAt(qint64 at, qint64 length);
    static constexpr qint64 kReadAhead = qint64{1} << 20;

    int m_fd = -1;
    QByteArray m_buffer;
    qint64 m_bufferStart = 0;
    QString m_problem;
    bool m_valid = false;
    JournalBase m_base;
    qint64 m_size = 0;
    qint64 m_offset = 0;
};

// A whole-page record: the page as RTF in the form of a page file.
QByteArray WholePageRecord(const QByteArray& rtf, std::int64_t length);

// The page a journal leads to when it is applied to its page file, as a page file's RTF, and the
// page's length; for rewriting a long journal from a whole-page record on a thread of its own.
// Only the records before `upTo` count. Empty when the journal does not fit or `cancel` is set.
// The page's default font decides the RTF's as it does on the page.
QByteArray PageAfterJournal(const QByteArray& pageFile, const QString& journalPath, qint64 upTo,
                            const QFont& font, std::int64_t* length,
                            const std::atomic<bool>& cancel);

// Makes the change on the document as it was made on the page. False, with the document left
// as far as it got, when the record does not fit the document (then the rest cannot either).
bool ApplyJournalRecord(QTextDocument& doc, const JournalRecord& record);

// The document's length as the journal counts it: without the final paragraph end, which no
// edit can remove.
int JournalLength(const QTextDocument& doc);

// Watches a page and turns its changes into journal records, on the window's thread and at a
// cost that follows the size of the change, not of the page. Changes close to each other (a
// line rewritten by Enter, a recalculated sheet, a paste) become one record, made as soon as the
// event that caused them is handled. A page that gets a new document ("Text laden") records the
// whole new document once.
class PageWatcher : public QObject
{
    Q_OBJECT

public:
    using Sink = std::function<void(QByteArray record)>;

    PageWatcher(QTextEdit& page, Sink sink, QObject* parent = nullptr);

    // Turns pending changes into records now.
    void flush();
    // Whether there were changes since the last call of takeChanged().
    bool takeChanged();
    // The page's whole text as RTF, for a fresh page file; pending changes are flushed first,
    // so the records before the snapshot and the snapshot agree.
    QByteArray snapshot();
    // Records made since the page's file was last written (set back by the caller).
    int recordsSinceSnapshot = 0;

private:
    void attach();
    void onChange(int position, int removed, int added);
    // Records the pending change: `position` as the document before it counts, its new
    // characters read from `readFrom` of the document as it is now.
    void emitRecord(int position, int readFrom, int removed, int added);

    QTextEdit& m_page;
    Sink m_sink;
    QPointer<QTextDocument> m_doc;
    int m_length = 0; // the document's length as the records so far describe it
    // Pending change: the document's characters [m_start, m_start + m_added) replace
    // [m_start, m_start + m_removed) of the document as the last record left it.
    bool m_pending = false;
    int m_start = 0;
    int m_removed = 0;
    int m_added = 0;
    bool m_changed = false;
    QTimer m_timer;
};

} // namespace quorvel
