// SPDX-License-Identifier: GPL-3.0-or-later
// Always saved: while the user works, the pages and the settings reach the disk by themselves,
// so that a crash, a kill, a power cut or a lost display costs at most the last two seconds.
//
// Each page has a journal beside its page file: every change becomes a record (the position,
// what was removed, what was written there as RTF), made on the window thread at a cost that
// follows the change, and written and synced by the writer thread of SaveQueue about once a
// second. A small page that has been left alone for a moment is written whole instead, which
// empties its journal; a long page is written whole only at the exit, and its journal is
// rewritten in the background before it grows past a few times the page. The settings are
// compared after the user has done something and written when their bytes differ; the first
// write of a session keeps the previous file as "Quorvel.b01", later ones do not. The next start
// after an abnormal end replays the journals (page_recovery.h).
//
// Idle costs nothing: the clock runs only while something may need saving (a page waiting to be
// written whole, the windows just touched), and stops otherwise.
//
// When the display goes away, the toolkit ends the program without returning to it: on X11
// through exit(1) after a warning, on Wayland through _exit(1) after a warning (Qt 6.4; other
// versions use a fatal message and abort()). A message handler that knows those last words, and
// an exit hook, then have the records already made written at once; they touch nothing but the
// writer's queue.
#pragma once

#include "app/settings_load_save.h"
#include "gui/files/page_journal.h"
#include "gui/files/save_queue.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

namespace quorvel {

class ComponentStore;
class NoteBoard;
struct ProgramWindows;

class ContinuousSaving : public QObject
{
    Q_OBJECT

public:
    // Pages up to this many characters are written whole once the user has left them alone
    // for kIdleMs; writing one costs the window thread a few milliseconds at most.
    static constexpr int kSnapshotChars = 100000;
    static constexpr int kIdleMs = 2000;
    // After the last thing the user did, the settings are compared for this long.
    static constexpr int kSettingsWatchMs = 3000;

    // Problems go to `notes` when given.
    explicit ContinuousSaving(ProgramWindows& windows, NoteBoard* notes = nullptr,
                              QObject* parent = nullptr);
    ~ContinuousSaving() override;

    // From now on, after LoadSettings: the journals start from the page files as they are
    // (except for the pages given, whose journals are still being replayed), the settings are
    // watched, and the exit hooks are in place. Nothing happens when the program folder cannot
    // be written.
    void start(const QList<int>& pagesLater = {});
    // The journal of a page whose replay has finished.
    void startPage(int index);
    bool isRunning() const { return m_queue != nullptr; }

    // The exit's writes, through the writer: both pages whole and the settings. Waits for them
    // and returns what could not be written, each a sentence naming its file; empty when
    // everything is on the disk. Saving goes on afterwards, so the user may keep working.
    WriteProblems saveForExit();
    // Writes everything made so far and stops; a journal that holds nothing beyond its page
    // file is removed.
    void finish();

    // Whether this session has written the settings file and so kept the previous one as
    // "Quorvel.b01" already: the exit must not do it again.
    bool settingsBackupDone() const;

    // The records already made, on the disk now (for tests, as the exit hooks do it).
    void flushMadeBytes();
    // Whether the clock runs: false while nothing needs saving (for tests).
    bool isTicking() const { return m_timer.isActive(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void tick();
    void wake();
    bool checkSettings();
    void writeSettings(QByteArray bytes);
    void showProblem(const QString& file, const QString& problem);
    std::int64_t baseLength(int index) const;

    ProgramWindows& m_windows;
    NoteBoard* m_notes;
    std::unique_ptr<SaveQueue> m_queue;
    std::unique_ptr<PageWatcher> m_watchers[2];
    QElapsedTimer m_sinceChange[2];
    QElapsedTimer m_sinceActivity;
    // The settings file as the writer thread last wrote it; shared with its jobs.
    struct SettingsOnDisk;
    std::shared_ptr<SettingsOnDisk> m_settings;
    QByteArray m_settingsQueued;
    // The settings file as the session found it, where the platform reports no window places.
    std::unique_ptr<ComponentStore> m_earlier;
    QTimer m_timer;
};

} // namespace quorvel
