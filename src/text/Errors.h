#pragma once
#include <stdexcept>
#include <string>

// The three kinds of failure a helper may raise. Messages are UTF-8 Russian texts meant for
// the user; the handler guard of the windows shows them in a message box.
namespace veltor {

class VeltorError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text that is not an integer, a date or a number: «"12а" не является целым числом».
class ConversionError : public VeltorError {
public:
    using VeltorError::VeltorError;
};

// A file that cannot be opened, read or written, or a damaged table file. Names the file.
class FileError : public VeltorError {
public:
    using VeltorError::VeltorError;
};

// A document template or output document that cannot be processed. Names the file.
class DocumentError : public VeltorError {
public:
    using VeltorError::VeltorError;
};

} // namespace veltor
