// SPDX-License-Identifier: GPL-3.0-or-later
#include "program_settings.h"

#include "files/page_files.h"
#include "files/program_dir.h"
#include "platform/message_boxes.h"
#include "platform/window_system.h"
#include "program_windows.h"
#include "settings_store/component_store.h"
#include "settings_store/store_routines.h"
#include "single_instance.h"
#include "termination_signals.h"
#include "window_places.h"

#include <QApplication>
#include <QFileInfo>
#include <QTextEdit>

#include <algorithm>
#include <cstdio>

namespace quorvel {
namespace {

const QString kForm1 = QStringLiteral("Form1");
const QString kForm2 = QStringLiteral("Form2");
const QString kFormel = QStringLiteral("Formel");

QString pageFile(int index)
{
    return ProgramDir() + PageFileName(index);
}

} // namespace

void LoadSettings(ProgramWindows& windows)
{
    if (QFileInfo::exists(ProgramIniName())) {
        ComponentStore ini;
        ini.SaveMemos = false;
        const bool placesKnown = PlatformKnowsWindowPlaces();
        ini.LoadForm(&windows.mainWindow);
        LoadWindowPlace(ini, windows.mainWindow, {kForm1, true}, placesKnown);

        ini.LoadForm(&windows.keypad);
        LoadWindowPlace(ini, windows.keypad, {kForm2, false}, placesKnown);
        windows.mainWindow.KeypadVisible = ini.ReadBool(kForm2, QStringLiteral("visible"), false);

        ini.SaveMemos = true;
        ini.LoadForm(&windows.unitDefinitions);
        ini.SaveMemos = false;

        // The count comes from a file anyone may have edited; no more formulas are read than
        // the section has keys, so an absurd count cannot make the start hang.
        const auto keys = ini.IniFile().keyCount(kFormel.toStdU16String());
        const int available = static_cast<int>(std::min<std::size_t>(keys, 1u << 30));
        const int count = std::min(ini.ReadInteger(kFormel, QStringLiteral("count"), 0), available);
        QStringList titles;
        QStringList texts;
        for (int k = 0; k < count; ++k) {
            const QString index = QString::number(k);
            titles << ini.ReadString(kFormel, QStringLiteral("titel") + index, QString());
            texts << ini.ReadString(kFormel, QStringLiteral("text") + index, QString());
        }
        windows.formulaLibrary.setFormulas(titles, texts);
        if (ini.IniFile().sectionExists(windows.diagram.objectName().toStdU16String())) {
            LoadWindowPlace(ini, windows.diagram, {windows.diagram.objectName(), true},
                            placesKnown);
            windows.diagram.setHasPlace();
        }
    }

    for (int index : {0, 1}) {
        const QString path = pageFile(index);
        QString error;
        if (QFileInfo::exists(path) && !LoadDocument(*windows.mainWindow.page(index), path, &error))
            ShowInfo(error, &windows.mainWindow);
    }
}

bool SaveSettings(ProgramWindows& windows)
{
    if (const QString problem = ProgramDirProblem(); !problem.isEmpty()) {
        ShowInfo(problem, &windows.mainWindow);
        return false;
    }
    bool ok = true;
    {
        ComponentStore ini(QString(), ComponentStore::Start::Empty);
        // The places the platform cannot report are kept as the file has them.
        const bool placesKnown = PlatformKnowsWindowPlaces();
        const ComponentStore earlier(QString(), placesKnown ? ComponentStore::Start::Empty
                                                            : ComponentStore::Start::FromFile);
        ini.SaveMemos = false;
        ini.SaveForm(&windows.mainWindow);
        SaveWindowPlace(ini, earlier, windows.mainWindow, {kForm1, true}, placesKnown);

        ini.SaveForm(&windows.keypad);
        SaveWindowPlace(ini, earlier, windows.keypad, {kForm2, false}, placesKnown);
        // Once the main window has closed, the keypad is closed as well; its state from just
        // before counts.
        const bool keypadShown = windows.mainWindow.isVisible() ? windows.keypad.isVisible()
                                                                : windows.mainWindow.KeypadVisible;
        ini.WriteBool(kForm2, QStringLiteral("visible"), keypadShown);

        ini.SaveMemos = true;
        ini.SaveForm(&windows.unitDefinitions);
        ini.SaveMemos = false;

        const QStringList titles = windows.formulaLibrary.titles();
        const QStringList texts = windows.formulaLibrary.encodedTexts();
        ini.WriteInteger(kFormel, QStringLiteral("count"), static_cast<int>(titles.size()));
        for (qsizetype k = 0; k < titles.size(); ++k) {
            const QString index = QString::number(k);
            ini.WriteString(kFormel, QStringLiteral("titel") + index, titles[k]);
            ini.WriteString(kFormel, QStringLiteral("text") + index, texts.value(k));
        }
        if (windows.diagram.hasPlace())
            SaveWindowPlace(ini, earlier, windows.diagram, {windows.diagram.objectName(), true},
                            placesKnown);
        const QString error = ini.UpdateFileKeepingBackup();
        if (!error.isEmpty()) {
            ShowInfo(error, &windows.mainWindow);
            ok = false;
        }
    }
    for (int index : {0, 1}) {
        const QString error = SaveDocument(*windows.mainWindow.page(index), pageFile(index));
        if (!error.isEmpty()) {
            ShowInfo(error, &windows.mainWindow);
            ok = false;
        }
    }
    return ok;
}

int RunQuorvel(QApplication& app, const QString& folder, const ActivationToken& token)
{
    if (!folder.isEmpty())
        SetProgramDir(folder);
    SingleInstance instance(ProgramDir());
    switch (instance.claim(token)) {
    case SingleInstance::Claim::Claimed:
        break;
    case SingleInstance::Claim::HandedOver:
        // The user asked for the window; where it cannot come, the user hears why.
        if (const QString obstacle = ActivationObstacle(token); !obstacle.isEmpty())
            std::fputs((obstacle + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
        return 0;
    case SingleInstance::Claim::Unreachable:
        std::fputs("Quorvel l\u00E4uft bereits mit diesem Programmordner, antwortet aber nicht.\n",
                   stderr);
        return 1;
    }
    InstallGermanTranslations(app);
    ProgramWindows windows;
    EndOnTerminationSignals(windows.mainWindow);
    LoadSettings(windows);
    windows.mainWindow.show();
    instance.setFrontRequestHandler(
        [&windows](const ActivationToken& later) { BringToFront(windows.mainWindow, later); });
    const int result = QApplication::exec();
    SaveSettings(windows);
    return result;
}

} // namespace quorvel
