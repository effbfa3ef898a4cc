// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for the RTF reader: any bytes must read without a crash, a hang or undefined
// behaviour, and whatever was read must survive the writer: write, read, write gives the same
// RTF twice. Seed it with tests/platform/fixtures. QTextDocument needs no GUI application.
#include "gui/rtf/reader.h"
#include "gui/rtf/writer.h"

#include <QTextDocument>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QTextDocument doc;
    if (!quorvel::ReadRtf(QByteArrayView(data, static_cast<qsizetype>(size)), doc))
        return 0;
    const QByteArray written = quorvel::WriteRtf(doc);
    QTextDocument again;
    if (!quorvel::ReadRtf(written, again) || quorvel::WriteRtf(again) != written)
        __builtin_trap();
    return 0;
}
