// SPDX-License-Identifier: GPL-3.0-or-later
// ComponentStore: the walk over a window's widgets and the typed reads and writes of the ini
// document.
#include "gui/settings_store/component_store.h"

#include "gui/files/regular_file.h"
#include "gui/settings_store/component_rows.h"
#include "gui/settings_store/settings_file.h"

#include <QWidget>

namespace quorvel {
namespace {

std::u16string u16(const QString& text)
{
    return text.toStdU16String();
}

IniDocument readDocument(const QString& fileName)
{
    // Opening a FIFO in place of the file would wait for a writer, and a device could deliver
    // without end: only a regular file is read, and only up to the size of a settings file.
    const FileRead file = ReadRegularFile(fileName, ComponentStore::kMaxFileSize);
    if (file.state != FileRead::State::Regular)
        return {};
    return IniDocument::fromBytes(
        {file.bytes.constData(), static_cast<std::size_t>(file.bytes.size())});
}

QByteArray documentBytes(const IniDocument& document)
{
    const std::string bytes = document.toBytes();
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The name a widget's keys are made of; empty for unnamed widgets and for Qt's own inner
// widgets ("qt_spinbox_lineedit", "qt_scrollarea_viewport", ...), which get no keys.
QString keyName(const QWidget* widget)
{
    const QString name = widget->objectName();
    return name.startsWith(QLatin1String("qt_")) ? QString() : name;
}

enum class Pass { Save, Load };

void walk(ComponentStore& ini, QObject* owner, const QString& section, Pass pass)
{
    // A copy: restoring a control may create widgets under the owner.
    const QObjectList children = owner->children(); // NOLINT(performance-unnecessary-copy-*)
    for (QObject* child : children) {
        auto* widget = qobject_cast<QWidget*>(child);
        // A child window (a dialog or a tool window parented to this one) is a form of its own.
        if (widget == nullptr || widget->isWindow())
            continue;
        const ComponentRow* row = FindComponentRow(widget);
        if (row == nullptr) {
            walk(ini, widget, section, pass);
            continue;
        }
        const QString name = keyName(widget);
        if (name.isEmpty())
            continue;
        if (pass == Pass::Save)
            row->save(ini, widget, section, name);
        else
            row->load(ini, widget, section, name);
    }
}

} // namespace

ComponentStore::ComponentStore(const QString& fileName, Start start)
    : m_fileName(fileName.isEmpty() ? ProgramIniName() : fileName)
{
    if (start == Start::FromFile)
        m_iniFile = readDocument(m_fileName);
}

void ComponentStore::SaveForm(QWidget* form)
{
    SaveComponents(form, form->objectName());
}

void ComponentStore::LoadForm(QWidget* form)
{
    LoadComponents(form, form->objectName());
    form->repaint();
}

void ComponentStore::SaveComponents(QObject* owner, const QString& section)
{
    walk(*this, owner, section, Pass::Save);
}

void ComponentStore::LoadComponents(QObject* owner, const QString& section)
{
    walk(*this, owner, section, Pass::Load);
}

bool ComponentStore::ValueExists(const QString& section, const QString& key) const
{
    return m_iniFile.keyExists(u16(section), u16(key));
}

QString ComponentStore::ReadString(const QString& section, const QString& key,
                                   const QString& fallback) const
{
    return QString::fromStdU16String(m_iniFile.readString(u16(section), u16(key), u16(fallback)));
}

void ComponentStore::WriteString(const QString& section, const QString& key, const QString& value)
{
    m_iniFile.writeString(u16(section), u16(key), u16(value));
}

int ComponentStore::ReadInteger(const QString& section, const QString& key, int fallback) const
{
    return m_iniFile.readInteger(u16(section), u16(key), fallback);
}

void ComponentStore::WriteInteger(const QString& section, const QString& key, int value)
{
    m_iniFile.writeInteger(u16(section), u16(key), value);
}

bool ComponentStore::ReadBool(const QString& section, const QString& key, bool fallback) const
{
    return m_iniFile.readBool(u16(section), u16(key), fallback);
}

void ComponentStore::WriteBool(const QString& section, const QString& key, bool value)
{
    m_iniFile.writeBool(u16(section), u16(key), value);
}

double ComponentStore::ReadReal(const QString& section, const QString& key, double fallback) const
{
    return m_iniFile.readReal(u16(section), u16(key), fallback);
}

void ComponentStore::WriteReal(const QString& section, const QString& key, double value)
{
    m_iniFile.writeReal(u16(section), u16(key), value);
}

QByteArray ComponentStore::FileBytes() const
{
    return documentBytes(m_iniFile);
}

QString ComponentStore::UpdateFile()
{
    return WriteFileAtomically(m_fileName, documentBytes(m_iniFile));
}

QString ComponentStore::UpdateFileKeepingBackup()
{
    return ReplaceFileKeepingBackup(m_fileName, documentBytes(m_iniFile));
}

} // namespace quorvel
