// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/page_recovery.h"

#include "app/page_preread.h"
#include "app/program_windows.h"
#include "gui/files/atomic_file.h"
#include "gui/files/page_files.h"
#include "gui/files/page_journal.h"
#include "gui/files/program_dir.h"
#include "gui/files/regular_file.h"
#include "gui/rtf/reader.h"
#include "gui/rtf/writer.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProgressBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quorvel {
namespace {

// A slice of a replay on the window thread: short enough that typing elsewhere stays smooth.
constexpr qint64 kSliceMs = 20;

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString pageName(const ProgramWindows& windows, int index)
{
    return windows.mainWindow.pageControl()->tabText(index);
}

QString number(qint64 value)
{
    return QLocale(QLocale::German).toString(value);
}

bool holdsText(const QByteArray& bytes)
{
    return std::any_of(bytes.begin(), bytes.end(),
                       [](char c) { return c != ' ' && c != '\t' && c != '\r' && c != '\n'; });
}

mode_t kindAt(const QString& path)
{
    struct stat info
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode : 0;
}

// A name beside `path` that nothing has yet: base + suffix, then base + "-2" + suffix, ...
QString freeName(const QString& base, const QString& suffix)
{
    for (int n = 1; n < 1000; ++n) {
        const QString name = base + (n > 1 ? QStringLiteral("-%1").arg(n) : QString()) + suffix;
        struct stat info
        {
        };
        if (::lstat(QFile::encodeName(name).constData(), &info) != 0 && errno == ENOENT)
            return name;
    }
    return {};
}

// Renames without replacing anything; empty on success, else the reason.
QString renameFree(const QString& from, const QString& to)
{
    if (::renameat2(AT_FDCWD, QFile::encodeName(from).constData(), AT_FDCWD,
                    QFile::encodeName(to).constData(), RENAME_NOREPLACE) != 0)
        return SystemReason(errno);
    SyncFolderOf(to);
    return {};
}

// The journal of a page file that is gone, under a name that says when it was last written.
QString datedJournalName(const QString& journal, int index)
{
    const QString stamp =
        QFileInfo(journal).lastModified().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    const QString base = QFileInfo(journal).absolutePath() + QLatin1Char('/') +
                         QFileInfo(PageFileName(index)).completeBaseName() + QLatin1Char('-') +
                         stamp;
    return freeName(base, QStringLiteral(".journal"));
}

// A copy of a journal that could not be taken over whole, under a dated name beside it, made
// before this session's journal takes its place: what the replay could not read may still be
// read by hand. Empty on success (the copy's name in `kept`), else the reason.
QString keepDatedCopy(const QString& journal, int index, QString& kept)
{
    kept = datedJournalName(journal, index);
    if (kept.isEmpty())
        return SystemReason(EEXIST);
    const int from = ::open(QFile::encodeName(journal).constData(),
                            O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (from < 0)
        return SystemReason(errno);
    const int to =
        ::open(QFile::encodeName(kept).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (to < 0) {
        const int error = errno;
        ::close(from);
        return SystemReason(error);
    }
    int error = 0;
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            error = errno;
        if (n <= 0)
            break;
        if (!WriteAll(to, {buffer.data(), static_cast<std::size_t>(n)})) {
            error = errno;
            break;
        }
    }
    if (error == 0 && ::fsync(to) != 0)
        error = errno;
    ::close(from);
    if (::close(to) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        ::unlink(QFile::encodeName(kept).constData());
        return SystemReason(error);
    }
    SyncFolderOf(kept);
    return {};
}

// The sentence that says where a journal not taken over whole is kept.
QString keptSentence(const QString& kept)
{
    return QStringLiteral(" Das Journal ist unver\u00E4ndert als «%1» erhalten.")
        .arg(QFileInfo(kept).fileName());
}

// A dated copy of the journal, and the sentence that says where it is or why it is not.
QString keptNote(const QString& journal, int index)
{
    QString kept;
    const QString reason = keepDatedCopy(journal, index, kept);
    return reason.isEmpty()
               ? keptSentence(kept)
               : QStringLiteral(" Eine Kopie des Journals lie\u00DF sich nicht anlegen: %1.")
                     .arg(reason);
}

// The progress of a long replay, in the window it belongs to.
void showEmptyWhileReplaying(QTextEdit& page)
{
    page.setReadOnly(true);
    page.setPlaceholderText(QStringLiteral("Die Seite wird wiederhergestellt \u2026"));
}

} // namespace

JournalReplay::JournalReplay(int page, Target target, const QString& journalPath,
                             std::unique_ptr<QTextDocument> doc)
    : m_page(page), m_target(target), m_journalPath(journalPath),
      m_reader(std::make_unique<JournalReader>(journalPath)), m_doc(std::move(doc))
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (step(kSliceMs)) {
            m_timer.stop();
            emit finished();
        }
    });
    m_doc->setUndoRedoEnabled(false);
}

