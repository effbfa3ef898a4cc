// SPDX-License-Identifier: GPL-3.0-or-later
// ComponentStore keeps the states of a window's controls in one section of an ini file, without
// knowing the window: it walks the window's widgets and decides by each one's class what to store,
// with keys named after the widgets' object names. Its plain read and write operations carry the
// other settings values. The rows that say what each class stores are in component_rows.cpp.
#pragma once

#include "engine/settings_store/ini_document.h"

#include <QByteArray>
#include <QString>

class QObject;
class QWidget;

namespace quorvel {

class ComponentStore
{
public:
    // FromFile reads the whole file into the document (a missing, unreadable or absurdly large
    // file, or anything but a regular file, gives an empty one); Empty starts from nothing, for the
    // exit's save pass, which rebuilds the settings file from scratch.
    enum class Start { FromFile, Empty };

    // An empty file name stands for ProgramIniName(). Nothing is written before UpdateFile;
    // destroying the store does not write.
    explicit ComponentStore(const QString& fileName = QString(), Start start = Start::FromFile);

    // When true, memos (QTextEdit, QPlainTextEdit) are saved and restored line by line; when
    // false they are passed over.
    bool SaveMemos = false;

    IniDocument& IniFile() { return m_iniFile; }
    const IniDocument& IniFile() const { return m_iniFile; }
    const QString& FileName() const { return m_fileName; }

    // SaveComponents / LoadComponents with the window as owner and its object name as section;
    // LoadForm then repaints the window at once.
    void SaveForm(QWidget* form);
    void LoadForm(QWidget* form);

    // Walks the widgets under `owner` depth-first in creation order (the order of their QObject
    // children). Reading stops at the first missing ".line"/".item" key, so a damaged ".count"
    // never makes the walk run longer than the section has keys.
    void SaveComponents(QObject* owner, const QString& section);
    void LoadComponents(QObject* owner, const QString& section);

    // Whether the section holds the key.
    bool ValueExists(const QString& section, const QString& key) const;
    QString ReadString(const QString& section, const QString& key, const QString& fallback) const;
    void WriteString(const QString& section, const QString& key, const QString& value);
    int ReadInteger(const QString& section, const QString& key, int fallback) const;
    void WriteInteger(const QString& section, const QString& key, int value);
    bool ReadBool(const QString& section, const QString& key, bool fallback) const;
    void WriteBool(const QString& section, const QString& key, bool value);
    double ReadReal(const QString& section, const QString& key, double fallback) const;
    void WriteReal(const QString& section, const QString& key, double value);

    // The bytes UpdateFile would write.
    QByteArray FileBytes() const;

    // Writes the whole document to FileName() atomically. Returns an empty text on success,
    // else what failed (German, for a message box).
    [[nodiscard]] QString UpdateFile();

    // The exit's write: the previous file is kept as backup (see ReplaceFileKeepingBackup in
    // settings_file.h) and the document becomes the new file. Error text as for UpdateFile.
    [[nodiscard]] QString UpdateFileKeepingBackup();

    // The largest settings file that is read; a bigger one cannot be one the program wrote.
    static constexpr qint64 kMaxFileSize = qint64{64} * 1024 * 1024;

private:
    IniDocument m_iniFile;
    QString m_fileName;
};

} // namespace quorvel
