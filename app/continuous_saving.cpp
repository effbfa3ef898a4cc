// SPDX-License-Identifier: GPL-3.0-or-later
// The clock of continuous saving on the window thread: while something may need saving, each
// second idle small pages become snapshots and the settings' bytes are compared; the exit's
// writes; and the last words of a program whose display went away, which have the made records
// written.
#include "app/continuous_saving.h"

#include "app/program_windows.h"
#include "app/settings_load_save.h"
#include "gui/files/page_files.h"
#include "gui/files/program_dir.h"
#include "gui/files/regular_file.h"
#include "gui/platform/note_board.h"
#include "gui/platform/window_system.h"
#include "gui/rtf/picture_format.h"
#include "gui/settings_store/component_store.h"
#include "gui/settings_store/settings_file.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTextEdit>

#include <atomic>
#include <cstdlib>
#include <mutex>

namespace quorvel {
namespace {

constexpr int kTickMs = 1000;

// A picture is one character but writes its bytes twice over (as hex): a page whose pictures
// alone would be a long page is journaled like one, not written whole on the window's thread.
bool tooHeavyForSnapshots(const QTextDocument& doc)
{
    return PictureBytesOf(doc) * 2 > ContinuousSaving::kSnapshotChars;
}
// How long the exit waits for its writes before it says what is not on the disk.
constexpr std::chrono::seconds kExitWait{60};
// How long an exit hook waits for the writer: long enough for a batch, short enough that a
// hanging disk does not keep a dying program alive.
constexpr std::chrono::seconds kHookWait{5};

std::atomic<SaveQueue*> g_activeQueue{nullptr};
QtMessageHandler g_previousHandler = nullptr;

void flushActiveQueue()
{
    if (SaveQueue* queue = g_activeQueue.load())
        queue->flushNow(kHookWait);
}

// A lost X11 display ends the program through exit(1), which runs the exit hooks.
extern "C" void flushAtExit()
{
    flushActiveQueue();
}

// The toolkit's last words before it ends the program for a lost display: on Wayland a warning
// and then _exit(), which runs no exit hook (Qt 6.4), in other versions a fatal message and
// abort(); on X11 a warning before exit(1).
bool endsTheProgram(QtMsgType type, const QString& text)
{
    return type == QtFatalMsg || text.startsWith(QLatin1String("The Wayland connection")) ||
           text.startsWith(QLatin1String("The X11 connection"));
}

void flushOnLastWords(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (endsTheProgram(type, text))
        flushActiveQueue();
    if (g_previousHandler)
        g_previousHandler(type, context, text);
}

} // namespace

struct ContinuousSaving::SettingsOnDisk
{
    std::mutex mutex;
    QByteArray written;
    std::atomic<bool> backupDone{false};
};

ContinuousSaving::ContinuousSaving(ProgramWindows& windows, NoteBoard* notes, QObject* parent)
    : QObject(parent), m_windows(windows), m_notes(notes),
      m_settings(std::make_shared<SettingsOnDisk>())
{
    if (!m_notes)
        m_notes = new NoteBoard(&m_windows.mainWindow);
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &ContinuousSaving::tick);
}

ContinuousSaving::~ContinuousSaving()
{
    finish();
}

bool ContinuousSaving::settingsBackupDone() const
{
    return m_settings->backupDone.load();
}

void ContinuousSaving::start(const QList<int>& pagesLater)
{
    if (!ProgramDirProblem().isEmpty())
        return;
    m_queue = std::make_unique<SaveQueue>([this](const QString& file, const QString& problem) {
        QMetaObject::invokeMethod(
            this, [this, file, problem] { showProblem(file, problem); }, Qt::QueuedConnection);
    });
    {
        // The settings file as it is: an unchanged session writes it only at the exit.
        const FileRead current = ReadRegularFile(ProgramIniName(), ComponentStore::kMaxFileSize);
        const std::lock_guard lock(m_settings->mutex);
        m_settings->written = current.bytes;
    }
    // Where the platform cannot report window places, the file's are written back each time:
    // read once, not at every tick.
    if (!PlatformKnowsWindowPlaces())
        m_earlier = std::make_unique<ComponentStore>();
    for (int index : {0, 1}) {
        if (!pagesLater.contains(index))
            startPage(index);
    }
    static const bool hookInstalled = std::atexit(flushAtExit) == 0;
    (void)hookInstalled;
    g_previousHandler = qInstallMessageHandler(flushOnLastWords);
    g_activeQueue = m_queue.get();
    QCoreApplication::instance()->installEventFilter(this);
    m_sinceActivity.start();
    wake();
}

void ContinuousSaving::startPage(int index)
{
    if (!m_queue || IsFileLeftAlone(PageFileName(index)))
        return;
    const PageSlot slot = kPageSlots[index];
    QTextEdit& page = *m_windows.mainWindow.page(index);
    if (!IsFileLeftAlone(JournalFileName(index)))
        m_queue->startJournal(slot, ProgramDir() + PageFileName(index),
                              ProgramDir() + JournalFileName(index), baseLength(index),
                              page.document()->defaultFont());
    SaveQueue* queue = m_queue.get();
    m_watchers[index] =
        std::make_unique<PageWatcher>(page, [this, queue, slot, index](QByteArray record) {
            queue->append(slot, std::move(record));
            m_sinceChange[index].restart();
            wake();
        });
    m_sinceChange[index].start();
}

