#include "formula_library/help_window.h"

#include "platform/program_dir.h"
#include "platform/rtf_reader.h"
#include "platform/text_encoding.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTextEdit>
#include <QVBoxLayout>

namespace quorvel {

TForm6::TForm6(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Taschenrechner Hilfe"));
    resize(542, 387);

    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setReadOnly(true);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setPlainText(QStringLiteral("Keine Hilfe verf\u00FCgbar...."));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(RichEdit1);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TForm6::ShowHelp(const QString& name)
{
    for (const QString& folder : HelpFileFolders()) {
        QFile file(folder + name);
        if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        if (IsRtf(bytes)) {
            ReadRtf(bytes, *RichEdit1->document());
        } else {
            const std::u16string text = DecodeUtf8OrWindows1252(
                std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
            RichEdit1->setPlainText(QString::fromStdU16String(text));
        }
        RichEdit1->moveCursor(QTextCursor::Start);
        break;
    }
    show();
    raise();
    activateWindow();
}

} // namespace quorvel
