// SPDX-License-Identifier: GPL-3.0-or-later
// German reasons for the errno values that opening, reading, writing, syncing and renaming files
// meet.
#include "engine/base/system_messages.h"

#include <cerrno>
#include <cstring>

namespace quorvel {

std::string SystemErrorText(int error)
{
    switch (error) {
    case ENOSPC:
        return "Der Datentr\u00E4ger ist voll";
    case EDQUOT:
        return "Das Speicherkontingent ist ersch\u00F6pft";
    case EROFS:
        return "Das Dateisystem ist nur lesbar eingeh\u00E4ngt";
    case EFBIG:
        return "Die Datei w\u00E4re zu gro\u00DF f\u00FCr das Dateisystem";
    case EIO:
        return "Der Datentr\u00E4ger meldet einen Ein-/Ausgabefehler";
    case EACCES:
        return "Keine Berechtigung";
    case EPERM:
        return "Der Vorgang ist nicht erlaubt";
    case EISDIR:
        return "Dort liegt ein Ordner";
    case ENOTDIR:
        return "Ein Teil des Pfades ist kein Ordner";
    case ENOENT:
        return "Die Datei oder ihr Ordner ist nicht vorhanden";
    case EEXIST:
    case ENOTEMPTY:
        return "Dort liegt schon etwas anderes";
    case ENAMETOOLONG:
        return "Der Name ist zu lang";
    case ELOOP:
        return "Zu viele symbolische Verkn\u00FCpfungen hintereinander";
    case EMFILE:
    case ENFILE:
        return "Zu viele offene Dateien";
    case ENOMEM:
        return "Nicht genug Arbeitsspeicher";
    case EBUSY:
    case ETXTBSY:
        return "Die Datei ist gerade belegt";
    case EXDEV:
        return "Die Datei l\u00E4sst sich nicht \u00FCber Dateisystemgrenzen umbenennen";
    case ENXIO:
    case ENODEV:
        return "Das Ger\u00E4t ist nicht vorhanden";
    case ESTALE:
        return "Die Datei auf dem Netzlaufwerk ist nicht mehr g\u00FCltig";
    case EINVAL:
        return "Das Dateisystem unterst\u00FCtzt diesen Vorgang nicht";
    case EPIPE:
        return "Der Empf\u00E4nger hat die Pipe geschlossen";
    case ECONNRESET:
        return "Die Gegenseite hat die Verbindung getrennt";
    case EBADF:
        return "Nicht ge\u00F6ffnet oder nicht in dieser Richtung ge\u00F6ffnet";
    default:
        // The number identifies the error in any language; the system's words follow the locale
        // (English where the program never set one, as quorvel-calc).
        return "Systemfehler " + std::to_string(error) + " (" + std::strerror(error) + ")";
    }
}

} // namespace quorvel
