#pragma once
#include <cstdint>
#include <string_view>

// The syntax of RTF and nothing else: groups, control words with their parameter, control
// symbols, \'hh escapes, plain text and \bin data, each with the byte range it came from.
namespace veltor {

struct RtfToken {
    enum class Type : uint8_t {
        End,
        GroupStart,
        GroupEnd,
        ControlWord,   // \word or \wordN, with its delimiting blank if there was one
        ControlSymbol, // \ followed by one character that is not a letter (\~, \-, \{, ...)
        Hex,           // \'hh
        Text,          // a run of text bytes, ending before a \, {, }, CR or LF
        Binary,        // the data of \binN
    };

    Type type = Type::End;
    uint32_t begin = 0;
    uint32_t end = 0;
    std::string_view word;        // ControlWord
    int32_t parameter = 0;        // ControlWord
    bool hasParameter = false;    // ControlWord
    bool delimitedByBlank = false; // ControlWord: the blank after it belongs to it
    char symbol = 0;              // ControlSymbol
    unsigned char byte = 0;       // Hex
};

class RtfTokenizer {
public:
    explicit RtfTokenizer(std::string_view bytes) : m_bytes(bytes) {}

    // The next token; Type::End at the end of the bytes. Line breaks between tokens are
    // skipped, as RTF ignores them.
    RtfToken next();

private:
    RtfToken readControl(uint32_t start);

    std::string_view m_bytes;
    uint32_t m_pos = 0;
    uint32_t m_pendingBinary = 0; // bytes of \bin data that follow the current position
};

} // namespace veltor
