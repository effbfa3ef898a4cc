// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/page_preread.h"

#include "gui/files/page_files.h"
#include "gui/files/program_dir.h"
#include "gui/rtf/reader.h"

#include <QThread>

namespace quorvel {

PagePreread::PagePreread()
{
    QThread* const owner = QThread::currentThread();
    for (int index : {0, 1}) {
        m_pages[index] =
            std::async(std::launch::async, [path = ProgramDir() + PageFileName(index), owner] {
                PrereadPage page;
                page.file = ReadRegularFile(path);
                if (page.file.state == FileRead::State::Regular && IsRtf(page.file.bytes)) {
                    page.doc = std::make_unique<QTextDocument>();
                    ReadPageBytes(page.file.bytes, *page.doc);
                    page.doc->moveToThread(owner);
                }
                return page;
            });
    }
}

PagePreread::~PagePreread()
{
    for (auto& page : m_pages) {
        if (page.valid())
            page.wait();
    }
}

PrereadPage PagePreread::take(int index)
{
    std::future<PrereadPage>& page = m_pages[index];
    return page.valid() ? page.get() : PrereadPage{};
}

} // namespace quorvel
