// SPDX-License-Identifier: GPL-3.0-or-later
// German reasons for the errno values that reading and writing files can meet.
#include "base/system_messages.h"

#include <cerrno>
#include <cstring>

namespace quorvel {

std::string SystemErrorText(int error)
{
    switch (error) {
    case ENOSPC:
        return "Kein freier Speicherplatz auf dem Ger\u00E4t";
    case EDQUOT:
        return "Speicherkontingent \u00FCberschritten";
    case EFBIG:
        return "Die Datei w\u00E4re zu gro\u00DF";
    case EIO:
        return "Ein-/Ausgabefehler";
    case EROFS:
        return "Das Dateisystem ist nur lesbar";
    case EPIPE:
        return "Der Empf\u00E4nger hat die Pipe geschlossen";
    case ECONNRESET:
        return "Die Gegenseite hat die Verbindung getrennt";
    case EBADF:
        return "Nicht ge\u00F6ffnet oder nicht in dieser Richtung ge\u00F6ffnet";
    case ENOENT:
        return "Datei oder Ordner nicht vorhanden";
    case ENOTDIR:
        return "Ein Teil des Pfades ist kein Verzeichnis";
    case EISDIR:
        return "Ist ein Verzeichnis";
    case EACCES:
        return "Keine Berechtigung";
    case EPERM:
        return "Nicht erlaubt";
    case ENAMETOOLONG:
        return "Der Name ist zu lang";
    case ELOOP:
        return "Zu viele symbolische Verkn\u00FCpfungen";
    case EMFILE:
    case ENFILE:
        return "Zu viele offene Dateien";
    case ENOMEM:
        return "Nicht genug Arbeitsspeicher";
    case ENXIO:
    case ENODEV:
        return "Das Ger\u00E4t ist nicht vorhanden";
    case EINVAL:
        return "Ung\u00FCltiges Argument";
    case ESTALE:
        return "Die Datei auf dem Netzlaufwerk ist nicht mehr g\u00FCltig";
    default:
        // The locale is never set, so this is the system's English text.
        return "Systemfehler " + std::to_string(error) + " (" + std::strerror(error) + ")";
    }
}

} // namespace quorvel
