// Finding the program folder: beside the executable when we may write there, else per user.
#include "platform/program_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace quorvel {
namespace {

QString& programDirOverride()
{
    static QString folder;
    return folder;
}

QString withSlash(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

} // namespace

void SetProgramDir(const QString& folder)
{
    programDirOverride() = folder.isEmpty() ? QString() : withSlash(folder);
}

QString ProgramDir()
{
    if (!programDirOverride().isEmpty())
        return programDirOverride();
    const QString exeDir = QCoreApplication::applicationDirPath();
    if (QFileInfo(exeDir).isWritable())
        return withSlash(exeDir);
    const QString userDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(userDir);
    return withSlash(userDir);
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
