// SPDX-License-Identifier: GPL-3.0-or-later
// The page files of the program folder, read and parsed on a thread of their own while the
// windows are being built: reading a long page's RTF into a document took a third of the start,
// and the windows do not need it until they are filled.
#pragma once

#include "gui/files/regular_file.h"

#include <QTextDocument>

#include <future>
#include <memory>

namespace quorvel {

struct PrereadPage
{
    FileRead file;                      // as ReadRegularFile gives it, links followed
    std::unique_ptr<QTextDocument> doc; // the RTF read, when the file is one; else none
};

class PagePreread
{
public:
    // Starts reading both pages of ProgramDir(); call it once the folder is settled.
    PagePreread();
    // Waits for the readings not taken.
    ~PagePreread();
    PagePreread(const PagePreread&) = delete;
    PagePreread& operator=(const PagePreread&) = delete;

    // Page `index`'s file and document, once; the document belongs to the calling thread and
    // has no parent yet. Later calls give an unread file.
    PrereadPage take(int index);

private:
    std::future<PrereadPage> m_pages[2];
};

} // namespace quorvel
