#pragma once
#include <memory>
#include <vector>

#include "printing/RtfDocument.h"
#include "printing/WordApi.h"

// The word processor made of the RTF engine: its documents are RtfDocuments, and "visible"
// hands saved files to a FileOpener.
namespace veltor {

class RtfApplication : public DocumentApplication {
public:
    explicit RtfApplication(FileOpener opener);

    Document &open(const std::filesystem::path &path) override;
    Document &add() override;
    Document &activeDocument() override;
    void setVisible(bool visible) override;
    bool isVisible() const override { return m_visible; }

private:
    struct Entry {
        std::unique_ptr<RtfDocument> document;
        std::filesystem::path shown; // the saved file last shown to the user
    };
    Document &adopt(std::unique_ptr<RtfDocument> document);
    void show(Entry &entry);

    FileOpener m_opener;
    bool m_visible = false;
    std::vector<std::unique_ptr<Entry>> m_documents; // Documents, the last one active
};

} // namespace veltor
