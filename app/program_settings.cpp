// SPDX-License-Identifier: GPL-3.0-or-later
#include "program_settings.h"

#include "files/page_files.h"
#include "files/program_dir.h"
#include "platform/message_boxes.h"
#include "program_windows.h"
#include "settings_store/component_store.h"
#include "settings_store/store_routines.h"
#include "single_instance.h"
#include "termination_signals.h"

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
    return ProgramDir() + (index == 0 ? QStringLiteral("QV1.rtf") : QStringLiteral("QV2.rtf"));
}

void loadPosition(Tiniobj& ini, QWidget& window, const QString& section, bool withSize)
{
    const int top = ini.ReadInteger(section, QStringLiteral("top"), window.y());
    const int left = ini.ReadInteger(section, QStringLiteral("left"), window.x());
    window.move(left, top);
    if (withSize) {
        const int width = ini.ReadInteger(section, QStringLiteral("width"), window.width());
        const int height = ini.ReadInteger(section, QStringLiteral("height"), window.height());
        window.resize(width, height);
    }
    FitFormToScreen(&window);
}

void savePosition(Tiniobj& ini, const QWidget& window, const QString& section, bool withSize)
{
    ini.WriteInteger(section, QStringLiteral("top"), window.y());
    ini.WriteInteger(section, QStringLiteral("left"), window.x());
    if (withSize) {
        ini.WriteInteger(section, QStringLiteral("width"), window.width());
        ini.WriteInteger(section, QStringLiteral("height"), window.height());
    }
}

} // namespace

void LoadSettings(ProgramWindows& windows)
{
    if (QFileInfo::exists(ProgramIniName())) {
        Tiniobj ini;
        ini.SaveMemos = false;
        ini.LoadForm(&windows.form1);
        loadPosition(ini, windows.form1, kForm1, true);

        ini.LoadForm(&windows.form2);
        loadPosition(ini, windows.form2, kForm2, false);
        windows.form1.KeypadVisible = ini.ReadBool(kForm2, QStringLiteral("visible"), false);

        ini.SaveMemos = true;
        ini.LoadForm(&windows.form4);
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
        windows.form5.setFormulas(titles, texts);
    }

    for (int index : {0, 1}) {
        const QString path = pageFile(index);
        QString error;
        if (QFileInfo::exists(path) && !LoadDocument(*windows.form1.page(index), path, &error))
            ShowInfo(error, &windows.form1);
    }
}

bool SaveSettings(ProgramWindows& windows)
{
    if (const QString problem = ProgramDirProblem(); !problem.isEmpty()) {
        ShowInfo(problem, &windows.form1);
        return false;
    }
    bool ok = true;
    {
        Tiniobj ini(QString(), Tiniobj::Start::Empty);
        ini.SaveMemos = false;
        ini.SaveForm(&windows.form1);
        savePosition(ini, windows.form1, kForm1, true);

        ini.SaveForm(&windows.form2);
        savePosition(ini, windows.form2, kForm2, false);
        // Once the main window has closed, the keypad is closed as well; its state from just
        // before counts.
        const bool keypadShown =
            windows.form1.isVisible() ? windows.form2.isVisible() : windows.form1.KeypadVisible;
        ini.WriteBool(kForm2, QStringLiteral("visible"), keypadShown);

        ini.SaveMemos = true;
        ini.SaveForm(&windows.form4);
        ini.SaveMemos = false;

        const QStringList titles = windows.form5.titles();
        const QStringList texts = windows.form5.encodedTexts();
        ini.WriteInteger(kFormel, QStringLiteral("count"), static_cast<int>(titles.size()));
        for (qsizetype k = 0; k < titles.size(); ++k) {
            const QString index = QString::number(k);
            ini.WriteString(kFormel, QStringLiteral("titel") + index, titles[k]);
            ini.WriteString(kFormel, QStringLiteral("text") + index, texts.value(k));
        }
        const QString error = ini.UpdateFileKeepingBackup();
        if (!error.isEmpty()) {
            ShowInfo(error, &windows.form1);
            ok = false;
        }
    }
    for (int index : {0, 1}) {
        const QString error = SaveDocument(*windows.form1.page(index), pageFile(index));
        if (!error.isEmpty()) {
            ShowInfo(error, &windows.form1);
            ok = false;
        }
    }
    return ok;
}

int RunQuorvel(QApplication& app, const QString& folder)
{
    if (!folder.isEmpty())
        SetProgramDir(folder);
    SingleInstance instance(ProgramDir());
    switch (instance.claim()) {
    case SingleInstance::Claim::Claimed:
        break;
    case SingleInstance::Claim::HandedOver:
        return 0;
    case SingleInstance::Claim::Unreachable:
        std::fputs("Quorvel l\u00E4uft bereits mit diesem Programmordner, antwortet aber nicht.\n",
                   stderr);
        return 1;
    }
    InstallGermanTranslations(app);
    ProgramWindows windows;
    EndOnTerminationSignals(windows.form1);
    instance.setWindow(&windows.form1);
    LoadSettings(windows);
    windows.form1.show();
    const int result = QApplication::exec();
    SaveSettings(windows);
    return result;
}

} // namespace quorvel
