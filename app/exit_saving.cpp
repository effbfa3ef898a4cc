// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/exit_saving.h"

#include "app/continuous_saving.h"
#include "app/program_windows.h"
#include "gui/files/program_dir.h"
#include "gui/settings_store/settings_file.h"

#include <QMessageBox>
#include <QPushButton>

#include <algorithm>

namespace quorvel {

ExitChoice AskAtFailedExit(const WriteProblems& problems, QWidget* parent)
{
    QStringList lines;
    for (const WriteProblem& problem : problems)
        lines << problem.text;
    const QString text =
        QStringLiteral("Quorvel konnte beim Beenden nicht alles speichern:\n\n%1\n\nWas nicht "
                       "gespeichert ist, geht mit \u201ETrotzdem beenden\u201C verloren; die "
                       "\u00C4nderungen, die das Journal einer Seite schon enth\u00E4lt, bringt "
                       "der n\u00E4chste Start zur\u00FCck.")
            .arg(lines.join(QStringLiteral("\n\n")));
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Quorvel"), text, QMessageBox::NoButton,
                    parent);
    box.setObjectName(QStringLiteral("Beenden"));
    box.setAccessibleName(QStringLiteral("Nicht alles gespeichert"));
    box.setAccessibleDescription(text);
    QPushButton* retry =
        box.addButton(QStringLiteral("&Erneut versuchen"), QMessageBox::AcceptRole);
    QPushButton* elsewhere =
        box.addButton(QStringLiteral("&Text speichern unter..."), QMessageBox::ActionRole);
    QPushButton* end =
        box.addButton(QStringLiteral("Trotzdem &beenden"), QMessageBox::DestructiveRole);
    QPushButton* stay = box.addButton(QStringLiteral("&Weiterarbeiten"), QMessageBox::RejectRole);
    box.setDefaultButton(retry);
    box.setEscapeButton(stay);
    box.exec();
    if (box.clickedButton() == retry)
        return ExitChoice::Retry;
    if (box.clickedButton() == elsewhere)
        return ExitChoice::SaveElsewhere;
    if (box.clickedButton() == end)
        return ExitChoice::EndAnyway;
    return ExitChoice::KeepWorking;
}

ExitSaving::ExitSaving(ProgramWindows& windows, ContinuousSaving& saving)
    : m_windows(windows), m_saving(saving)
{
    ask = [this](const WriteProblems& problems) {
        return AskAtFailedExit(problems, &m_windows.mainWindow);
    };
}

WriteProblems ExitSaving::writeAll()
{
    if (m_saving.isRunning())
        return m_saving.saveForExit();
    // Without continuous saving (a folder that cannot be written) the exit writes itself; the
    // previous settings file becomes the backup once.
    WriteProblems problems = SaveSettings(m_windows, !m_settingsWritten);
    m_settingsWritten = m_settingsWritten ||
                        std::none_of(problems.begin(), problems.end(), [](const WriteProblem& p) {
                            return p.file == ProgramIniName();
                        });
    return problems;
}

bool ExitSaving::mayEnd(bool mayAsk)
{
    for (;;) {
        const WriteProblems problems = writeAll();
        if (problems.isEmpty() || !mayAsk)
            return true;
        switch (ask(problems)) {
        case ExitChoice::Retry:
            break;
        case ExitChoice::SaveElsewhere: {
            bool pageFailed = false;
            for (int index : {0, 1}) {
                const QString page = ProgramDir() + PageFileName(index);
                for (const WriteProblem& problem : problems) {
                    if (problem.file == page) {
                        m_windows.documents.savePageAs(index);
                        pageFailed = true;
                    }
                }
            }
            if (!pageFailed)
                m_windows.documents.savePageAs(0);
            break;
        }
        case ExitChoice::EndAnyway:
            return true;
        case ExitChoice::KeepWorking:
            return false;
        }
    }
}

} // namespace quorvel
