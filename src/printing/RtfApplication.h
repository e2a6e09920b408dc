#pragma once
#include <memory>
#include <vector>

#include "printing/RtfDocument.h"
#include "printing/WordApi.h"

// The word processor made of our engines: a template is read as RTF or, when it is a zip
// archive, as Office Open XML (.docx); new documents are RTF. "Visible" hands saved files to a
// FileOpener.
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
        std::unique_ptr<Document> document;
        std::filesystem::path shown; // the saved file last shown to the user
    };
    template <typename Engine>
    Document &adopt(std::unique_ptr<Engine> document);
    void show(Entry &entry);

    FileOpener m_opener;
    bool m_visible = false;
    std::vector<std::unique_ptr<Entry>> m_documents; // Documents, the last one active
};

} // namespace veltor
