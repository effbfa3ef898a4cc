// The program entry (Part 3.4): the application with Qt's German texts, the windows in their
// order, the message loop.
#include "worksheet/message_boxes.h"
#include "worksheet/program_windows.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    quorvel::InstallGermanTranslations(app);

    quorvel::ProgramWindows windows;
    // LoadSettings and SaveSettings come with the settings issue; until then every window
    // starts with its design values and nothing is written at exit.
    windows.form1.show();
    return QApplication::exec();
}
