// SPDX-License-Identifier: GPL-3.0-or-later
// The journal's records: their bytes, reading them back, applying them, and making them from a
// page's changes.
#include "gui/files/page_journal.h"

#include "gui/files/atomic_file.h"
#include "gui/files/regular_file.h"
#include "gui/rtf/reader.h"
#include "gui/rtf/writer.h"

#include <QFile>

#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace quorvel {
namespace {

constexpr char kMagic[] = "QVJOURN1";
constexpr qsizetype kMagicSize = sizeof kMagic - 1;
constexpr qsizetype kHeaderSize = kMagicSize + 8 + 4 + 4;
constexpr qsizetype kRecordHead = 4 + 4;
constexpr qsizetype kPayloadHead = 8 + 8 + 8;
// Changes this close together become one record; the characters between them are written
// again, which costs less than a record of their own.
constexpr int kNearChars = 256;

std::uint32_t crcOf(const char* data, qsizetype size)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes sizes as unsigned int; a page is fed in pieces.
    while (size > 0) {
        const auto piece = static_cast<uInt>(std::min<qsizetype>(size, qsizetype{1} << 30));
        crc = crc32(crc, reinterpret_cast<const Bytef*>(data), piece);
        data += piece;
        size -= piece;
    }
    return static_cast<std::uint32_t>(crc);
}

template <typename T> void put(QByteArray& out, T value)
{
    for (std::size_t k = 0; k < sizeof(T); ++k)
        out.append(static_cast<char>(static_cast<std::uint64_t>(value) >> (8 * k) & 0xFF));
}

template <typename T> T get(const char* data)
{
    std::uint64_t value = 0;
    for (std::size_t k = 0; k < sizeof(T); ++k)
        value |= std::uint64_t{static_cast<unsigned char>(data[k])} << (8 * k);
    return static_cast<T>(value);
}

JournalRecord decodePayload(const char* payload, qsizetype size)
{
    JournalRecord record;
    record.position = get<std::int64_t>(payload);
    record.removed = get<std::int64_t>(payload + 8);
    record.lengthAfter = get<std::int64_t>(payload + 16);
    record.rtf = QByteArray(payload + kPayloadHead, size - kPayloadHead);
    return record;
}

bool readAt(int fd, char* data, qint64 size, qint64 at)
{
    while (size > 0) {
        const ssize_t got = ::pread(fd, data, static_cast<std::size_t>(size), at);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        data += got;
        size -= got;
        at += got;
    }
    return true;
}

} // namespace

JournalBase JournalBaseOf(const QByteArray& pageBytes)
{
    return {static_cast<std::uint64_t>(pageBytes.size()),
            crcOf(pageBytes.constData(), pageBytes.size())};
}

QByteArray JournalHeader(const JournalBase& base)
{
    QByteArray out(kMagic, kMagicSize);
    put(out, base.size);
    put(out, base.crc);
    put(out, crcOf(out.constData(), out.size()));
    return out;
}

QByteArray EncodeJournalRecord(const JournalRecord& record)
{
    QByteArray payload;
    payload.reserve(kPayloadHead + record.rtf.size());
    put(payload, record.position);
    put(payload, record.removed);
    put(payload, record.lengthAfter);
    payload.append(record.rtf);
    QByteArray out;
    out.reserve(kRecordHead + payload.size());
    put(out, static_cast<std::uint32_t>(payload.size()));
    put(out, crcOf(payload.constData(), payload.size()));
    out.append(payload);
    return out;
}

ParsedJournal ParseJournal(const QByteArray& bytes)
{
    ParsedJournal parsed;
    const char* data = bytes.constData();
    if (bytes.size() < kHeaderSize || std::memcmp(data, kMagic, kMagicSize) != 0 ||
        get<std::uint32_t>(data + kHeaderSize - 4) != crcOf(data, kHeaderSize - 4))
        return parsed;
    parsed.valid = true;
    parsed.base = {get<std::uint64_t>(data + kMagicSize),
                   get<std::uint32_t>(data + kMagicSize + 8)};
    qsizetype at = kHeaderSize;
    while (bytes.size() - at >= kRecordHead) {
        const auto size = static_cast<qsizetype>(get<std::uint32_t>(data + at));
        const auto crc = get<std::uint32_t>(data + at + 4);
        if (size < kPayloadHead || size > bytes.size() - at - kRecordHead ||
            crcOf(data + at + kRecordHead, size) != crc)
            break;
        parsed.records.push_back(decodePayload(data + at + kRecordHead, size));
        at += kRecordHead + size;
    }
    parsed.goodEnd = at;
    return parsed;
}

