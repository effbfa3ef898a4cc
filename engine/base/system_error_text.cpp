// SPDX-License-Identifier: GPL-3.0-or-later
// The German reasons for the errno values that opening, writing, syncing and renaming files meet.
#include "base/system_error_text.h"

#include "base/text_encoding.h"

#include <cerrno>
#include <cstring>
#include <string>

namespace quorvel {

std::u16string SystemErrorText(int error)
{
    switch (error) {
    case ENOSPC:
        return u"Der Datentr\u00E4ger ist voll";
    case EDQUOT:
        return u"Das Speicherkontingent ist ersch\u00F6pft";
    case EROFS:
        return u"Das Dateisystem ist nur lesbar eingeh\u00E4ngt";
    case EACCES:
    case EPERM:
        return u"Keine Berechtigung";
    case EISDIR:
        return u"Dort liegt ein Ordner";
    case ENOTDIR:
        return u"Ein Teil des Pfades ist kein Ordner";
    case ENOENT:
        return u"Die Datei oder ihr Ordner ist nicht vorhanden";
    case EEXIST:
    case ENOTEMPTY:
        return u"Dort liegt schon etwas anderes";
    case ENAMETOOLONG:
        return u"Der Name ist zu lang";
    case ELOOP:
        return u"Zu viele symbolische Verkn\u00FCpfungen hintereinander";
    case EFBIG:
        return u"Die Datei w\u00E4re zu gro\u00DF f\u00FCr das Dateisystem";
    case EIO:
        return u"Der Datentr\u00E4ger meldet einen Ein-/Ausgabefehler";
    case EMFILE:
    case ENFILE:
        return u"Zu viele offene Dateien";
    case ENOMEM:
        return u"Nicht genug Arbeitsspeicher";
    case EBUSY:
    case ETXTBSY:
        return u"Die Datei ist gerade belegt";
    case EXDEV:
        return u"Die Datei l\u00E4sst sich nicht \u00FCber Dateisystemgrenzen umbenennen";
    case ENXIO:
    case ENODEV:
        return u"Das Ger\u00E4t ist nicht vorhanden";
    case ESTALE:
        return u"Die Datei auf dem Netzlaufwerk ist nicht mehr g\u00FCltig";
    case EINVAL:
        return u"Das Dateisystem unterst\u00FCtzt diesen Vorgang nicht";
    default: {
        // The system's words, in whatever language its locale gives, after the number that
        // identifies the error in any language.
        const std::string number = std::to_string(error);
        std::u16string text = u"Systemfehler ";
        text.append(number.begin(), number.end());
        text += u" (";
        text += DecodeUtf8(std::strerror(error));
        text += u')';
        return text;
    }
    }
}

} // namespace quorvel
