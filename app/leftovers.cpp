// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/leftovers.h"

#include "gui/files/atomic_file.h"
#include "gui/files/page_files.h"
#include "gui/files/program_dir.h"
#include "gui/settings_store/settings_file.h"

#include <QFileInfo>
#include <QStringList>

namespace quorvel {

void RemoveLeftovers(const QString& folder)
{
    QStringList names = ProgramFileNames();
    // The probe is the test whether the folder can be written (files/program_dir.cpp).
    names << JournalFileName(0) << JournalFileName(1)
          << QFileInfo(BackupFileName(ProgramIniName())).fileName()
          << QStringLiteral("quorvel-probe");
    RemoveLeftoverTemporaryFiles(folder, names);
    RemoveLeftoverBackupSide(ProgramIniName());
}

} // namespace quorvel