JournalReplay::~JournalReplay() = default;

qint64 JournalReplay::journalSize() const
{
    return m_reader->size();
}

void JournalReplay::runToEnd()
{
    step(-1);
}

void JournalReplay::runInSlices()
{
    m_timer.start();
}

int JournalReplay::percent() const
{
    const qint64 size = std::max<qint64>(m_reader->size(), 1);
    return static_cast<int>(m_reader->offset() * 100 / size);
}

bool JournalReplay::step(qint64 budgetMs)
{
    if (m_done)
        return true;
    QElapsedTimer clock;
    clock.start();
    JournalRecord record;
    int sinceCheck = 0;
    while (m_reader->next(record)) {
        // After a record that did not fit nothing can, and before the first whole page of a
        // journal without its page file there is nothing to apply the records to.
        const bool applies = !m_failed && (m_target == Target::Page || foundWholePage ||
                                           record.position == kWholePage);
        if (!applies) {
            ++dropped;
        } else {
            foundWholePage = foundWholePage || record.position == kWholePage;
            if (ApplyJournalRecord(*m_doc, record)) {
                ++applied;
            } else {
                m_failed = true;
                ++dropped;
            }
        }
        if (budgetMs >= 0 && ++sinceCheck >= 16) {
            sinceCheck = 0;
            if (clock.elapsed() >= budgetMs)
                return false;
        }
    }
    tornBytes = m_reader->valid() ? m_reader->size() - m_reader->offset() : 0;
    m_doc->setUndoRedoEnabled(true);
    m_done = true;
    return true;
}

QString JournalReplay::droppedNote(const QString& pageName) const
{
    if (dropped == 0 && tornBytes == 0)
        return {};
    // Verbs and nouns agree with a count of one, as with any other.
    QString note = QStringLiteral("Von den \u00C4nderungen im Journal %1 der Seite «%2» %3 %4 "
                                  "\u00FCbernommen")
                       .arg(shown(m_journalPath), pageName,
                            applied == 1 ? QStringLiteral("wurde") : QStringLiteral("wurden"),
                            number(applied));
    if (dropped == 1)
        note += QStringLiteral("; 1 passte nicht zur Seite und wurde verworfen, mit allem, was "
                               "danach kam");
    else if (dropped > 0)
        note += QStringLiteral("; %1 passten nicht zur Seite und wurden verworfen, mit allem, was "
                               "danach kam")
                    .arg(number(dropped));
    if (tornBytes == 1)
        note += QStringLiteral("; das letzte Byte war kein ganzer Eintrag (etwa nach einem "
                               "Stromausfall) und wurde verworfen");
    else if (tornBytes > 0)
        note += QStringLiteral("; die letzten %1 Bytes waren kein ganzer Eintrag (etwa nach einem "
                               "Stromausfall) und wurden verworfen")
                    .arg(number(tornBytes));
    return note + QLatin1Char('.');
}

std::unique_ptr<QTextDocument> JournalReplay::takeDocument()
{
    return std::move(m_doc);
}

LateReplays::LateReplays(ProgramWindows& windows,
                         std::vector<std::unique_ptr<JournalReplay>> replays, Done done)
    : m_windows(windows), m_replays(std::move(replays)), m_done(std::move(done))
{
    m_progressTimer.setInterval(200);
    connect(&m_progressTimer, &QTimer::timeout, this, &LateReplays::showProgress);
}

LateReplays::~LateReplays() = default;

void LateReplays::start()
{
    if (m_replays.empty())
        return;
    m_clock.start();
    m_progressTimer.start();
    JournalReplay& replay = *m_replays.front();
    connect(&replay, &JournalReplay::finished, this, &LateReplays::next, Qt::QueuedConnection);
    replay.runInSlices();
}

