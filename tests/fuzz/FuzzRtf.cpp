// Any bytes as a document template: opening either raises DocumentError or gives a document in
// which replacing texts and filling cells works, and whose saved bytes open again.
#include "printing/RtfDocument.h"
#include "text/Errors.h"

#include <cstdlib>
#include <string>

using namespace veltor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    std::unique_ptr<RtfDocument> doc;
    try {
        doc = std::make_unique<RtfDocument>(std::string(reinterpret_cast<const char *>(bytes), size),
                                            "fuzz.rtf");
    } catch (const DocumentError &) {
        return 0;
    }
    try {
        // Placeholders as the templates have them, values with markup characters and CP1251.
        doc->replaceAll("<FIO>", "\xC8\xE2\xE0\xED\xEE\xE2 {\\b} \\par");
        doc->replaceAll("a", "");
        doc->replaceAll("e", "ee");
        doc->replaceAll("\xE0", "\xFF");
        const int tables = doc->tableCount();
        for (int t = 1; t <= std::min(tables, 3); ++t) {
            const int rows = doc->rowCount(t);
            for (int r = 1; r <= std::min(rows, 3); ++r) {
                const int columns = doc->columnCount(t, r);
                for (int c = 1; c <= std::min(columns, 3); ++c) {
                    (void)doc->cellText(t, r, c);
                    doc->setCellText(t, r, c, "12}{\\");
                }
            }
        }
        const int added = doc->addTable(2, 2);
        doc->setCellText(added, 2, 2, "\xCA\xEE\xE4");
        doc->setCellBold(added, 1, 1, true);
        doc->addRow(added);
    } catch (const DocumentError &) {
        // A template the engine cannot edit says so; the document stays writable.
    }
    const std::string saved = doc->toBytes();
    try {
        RtfDocument reopened(saved, "saved.rtf");
        (void)reopened.text();
    } catch (const DocumentError &) {
        std::abort();
    }
    return 0;
}
