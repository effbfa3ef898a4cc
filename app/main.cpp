// The program entry: the application, then the program's whole life in its order.
#include "program_settings.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    return quorvel::RunQuorvel(app);
}