void LateReplays::next()
{
    std::unique_ptr<JournalReplay> replay = std::move(m_replays.front());
    m_replays.erase(m_replays.begin());
    QStringList notes;
    const bool ontoPage = FinishReplay(m_windows, *replay, notes);
    if (m_replays.empty()) {
        m_progressTimer.stop();
        m_bar = nullptr;
        m_windows.mainWindow.setStatusBar(nullptr);
    }
    m_done(replay->page(), ontoPage, notes);
    start();
}

void LateReplays::showProgress()
{
    // A replay that ends within a second needs no progress to be seen.
    if (m_replays.empty() || m_clock.elapsed() < 1000)
        return;
    const JournalReplay& replay = *m_replays.front();
    const QString text = QStringLiteral("Die Seite «%1» wird aus ihrem Journal wiederhergestellt")
                             .arg(pageName(m_windows, replay.page()));
    if (!m_bar) {
        QStatusBar* line = m_windows.mainWindow.statusBar();
        m_bar = new QProgressBar(line);
        m_bar->setRange(0, 100);
        line->addPermanentWidget(m_bar);
    }
    m_windows.mainWindow.statusBar()->showMessage(text);
    m_bar->setAccessibleName(text);
    m_bar->setValue(replay.percent());
}

QString PutAside(const QString& path, QString* reason)
{
    const QByteArray from = QFile::encodeName(path);
    const bool regular = S_ISREG(kindAt(path));
    for (int number = 1; number < 1000; ++number) {
        const QString kept =
            path + QStringLiteral(".unlesbar") + (number > 1 ? QString::number(number) : QString());
        const QByteArray to = QFile::encodeName(kept);
        // A second name costs no space; where the file system has none, the file is renamed.
        int done = regular ? ::linkat(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), 0) : -1;
        if (done != 0 && (!regular || errno != EEXIST))
            done =
                ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
        if (done == 0) {
            SyncFolderOf(path);
            return kept;
        }
        if (errno != EEXIST) {
            *reason = SystemReason(errno);
            return {};
        }
    }
    *reason = SystemReason(EEXIST);
    return {};
}

