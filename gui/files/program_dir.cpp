// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the program folder: beside the executable of a build or a portable copy when we may
// write there, per user for an installed program.
#include "gui/files/program_dir.h"

#include "gui/files/atomic_file.h"
#include "gui/files/regular_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace quorvel {
namespace {

std::optional<ProgramDirChoice>& decided()
{
    static std::optional<ProgramDirChoice> choice;
    return choice;
}

QStringList& leftAlone()
{
    static QStringList names;
    return names;
}

QString withSlash(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

// Why no file can be created in the folder, or an empty text when one can. The permission bits
// do not tell about read-only mounts, and root passes them all; creating a file is the only sure
// test. A folder that does not exist is judged by the nearest one above it that does.
QString cannotCreateFilesReason(const QString& folder)
{
    QString existing = QDir::cleanPath(folder);
    while (!QFileInfo(existing).isDir() && existing != QDir::rootPath() && !existing.isEmpty())
        existing = QFileInfo(existing).absolutePath();
    QByteArray name =
        QFile::encodeName(withSlash(existing) + QStringLiteral("quorvel-probe.XXXXXX"));
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return SystemReason(errno);
    ::close(fd);
    ::unlink(name.constData());
    return existing == QDir::cleanPath(folder) ? QString() : SystemReason(ENOENT);
}

bool canCreateFiles(const QString& folder)
{
    return cannotCreateFilesReason(folder).isEmpty();
}

QString withReason(const QString& reason)
{
    return reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(reason);
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
    leftAlone().clear();
    if (folder.isEmpty())
        decided().reset();
    else
        decided() = ProgramDirChoice{withSlash(folder), QString()};
}

void SetProgramDir(const ProgramDirChoice& choice)
{
    leftAlone().clear();
    decided() = ProgramDirChoice{withSlash(choice.folder), choice.problem};
}

void LeaveFileAlone(const QString& name)
{
    if (!leftAlone().contains(name))
        leftAlone() << name;
}

bool IsFileLeftAlone(const QString& name)
{
    return leftAlone().contains(name);
}

QString SettingsFileName()
{
    return QCoreApplication::applicationName() + QStringLiteral(".ini");
}

QString PageFileName(int index)
{
    return index == 0 ? QStringLiteral("QV1.rtf") : QStringLiteral("QV2.rtf");
}

QString JournalFileName(int index)
{
    return index == 0 ? QStringLiteral("QV1.journal") : QStringLiteral("QV2.journal");
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
                const FileRead original = ReadRegularFile(exe + name);
                if (original.state == FileRead::State::Regular)
                    (void)WriteFileReason(user + name, original.bytes, FileOwner::Program);
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
    // Said at the start, so the user knows before working that the session will not be kept,
    // and again at the exit.
    const QString problem =
        QStringLiteral("Quorvel kann nichts speichern: Der Programmordner «%1» ist nicht "
                       "beschreibbar%2, und der Ordner «%3» auch nicht%4. %5 werden nicht "
                       "gespeichert, die Seiten und Einstellungen dieser Sitzung gehen beim "
                       "Beenden verloren.")
            .arg(QDir::toNativeSeparators(exe), withReason(cannotCreateFilesReason(exe)),
                 QDir::toNativeSeparators(user), withReason(cannotCreateFilesReason(user)),
                 files.join(u", "));
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
