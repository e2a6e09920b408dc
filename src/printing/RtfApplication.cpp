#include "printing/RtfApplication.h"

#include "printing/DocumentFiles.h"
#include "printing/DocxDocument.h"
#include "text/Errors.h"

namespace veltor {

RtfApplication::RtfApplication(FileOpener opener) : m_opener(std::move(opener)) {}

Document &RtfApplication::open(const std::filesystem::path &path)
{
    std::string bytes = readDocumentFile(path);
    if (looksLikeZip(bytes))
        return adopt(std::make_unique<DocxDocument>(std::move(bytes), displayPath(path)));
    return adopt(std::make_unique<RtfDocument>(std::move(bytes), displayPath(path)));
}

Document &RtfApplication::add()
{
    return adopt(RtfDocument::blank());
}

Document &RtfApplication::activeDocument()
{
    if (m_documents.empty())
        throw DocumentError("Нет открытого документа");
    return *m_documents.back()->document;
}

template <typename Engine>
Document &RtfApplication::adopt(std::unique_ptr<Engine> document)
{
    auto entry = std::make_unique<Entry>();
    Entry *raw = entry.get();
    document->setSaveListener([this, raw](const std::filesystem::path &) {
        if (m_visible)
            show(*raw);
    });
    entry->document = std::move(document);
    m_documents.push_back(std::move(entry));
    return *raw->document;
}

void RtfApplication::setVisible(bool visible)
{
    m_visible = visible;
    if (!visible)
        return;
    for (auto &entry : m_documents)
        show(*entry);
}

void RtfApplication::show(Entry &entry)
{
    const std::filesystem::path saved = entry.document->savedPath();
    if (saved.empty() || saved == entry.shown)
        return;
    entry.shown = saved;
    if (m_opener)
        m_opener(saved);
}

} // namespace veltor