std::int64_t ContinuousSaving::baseLength(int index) const
{
    // A small page opens its journal as a whole-page record, so that the journal can be
    // replayed even when its page file is replaced by another; a long one would cost too much.
    const QTextDocument& doc = *m_windows.mainWindow.page(index)->document();
    const int length = JournalLength(doc);
    return length <= kSnapshotChars && !tooHeavyForSnapshots(doc) ? length : -1;
}

WriteProblems ContinuousSaving::saveForExit()
{
    WriteProblems problems;
    if (!m_queue)
        return problems;
    QStringList files;
    for (int index : {0, 1}) {
        const QString path = ProgramDir() + PageFileName(index);
        if (const QString problem = PageProblem(m_windows, index); !problem.isEmpty()) {
            problems.push_back({path, problem});
            continue;
        }
        PageWatcher* watcher = m_watchers[index].get();
        // A page whose journal is still being replayed is not complete: its journal stays for
        // the next start.
        if (!watcher)
            continue;
        if (IsFileLeftAlone(JournalFileName(index))) {
            const QString error =
                SaveDocument(*m_windows.mainWindow.page(index), path, FileOwner::Program);
            if (!error.isEmpty())
                problems.push_back({path, error});
            continue;
        }
        // Without a whole page at its start, the journal that follows holds nothing but its
        // header and goes once saving ends.
        m_queue->replacePage(kPageSlots[index], watcher->snapshot(), -1);
        watcher->recordsSinceSnapshot = 0;
        files << path;
    }
    if (const QString problem = SettingsProblem(); !problem.isEmpty()) {
        problems.push_back({ProgramIniName(), problem});
    } else {
        QByteArray bytes = SettingsBytes(m_windows, m_earlier.get());
        bool same = false;
        {
            const std::lock_guard lock(m_settings->mutex);
            same = bytes == m_settings->written;
        }
        // The exit keeps the previous file as "Quorvel.b01" once per session, changed or not.
        if (!same || !settingsBackupDone())
            writeSettings(std::move(bytes));
        files << ProgramIniName();
    }
    m_queue->flushNow(kExitWait);
    const std::map<QString, QString> failed = m_queue->problems();
    for (const QString& file : files) {
        if (const auto found = failed.find(file); found != failed.end())
            problems.push_back({file, found->second});
    }
    return problems;
}

void ContinuousSaving::finish()
{
    if (!m_queue)
        return;
    QCoreApplication::instance()->removeEventFilter(this);
    m_timer.stop();
    for (auto& watcher : m_watchers) {
        if (watcher)
            watcher->flush();
    }
    g_activeQueue = nullptr;
    qInstallMessageHandler(g_previousHandler);
    m_queue->finish();
    m_watchers[0].reset();
    m_watchers[1].reset();
    m_queue.reset();
}

void ContinuousSaving::flushMadeBytes()
{
    for (auto& watcher : m_watchers) {
        if (watcher)
            watcher->flush();
    }
    if (m_queue)
        m_queue->flushNow(std::chrono::hours(1));
}

bool ContinuousSaving::eventFilter(QObject* watched, QEvent* event)
{
    // What the user does with the windows is what changes the settings: after it, they are
    // compared for a while; otherwise the clock sleeps.
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonRelease:
    case QEvent::Wheel:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::WindowStateChange:
        if (m_queue) {
            m_sinceActivity.restart();
            wake();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void ContinuousSaving::wake()
{
    if (!m_timer.isActive())
        m_timer.start();
}

void ContinuousSaving::tick()
{
    bool waiting = false;
    for (int index : {0, 1}) {
        PageWatcher* watcher = m_watchers[index].get();
        if (!watcher)
            continue;
        watcher->flush();
        if (watcher->takeChanged())
            m_sinceChange[index].restart();
        const QTextEdit& page = *m_windows.mainWindow.page(index);
        if (watcher->recordsSinceSnapshot == 0 ||
            JournalLength(*page.document()) > kSnapshotChars ||
            tooHeavyForSnapshots(*page.document()))
            continue;
        if (m_sinceChange[index].elapsed() < kIdleMs) {
            waiting = true;
            continue;
        }
        m_queue->replacePage(kPageSlots[index], watcher->snapshot(), baseLength(index));
        watcher->recordsSinceSnapshot = 0;
    }
    checkSettings();
    if (!waiting && m_sinceActivity.elapsed() >= kSettingsWatchMs)
        m_timer.stop();
}

bool ContinuousSaving::checkSettings()
{
    if (IsFileLeftAlone(SettingsFileName()))
        return false;
    QByteArray bytes = SettingsBytes(m_windows, m_earlier.get());
    if (bytes == m_settingsQueued)
        return false;
    {
        const std::lock_guard lock(m_settings->mutex);
        if (bytes == m_settings->written)
            return false;
    }
    writeSettings(std::move(bytes));
    return true;
}

void ContinuousSaving::writeSettings(QByteArray bytes)
{
    m_settingsQueued = bytes;
    // A job not yet run is replaced by a newer one; a failed one the writer tries again itself.
    m_queue->writeFile(ProgramIniName(),
                       [settings = m_settings, bytes = std::move(bytes), path = ProgramIniName()] {
                           bool written = false;
                           QString problem;
                           if (settings->backupDone.load()) {
                               problem = WriteFileAtomically(path, bytes);
                               written = problem.isEmpty();
                           } else {
                               problem = ReplaceFileKeepingBackup(path, bytes, &written);
                           }
                           if (written) {
                               settings->backupDone = true;
                               const std::lock_guard lock(settings->mutex);
                               settings->written = bytes;
                           }
                           return problem;
                       });
}

void ContinuousSaving::showProblem(const QString& file, const QString& problem)
{
    m_notes->setProblem(file, problem);
}

} // namespace quorvel
