// SPDX-License-Identifier: GPL-3.0-or-later
// The clock of continuous saving on the window thread: each second the pages' pending changes
// become records, idle small pages become snapshots and the settings' bytes are compared; and the
// last words of a program whose display went away, which have the made records written.
#include "continuous_saving.h"

#include "files/program_dir.h"
#include "files/regular_file.h"
#include "platform/message_boxes.h"
#include "platform/window_system.h"
#include "program_settings.h"
#include "program_windows.h"
#include "settings_store/component_store.h"
#include "settings_store/settings_file.h"
#include "settings_store/store_routines.h"

#include <QTextEdit>

#include <atomic>
#include <cstdlib>
#include <mutex>

namespace quorvel {
namespace {

constexpr int kSettingsChannel = 2;
constexpr int kTickMs = 1000;
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

ContinuousSaving::ContinuousSaving(ProgramWindows& windows, QObject* parent)
    : QObject(parent), m_windows(windows), m_settings(std::make_shared<SettingsOnDisk>())
{
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

void ContinuousSaving::start()
{
    if (!ProgramDirProblem().isEmpty())
        return;
    m_queue = std::make_unique<SaveQueue>([this](int channel, const QString& problem) {
        QMetaObject::invokeMethod(
            this, [this, channel, problem] { showProblem(channel, problem); },
            Qt::QueuedConnection);
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
        if (!IsFileLeftAlone(PageFileName(index)))
            m_queue->startJournal(index, ProgramDir() + PageFileName(index),
                                  ProgramDir() + JournalFileName(index));
        SaveQueue* queue = m_queue.get();
        m_watchers[index] = std::make_unique<PageWatcher>(
            *m_windows.mainWindow.page(index),
            [queue, index](QByteArray record) { queue->append(index, std::move(record)); });
        m_sinceChange[index].start();
    }
    static const bool hookInstalled = std::atexit(flushAtExit) == 0;
    (void)hookInstalled;
    g_previousHandler = qInstallMessageHandler(flushOnLastWords);
    g_activeQueue = m_queue.get();
    m_timer.start();
}

void ContinuousSaving::finish()
{
    if (!m_queue)
        return;
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
    if (m_queue)
        m_queue->flushNow(std::chrono::hours(1));
}

void ContinuousSaving::tick()
{
    for (int index : {0, 1}) {
        PageWatcher& watcher = *m_watchers[index];
        watcher.flush();
        if (watcher.takeChanged())
            m_sinceChange[index].restart();
        const QTextEdit& page = *m_windows.mainWindow.page(index);
        if (watcher.recordsSinceSnapshot > 0 && m_sinceChange[index].elapsed() >= kIdleMs &&
            JournalLength(*page.document()) <= kSnapshotChars) {
            m_queue->replacePage(index, watcher.snapshot());
            watcher.recordsSinceSnapshot = 0;
        }
    }
    checkSettings();
}

void ContinuousSaving::checkSettings()
{
    if (IsFileLeftAlone(SettingsFileName()))
        return;
    QByteArray bytes = SettingsBytes(m_windows, m_earlier.get());
    {
        const std::lock_guard lock(m_settings->mutex);
        if (bytes == m_settings->written)
            return;
    }
    // A job not yet run is replaced by this one; a failed one is tried again at the next tick.
    m_queue->writeFile(kSettingsChannel,
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

void ContinuousSaving::showProblem(int channel, const QString& problem)
{
    QString& shown = m_shownProblem[channel];
    if (problem == shown)
        return;
    shown = problem;
    if (!problem.isEmpty())
        ShowNote(problem + QStringLiteral("\n\nQuorvel versucht es weiter, solange es l\u00E4uft."),
                 &m_windows.mainWindow);
}

} // namespace quorvel
