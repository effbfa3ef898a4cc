// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the program folder: beside the executable when we may write there, else per user.
#include "files/program_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>
#include <optional>

namespace quorvel {
namespace {

std::optional<ProgramDirChoice>& decided()
{
    static std::optional<ProgramDirChoice> choice;
    return choice;
}

QString withSlash(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

// The permission bits do not tell about read-only mounts, and root passes them all; creating a
// file is the only sure test.
bool canCreateFiles(const QString& folder)
{
    QTemporaryFile probe(withSlash(folder) + QStringLiteral("quorvel-probe-XXXXXX"));
    return probe.open();
}

bool holdsProgramFiles(const QString& folder)
{
    const QStringList names = ProgramFileNames();
    return std::any_of(names.begin(), names.end(),
                       [&](const QString& name) { return QFileInfo::exists(folder + name); });
}

} // namespace

void SetProgramDir(const QString& folder)
{
    if (folder.isEmpty())
        decided().reset();
    else
        decided() = ProgramDirChoice{withSlash(folder), QString()};
}

QString SettingsFileName()
{
    return QCoreApplication::applicationName() + QStringLiteral(".ini");
}

QString PageFileName(int index)
{
    return index == 0 ? QStringLiteral("QV1.rtf") : QStringLiteral("QV2.rtf");
}

QStringList ProgramFileNames()
{
    return {SettingsFileName(), PageFileName(0), PageFileName(1)};
}

ProgramDirChoice ChooseProgramDir(const QString& exeDir, const QString& userDir,
                                  const std::function<bool(const QString&)>& writable)
{
    const auto canWrite = writable ? writable : canCreateFiles;
    const QString exe = withSlash(exeDir);
    if (canWrite(exe))
        return {exe, QString()};
    const QString user = withSlash(userDir);
    if (!userDir.isEmpty() && QDir().mkpath(user) && canWrite(user)) {
        // An installation that was used before it became read-only: its pages and settings
        // carry over, once.
        if (!holdsProgramFiles(user)) {
            for (const QString& name : ProgramFileNames()) {
                if (QFileInfo::exists(exe + name))
                    QFile::copy(exe + name, user + name);
            }
        }
        return {user, QString()};
    }
    QStringList files;
    for (const QString& name : ProgramFileNames())
        files << QStringLiteral("«%1»").arg(name);
    const QString problem =
        QStringLiteral("Der Programmordner «%1» ist schreibgeschützt, und der Ordner «%2» kann "
                       "nicht angelegt werden. %3 wurden nicht gespeichert.")
            .arg(QDir::toNativeSeparators(exe), QDir::toNativeSeparators(user), files.join(u", "));
    return {exe, problem};
}

QString ProgramDir()
{
    if (!decided()) {
        decided() =
            ChooseProgramDir(QCoreApplication::applicationDirPath(),
                             QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    }
    return decided()->folder;
}

QString ProgramDirProblem()
{
    ProgramDir();
    return decided()->problem;
}

QStringList HelpFileFolders()
{
    const QString exeDir = withSlash(QCoreApplication::applicationDirPath());
    // An installed program finds its data in ../share/quorvel beside bin/.
    QStringList folders{ProgramDir(), exeDir,
                        withSlash(QDir::cleanPath(exeDir + QStringLiteral("../share/quorvel")))};
    const QStringList dataDirs = QStandardPaths::standardLocations(QStandardPaths::AppDataLocation);
    for (const QString& dir : dataDirs)
        folders << withSlash(dir);
    folders.removeDuplicates();
    return folders;
}

} // namespace quorvel