JournalReader::JournalReader(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        m_problem = errno == ELOOP ? QString::fromStdString(NotRegularFileText(S_IFLNK))
                                   : SystemReason(errno);
        return;
    }
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        m_problem = QString::fromStdString(NotRegularFileText(info.st_mode));
        ::close(fd);
        return;
    }
    m_fd = fd;
    m_size = info.st_size;
    char header[kHeaderSize];
    if (m_size < kHeaderSize || !readAt(m_fd, header, kHeaderSize, 0) ||
        std::memcmp(header, kMagic, kMagicSize) != 0 ||
        get<std::uint32_t>(header + kHeaderSize - 4) != crcOf(header, kHeaderSize - 4))
        return;
    m_valid = true;
    m_base = {get<std::uint64_t>(header + kMagicSize), get<std::uint32_t>(header + kMagicSize + 8)};
    m_offset = kHeaderSize;
}

JournalReader::~JournalReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

const char* JournalReader::bytesAt(qint64 at, qint64 length)
{
    if (at < m_bufferStart || at + length > m_bufferStart + m_buffer.size()) {
        const qint64 wanted = std::min(std::max(length, kReadAhead), m_size - at);
        m_buffer.resize(static_cast<qsizetype>(wanted));
        m_bufferStart = at;
        if (wanted < length || !readAt(m_fd, m_buffer.data(), wanted, at)) {
            m_buffer.clear();
            return nullptr;
        }
    }
    return m_buffer.constData() + (at - m_bufferStart);
}

bool JournalReader::next(JournalRecord& record)
{
    if (!m_valid || m_size - m_offset < kRecordHead)
        return false;
    const char* head = bytesAt(m_offset, kRecordHead);
    if (!head)
        return false;
    const auto size = static_cast<qint64>(get<std::uint32_t>(head));
    const auto crc = get<std::uint32_t>(head + 4);
    if (size < kPayloadHead || size > m_size - m_offset - kRecordHead)
        return false;
    // Records as typing makes them are read from the buffer; a long one (a whole page) has its
    // checksum tested before it is held.
    if (size <= kReadAhead) {
        const char* payload = bytesAt(m_offset + kRecordHead, size);
        if (!payload || crcOf(payload, size) != crc)
            return false;
        record = decodePayload(payload, size);
        m_offset += kRecordHead + size;
        return true;
    }
    // The checksum first, in pieces: a damaged length must not make us hold gigabytes.
    constexpr qint64 kPiece = qint64{1} << 16;
    uLong sum = crc32(0L, Z_NULL, 0);
    char piece[kPiece];
    for (qint64 done = 0; done < size;) {
        const qint64 step = std::min(kPiece, size - done);
        if (!readAt(m_fd, piece, step, m_offset + kRecordHead + done))
            return false;
        sum = crc32(sum, reinterpret_cast<const Bytef*>(piece), static_cast<uInt>(step));
        done += step;
    }
    if (static_cast<std::uint32_t>(sum) != crc)
        return false;
    QByteArray payload(static_cast<qsizetype>(size), Qt::Uninitialized);
    if (!readAt(m_fd, payload.data(), size, m_offset + kRecordHead))
        return false;
    record = decodePayload(payload.constData(), payload.size());
    m_offset += kRecordHead + size;
    return true;
}

bool JournalReader::read(qint64 from, qint64 to, QByteArray& out) const
{
    if (m_fd < 0 || from < 0 || to < from || to > m_size)
        return false;
    out.resize(static_cast<qsizetype>(to - from));
    return readAt(m_fd, out.data(), to - from, from);
}

QByteArray WholePageRecord(const QByteArray& rtf, std::int64_t length)
{
    return EncodeJournalRecord({kWholePage, 0, length, rtf});
}

QByteArray PageAfterJournal(const QByteArray& pageFile, const QString& journalPath, qint64 upTo,
                            const QFont& font, std::int64_t* length,
                            const std::atomic<bool>& cancel)
{
    JournalReader reader(journalPath);
    if (!reader.startedOn(JournalBaseOf(pageFile)))
        return {};
    QTextDocument doc;
    doc.setUndoRedoEnabled(false);
    doc.setDefaultFont(font);
    ReadRtf(pageFile, doc);
    JournalRecord record;
    while (reader.offset() < upTo && reader.next(record)) {
        if (cancel.load(std::memory_order_relaxed) || !ApplyJournalRecord(doc, record))
            return {};
    }
    if (reader.offset() != upTo)
        return {};
    *length = JournalLength(doc);
    return WriteRtf(doc);
}

