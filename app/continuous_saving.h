// SPDX-License-Identifier: GPL-3.0-or-later
// Always saved: while the user works, the pages and the settings reach the disk by themselves,
// so that a crash, a kill, a power cut or a lost display costs at most the last two seconds.
//
// Each page has a journal beside its page file: every change becomes a record (the position,
// what was removed, what was written there as RTF), made on the window thread at a cost that
// follows the change, and written and synced by the writer thread of SaveQueue about once a
// second. A small page that has been left alone for a moment is written whole instead, which
// empties its journal; a long page is written whole only at the exit, as a snapshot of a million
// lines would stop the window for most of a second. The settings are rebuilt each second and
// written when their bytes differ; the first write of a session keeps the previous file as
// "Quorvel.b01", later ones do not. The next start after an abnormal end replays the journals
// (LoadSettings, program_settings.h).
//
// When the display goes away, the toolkit ends the program without returning to it: on X11
// through exit(1) after a warning, on Wayland through _exit(1) after a warning (Qt 6.4; other
// versions use a fatal message and abort()). A message handler that knows those last words, and
// an exit hook, then have the records already made written at once; they touch nothing but the
// writer's queue.
#pragma once

#include "files/page_journal.h"
#include "files/save_queue.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

namespace quorvel {

class ComponentStore;
struct ProgramWindows;

class ContinuousSaving : public QObject
{
    Q_OBJECT

public:
    // Pages up to this many characters are written whole once the user has left them alone
    // for kIdleMs; writing one costs the window thread a few milliseconds at most.
    static constexpr int kSnapshotChars = 100000;
    static constexpr int kIdleMs = 2000;

    explicit ContinuousSaving(ProgramWindows& windows, QObject* parent = nullptr);
    ~ContinuousSaving() override;

    // From now on, after LoadSettings: the journals start from the page files as they are, the
    // settings are watched, and the exit hooks are in place. Nothing happens when the program
    // folder cannot be written.
    void start();
    // Writes everything made so far and stops; the exit's SaveSettings writes the rest.
    void finish();

    // Whether this session has written the settings file and so kept the previous one as
    // "Quorvel.b01" already: the exit must not do it again.
    bool settingsBackupDone() const;

    // The records already made, on the disk now (for tests, as the exit hooks do it).
    void flushMadeBytes();

private:
    void tick();
    void checkSettings();
    void showProblem(int channel, const QString& problem);

    ProgramWindows& m_windows;
    std::unique_ptr<SaveQueue> m_queue;
    std::unique_ptr<PageWatcher> m_watchers[2];
    QElapsedTimer m_sinceChange[2];
    // The settings file as the writer thread last wrote it; shared with its jobs.
    struct SettingsOnDisk;
    std::shared_ptr<SettingsOnDisk> m_settings;
    // The settings file as the session found it, where the platform reports no window places.
    std::unique_ptr<ComponentStore> m_earlier;
    QString m_shownProblem[3];
    QTimer m_timer;
};

} // namespace quorvel
