#pragma once

// What the program does with a document once it is filled and saved. The clerk's choice is kept
// in the user's settings (QSettings), not in config.ini, whose ten lines other software reads.
namespace veltor {

enum class AfterFilling {
    OpenInEditor, // the desktop's application for the file, as before
    ShowPreview,  // the program's own print preview, with printing and PDF from there
    SavePdf,      // a PDF beside the saved document, shown by the desktop's PDF viewer
};

// The stored choice; OpenInEditor when none is stored or the stored value is unknown.
AfterFilling afterFilling();
void setAfterFilling(AfterFilling choice);

} // namespace veltor
