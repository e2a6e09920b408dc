// rtfpdf: lays RTF documents out on pages and writes them as PDF, as the program does for the
// preview and "save as PDF"; for comparing with other renderings and for template authors.
//
//   rtfpdf DOCUMENT.rtf OUT.pdf [DOCUMENT.rtf OUT.pdf ...]
//
// Prints each document's page count. Needs no display (QT_QPA_PLATFORM=offscreen is set).

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>

#include "printing/DocumentFiles.h"
#include "printing/PdfOutput.h"
#include "printing/RtfLayout.h"

int main(int argc, char *argv[])
{
    if (argc < 3 || argc % 2 == 0) {
        std::fputs("usage: rtfpdf DOCUMENT.rtf OUT.pdf [DOCUMENT.rtf OUT.pdf ...]\n", stderr);
        return 2;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    int failures = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::filesystem::path in = argv[i];
        const std::filesystem::path out = argv[i + 1];
        try {
            const std::string bytes = veltor::readDocumentFile(in);
            auto layout = veltor::RtfLayout::fromRtf(bytes, veltor::displayPath(in));
            veltor::writePdf(*layout, out);
            std::printf("%s: %d pages\n", argv[i], layout->pageCount());
        } catch (const std::exception &e) {
            std::fprintf(stderr, "%s: %s\n", argv[i], e.what());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
