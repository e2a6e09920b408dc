#pragma once
#include <string>

namespace veltor::demo {

// The short user's guide "Help.doc" of the program folder: an RTF document (Word and LibreOffice
// open it under the .doc name), its Russian text in CP1251 escapes.
std::string helpDocument();

} // namespace veltor::demo