FoundJournal LoadPage(ProgramWindows& windows, int index, QStringList& notes,
                      std::unique_ptr<JournalReplay>* later, PagePreread* preread)
{
    QTextEdit& page = *windows.mainWindow.page(index);
    const QString name = pageName(windows, index);
    const QString path = ProgramDir() + PageFileName(index);
    const QString journalPath = ProgramDir() + JournalFileName(index);

    // The page file: read through a link, but the link itself is put aside, as the program
    // writes its pages only into files of its own.
    PrereadPage early = preread ? preread->take(index) : PrereadPage{ReadRegularFile(path), {}};
    FileRead& file = early.file;
    QString keptLink; // where the link was put aside
    if (S_ISLNK(kindAt(path))) {
        QString reason;
        const QString kept = PutAside(path, &reason);
        keptLink = kept;
        if (kept.isEmpty()) {
            LeaveFileAlone(PageFileName(index));
            notes << QStringLiteral("%1 ist eine symbolische Verkn\u00FCpfung und lie\u00DF sich "
                                    "nicht beiseitelegen: %2. Quorvel schreibt nicht durch "
                                    "Verkn\u00FCpfungen; die Seite «%3» wird in dieser Sitzung "
                                    "nicht gespeichert.")
                         .arg(shown(path), reason, name);
            return FoundJournal::None;
        }
        notes << QStringLiteral("%1 war eine symbolische Verkn\u00FCpfung. Quorvel schreibt nicht "
                                "durch Verkn\u00FCpfungen: Sie ist unver\u00E4ndert als «%2» "
                                "erhalten, und die Seite «%3» wird ab jetzt in einer eigenen "
                                "Datei %1 gespeichert.")
                     .arg(shown(path), QFileInfo(kept).fileName(), name);
        if (file.state != FileRead::State::Regular)
            file = FileRead{};
    }
    if (file.state == FileRead::State::NotRegular || file.state == FileRead::State::Unreadable) {
        LeaveFileAlone(PageFileName(index));
        notes << QStringLiteral("Die Seite «%1» wird nicht aus %2 gelesen und in dieser Sitzung "
                                "nicht dorthin gespeichert: %3.")
                     .arg(name, shown(path), file.reason);
        return FoundJournal::None;
    }

    // The journal: anything but a file under its name is put aside, so that the journal of this
    // session is a file of its own.
    const mode_t journalKind = kindAt(journalPath);
    const bool journalFound = journalKind != 0;
    if (journalFound && !S_ISREG(journalKind)) {
        QString reason;
        const QString kept = PutAside(journalPath, &reason);
        const QString kind = QString::fromStdString(NotRegularFileText(journalKind));
        if (kept.isEmpty()) {
            LeaveFileAlone(JournalFileName(index));
            notes << QStringLiteral("Unter dem Namen des Journals %1 liegt etwas anderes (%2), und "
                                    "es lie\u00DF sich nicht beiseitelegen: %3. Die Seite «%4» "
                                    "wird in dieser Sitzung erst beim Beenden gespeichert.")
                         .arg(shown(journalPath), kind, reason, name);
        } else {
            notes << QStringLiteral(
                         "Unter dem Namen des Journals %1 lag etwas anderes (%2). Es ist "
                         "unver\u00E4ndert als «%3» erhalten; Quorvel legt ein neues "
                         "Journal an.")
                         .arg(shown(journalPath), kind, QFileInfo(kept).fileName());
        }
    }
    std::unique_ptr<JournalReplay> replay;
    bool replayOntoPage = false;
    if (journalFound && S_ISREG(journalKind)) {
        JournalReader reader(journalPath);
        const bool records = reader.valid() && reader.size() > reader.offset();
        if (!reader.valid() && QFileInfo(journalPath).size() > 0)
            notes << QStringLiteral("Das Journal %1 der Seite «%2» lie\u00DF sich nicht lesen; "
                                    "Quorvel legt ein neues an.")
                             .arg(shown(journalPath), name) +
                         keptNote(journalPath, index);
        if (records && reader.startedOn(JournalBaseOf(file.bytes))) {
            replayOntoPage = true;
        } else if (records) {
            // The page file was replaced after the journal began: what the user put there stays,
            // and the journal's work goes into a file of its own.
            const QString dated = datedJournalName(journalPath, index);
            const QString reason =
                dated.isEmpty() ? SystemReason(EEXIST) : renameFree(journalPath, dated);
            if (reason.isEmpty()) {
                replay = std::make_unique<JournalReplay>(index, JournalReplay::Target::File, dated,
                                                         NewPageDocument(page));
            } else {
                LeaveFileAlone(JournalFileName(index));
                notes << QStringLiteral("Das Journal %1 geh\u00F6rt zu einer \u00E4lteren Fassung "
                                        "von %2 und lie\u00DF sich nicht umbenennen: %3. Es bleibt "
                                        "unver\u00E4ndert; die Seite «%4» wird in dieser Sitzung "
                                        "erst beim Beenden gespeichert.")
                             .arg(shown(journalPath), shown(path), reason, name);
            }
        }
    }
    // Nothing to read: the page stays as the window made it, with the format typing gets there.
    const FoundJournal found = replayOntoPage ? FoundJournal::OntoPage
                               : replay || IsFileLeftAlone(JournalFileName(index))
                                   ? FoundJournal::Elsewhere
                               : S_ISREG(journalKind) ? FoundJournal::Empty
                                                      : FoundJournal::None;
    if (file.state == FileRead::State::Missing && !replay && !replayOntoPage)
        return found;

    bool writeNow = false;
    if (file.state == FileRead::State::Regular && !IsRtf(file.bytes) && holdsText(file.bytes)) {
        // Not a file the program wrote: it stays, under a name of its own, before anything is
        // written over it; the page shows what can be read of it as text.
        // A link read here has been put aside already; the name is free for the page's own file.
        QString reason;
        const QString kept = keptLink.isEmpty() ? PutAside(path, &reason) : keptLink;
        if (kept.isEmpty()) {
            LeaveFileAlone(PageFileName(index));
            notes << QStringLiteral("Die Datei %1 ist keine RTF-Datei und konnte nicht umbenannt "
                                    "werden: %2. Die Seite «%3» wird in dieser Sitzung nicht "
                                    "dorthin gespeichert.")
                         .arg(shown(path), reason, name);
        } else {
            if (keptLink.isEmpty())
                notes << QStringLiteral(
                             "Die Datei %1 ist keine RTF-Datei. Sie ist unver\u00E4ndert als "
                             "«%2» erhalten; die Seite «%3» zeigt ihren Inhalt als Text.")
                             .arg(shown(path), QFileInfo(kept).fileName(), name);
            writeNow = true;
        }
    }
    std::unique_ptr<QTextDocument> doc;
    if (early.doc && file.state == FileRead::State::Regular) {
        doc = std::move(early.doc);
        TakePageSettings(page, *doc);
    } else {
        doc = NewPageDocument(page);
        ReadPageBytes(file.bytes, *doc);
    }
    if (replayOntoPage) {
        // The records apply to the page file in the replay's own document.
        replay = std::make_unique<JournalReplay>(index, JournalReplay::Target::Page, journalPath,
                                                 std::move(doc));
        if (writeNow) {
            replay->runToEnd();
            FinishReplay(windows, *replay, notes);
            replay.reset();
        }
    } else {
        ShowDocument(page, std::move(doc));
    }
    if (writeNow) {
        // The page file holds the journal's records now; the journal would not fit it any more.
        if (const QString error = SaveDocument(page, path, FileOwner::Program); !error.isEmpty())
            notes << error;
        else if (replayOntoPage)
            ::unlink(QFile::encodeName(journalPath).constData());
    }
    if (replay) {
        if (later && replay->journalSize() > kReplayAtOnceBytes) {
            if (replay->target() == JournalReplay::Target::Page)
                showEmptyWhileReplaying(page);
            *later = std::move(replay);
        } else {
            replay->runToEnd();
            FinishReplay(windows, *replay, notes);
        }
    }
    return found;
}

