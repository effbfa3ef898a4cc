// SPDX-License-Identifier: GPL-3.0-or-later
// The pages at the start: each page file read into its page, and the work its journal holds
// after a session that did not end normally put back. A journal is read record by record, so a
// journal of any size costs the memory of one record, and a long one is replayed in slices
// after the window is shown, with its progress in the window.
//
// The program's own files are never written through a link or into something that is not a
// file: a link under a page's or a journal's name, and anything but a file under a journal's
// name, is put aside under a name of its own ("QV1.journal.unlesbar"); a page file that is not
// RTF is kept the same way; a FIFO, a device or a folder under a page's name is left alone.
//
// A journal whose page file is no longer the one it was started on (an older copy put back
// after a crash) is replayed from the page it begins with into a file beside the page
// ("QV1-wiederhergestellt.rtf"); the page shows the file as the user put it. A journal without
// such a beginning is kept under a dated name.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class QProgressBar;
class QTextDocument;

namespace quorvel {

class PagePreread;

struct ProgramWindows;
class JournalReader;

// Applies a journal's records to a document, all at once or in slices on the event loop.
class JournalReplay : public QObject
{
    Q_OBJECT

public:
    enum class Target {
        Page, // the journal's own page file is in the document: every record applies
        File, // its page file is gone: the records apply from the first whole-page record on
    };

    JournalReplay(int page, Target target, const QString& journalPath,
                  std::unique_ptr<QTextDocument> doc);
    ~JournalReplay() override;

    int page() const { return m_page; }
    Target target() const { return m_target; }
    const QString& journalPath() const { return m_journalPath; }
    qint64 journalSize() const;

    // The whole replay now.
    void runToEnd();
    // In slices of a few milliseconds, so that the window stays usable; finished() at the end.
    void runInSlices();
    bool isDone() const { return m_done; }
    // The share of the journal read so far, 0 to 100.
    int percent() const;

    // What the replay did, for the note: records applied, records that did not fit (and all
    // after them), bytes at the end that were no whole record, and, for Target::File, whether
    // the journal held a whole page to start from.
    qint64 applied = 0;
    qint64 dropped = 0;
    qint64 tornBytes = 0;
    bool foundWholePage = false;
    // A sentence for the user when records were dropped; empty otherwise.
    QString droppedNote(const QString& pageName) const;

    std::unique_ptr<QTextDocument> takeDocument();

signals:
    void finished();

private:
    bool step(qint64 budgetMs);

    int m_page;
    Target m_target;
    QString m_journalPath;
    std::unique_ptr<JournalReader> m_reader;
    std::unique_ptr<QTextDocument> m_doc;
    bool m_failed = false;
    bool m_done = false;
    QTimer m_timer;
};

// Replays that are longer than this many bytes of journal wait until the window is shown.
inline constexpr qint64 kReplayAtOnceBytes = qint64{1} << 20;

// Reads page file `index` into its page and sorts out its journal; notes what the user should
// know. A replay that has to wait for the window (when `later` is given) is handed over through
// it, with its page left empty and read-only; otherwise every replay is done before this
// returns. Returns what journal was found (only a session that did not end normally leaves one)
// and where its work goes. The page file comes from `preread` when it is given.
enum class FoundJournal { None, Empty, OntoPage, Elsewhere };
FoundJournal LoadPage(ProgramWindows& windows, int index, QStringList& notes,
                      std::unique_ptr<JournalReplay>* later, PagePreread* preread = nullptr);

// What happens when a replay has finished: a page's replay is shown in the page (and true
// returned: its journal goes on from here); a file's replay is written beside the page file,
// and its dated journal removed once that is done. The note says what was done.
bool FinishReplay(ProgramWindows& windows, JournalReplay& replay, QStringList& notes);

// The replays that wait for the window, one page after the other in slices, with their progress
// in the main window's status line once they take longer than a second. `done` gets each
// finished replay's notes and whether its page is complete now (its journal may start).
class LateReplays : public QObject
{
    Q_OBJECT

public:
    using Done = std::function<void(int page, bool ontoPage, const QStringList& notes)>;

    LateReplays(ProgramWindows& windows, std::vector<std::unique_ptr<JournalReplay>> replays,
                Done done);
    ~LateReplays() override;
    void start();
    bool isRunning() const { return !m_replays.empty(); }

private:
    void next();
    void showProgress();

    ProgramWindows& m_windows;
    std::vector<std::unique_ptr<JournalReplay>> m_replays;
    Done m_done;
    QTimer m_progressTimer;
    QElapsedTimer m_clock;
    QProgressBar* m_bar = nullptr;
};

// Puts what lies at one of the program's own names aside under "<name>.unlesbar" (then
// "...unlesbar2", ...), never over anything: a regular file gets that name as a second name (it
// stays where it is until the program replaces it), anything else is renamed, a link as the link
// itself. Returns the new name, else empty and *reason says why.
QString PutAside(const QString& path, QString* reason);

} // namespace quorvel