int JournalLength(const QTextDocument& doc)
{
    return doc.characterCount() - 1;
}

bool ApplyJournalRecord(QTextDocument& doc, const JournalRecord& record)
{
    if (record.position == kWholePage) {
        ReadRtf(record.rtf, doc);
        return JournalLength(doc) == record.lengthAfter;
    }
    const std::int64_t length = JournalLength(doc);
    if (record.position < 0 || record.removed < 0 || record.position > length ||
        record.removed > length - record.position)
        return false;
    QTextCursor cursor(&doc);
    cursor.setPosition(static_cast<int>(record.position));
    cursor.setPosition(static_cast<int>(record.position + record.removed), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    if (!record.rtf.isEmpty())
        InsertRtf(record.rtf, cursor);
    return JournalLength(doc) == record.lengthAfter;
}

PageWatcher::PageWatcher(QTextEdit& page, Sink sink, QObject* parent)
    : QObject(parent), m_page(page), m_sink(std::move(sink))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &PageWatcher::flush);
    attach();
    m_length = JournalLength(*m_doc);
}

void PageWatcher::attach()
{
    if (m_doc)
        disconnect(m_doc, nullptr, this, nullptr);
    m_doc = m_page.document();
    connect(m_doc, &QTextDocument::contentsChange, this, &PageWatcher::onChange);
    // "Text laden" gives the page a new document and deletes the old one first; the new one is
    // in place once the loading has finished.
    connect(m_doc, &QObject::destroyed, this, [this] { m_timer.start(); });
}

void PageWatcher::onChange(int position, int removed, int added)
{
    m_changed = true;
    m_timer.start();
    const int before = m_pending ? m_length - m_removed + m_added : m_length;
    const int after = JournalLength(*m_doc);
    // The document may count the final paragraph end in; what the page lost and gained must
    // add up to its new length, else the whole page is recorded.
    removed = std::min(removed, before - position);
    added = after - (before - removed);
    if (position < 0 || position > before || removed < 0 || added < 0 || position + added > after) {
        m_pending = true;
        m_start = 0;
        m_removed = m_length;
        m_added = after;
        return;
    }
    if (!m_pending) {
        m_pending = true;
        m_start = position;
        m_removed = removed;
        m_added = added;
        return;
    }
    const int end = m_start + m_added;
    if (position > end + kNearChars || position + removed < m_start - kNearChars) {
        // Far from the pending change: that one is recorded first, read from where it stands
        // now, as the record before this change describes it.
        const int shift = position + removed <= m_start ? added - removed : 0;
        emitRecord(m_start, m_start + shift, m_removed, m_added);
        m_pending = true;
        m_start = position;
        m_removed = removed;
        m_added = added;
        return;
    }
    // One span that covers both, in the coordinates of the document before this change.
    const int from = std::min(m_start, position);
    const int to = std::max(end, position + removed);
    m_removed = to - (m_added - m_removed) - from;
    m_added = to - removed + added - from;
    m_start = from;
}

void PageWatcher::emitRecord(int position, int readFrom, int removed, int added)
{
    JournalRecord record;
    record.position = position;
    record.removed = removed;
    record.lengthAfter = m_length - removed + added;
    // A change of the whole page (a new document, a page cleared or set at once) is the page
    // as its file would hold it, read back as a page file is.
    if (position == 0 && removed == m_length && readFrom == 0 && added == JournalLength(*m_doc)) {
        record.position = kWholePage;
        record.rtf = WriteRtf(*m_doc);
    } else if (added > 0) {
        record.rtf = WriteRtfRange(*m_doc, readFrom, readFrom + added);
    }
    m_length = static_cast<int>(record.lengthAfter);
    m_pending = false;
    ++recordsSinceSnapshot;
    m_sink(EncodeJournalRecord(record));
}

void PageWatcher::flush()
{
    if (m_doc != m_page.document()) {
        // A new document: it replaces whatever the page held, changes not yet recorded
        // included.
        attach();
        m_pending = true;
        m_start = 0;
        m_removed = m_length;
        m_added = JournalLength(*m_doc);
        m_changed = true;
    }
    if (m_pending)
        emitRecord(m_start, m_start, m_removed, m_added);
    m_timer.stop();
}

bool PageWatcher::takeChanged()
{
    return std::exchange(m_changed, false);
}

QByteArray PageWatcher::snapshot()
{
    flush();
    return WriteRtf(*m_doc);
}

} // namespace quorvel
