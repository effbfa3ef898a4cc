// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the program folder: beside the executable of a build or a portable copy when we may
// write there, per user for an installed program.
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

// An installed program finds its data in ../share/quorvel beside its bin folder.
QString installedDataDir(const QString& exeDir)
{
    return withSlash(QDir::cleanPath(withSlash(exeDir) + QStringLiteral("../share/quorvel")));
}

// The bin folder of an installation is on the PATH and outside what the installation recorded
// (and so what an uninstall removes): pages and settings never go there, even where root or a
// per-user prefix may write.
bool runsFromInstalledPrefix(const QString& exeDir)
{
    return !QDir(installedDataDir(exeDir))
                .entryList({QStringLiteral("*.hlp")}, QDir::Files)
                .isEmpty();
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
    const bool installed = runsFromInstalledPrefix(exe);
    if (!installed && canWrite(exe))
        return {exe, QString()};
    const QString user = withSlash(userDir);
    if (!userDir.isEmpty() && QDir().mkpath(user) && canWrite(user)) {
        // Pages and settings an earlier run kept beside the executable (before the installation
        // became read-only, or by an older version) carry over, once.
        if (!holdsProgramFiles(user)) {
            for (const QString& name : ProgramFileNames()) {
                if (QFileInfo::exists(exe + name))
                    QFile::copy(exe + name, user + name);
            }
        }
        return {user, QString()};
    }
    // Better beside the executable than not saved at all.
    if (installed && canWrite(exe))
        return {exe, QString()};
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
    QStringList folders{ProgramDir(), exeDir, installedDataDir(exeDir)};
    const QStringList dataDirs = QStandardPaths::standardLocations(QStandardPaths::AppDataLocation);
    for (const QString& dir : dataDirs)
        folders << withSlash(dir);
    folders.removeDuplicates();
    return folders;
}

} // namespace quorvel