bool FinishReplay(ProgramWindows& windows, JournalReplay& replay, QStringList& notes)
{
    const int index = replay.page();
    QTextEdit& page = *windows.mainWindow.page(index);
    const QString name = pageName(windows, index);
    const bool whole = replay.dropped == 0 && replay.tornBytes == 0;
    if (const QString dropped = replay.droppedNote(name); !dropped.isEmpty())
        notes << dropped + (replay.target() == JournalReplay::Target::Page
                                ? keptNote(replay.journalPath(), index)
                                : QString());
    if (replay.target() == JournalReplay::Target::Page) {
        ShowDocument(page, replay.takeDocument());
        page.setReadOnly(false);
        page.setPlaceholderText(QString());
        return true;
    }
    const QString pagePath = ProgramDir() + PageFileName(index);
    if (!replay.foundWholePage) {
        notes << QStringLiteral("Die Seite «%1» zeigt %2, wie es jetzt im Programmordner liegt. "
                                "Das Journal der letzten Sitzung geh\u00F6rt zu einer anderen "
                                "Fassung dieser Datei, die nicht mehr da ist; es ist als «%3» "
                                "erhalten.")
                     .arg(name, shown(pagePath), QFileInfo(replay.journalPath()).fileName());
        return false;
    }
    const QString base = ProgramDir() + QFileInfo(PageFileName(index)).completeBaseName() +
                         QStringLiteral("-wiederhergestellt");
    const QString target = freeName(base, QStringLiteral(".rtf"));
    const QString error =
        target.isEmpty()
            ? SystemReason(EEXIST)
            : WriteFileReason(target, WriteRtf(*replay.takeDocument()), FileOwner::Program);
    if (!error.isEmpty()) {
        notes << QStringLiteral("Die Seite «%1» zeigt %2, wie es jetzt im Programmordner liegt. "
                                "Die \u00C4nderungen der letzten Sitzung lie\u00DFen sich nicht "
                                "in eine eigene Datei schreiben (%3); ihr Journal ist als «%4» "
                                "erhalten.")
                     .arg(name, shown(pagePath), error, QFileInfo(replay.journalPath()).fileName());
        return false;
    }
    if (whole)
        ::unlink(QFile::encodeName(replay.journalPath()).constData());
    notes << QStringLiteral("Die Seite «%1» zeigt %2, wie es jetzt im Programmordner liegt. Die "
                            "\u00C4nderungen der letzten Sitzung passten nicht mehr dazu; sie "
                            "sind in %3 erhalten.")
                 .arg(name, shown(pagePath), shown(target));
    if (!whole)
        notes.last() += keptSentence(replay.journalPath());
    return false;
}

} // namespace quorvel
