#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Russian text helpers for documents and the card. All texts are CP1251 bytes.
namespace veltor {

// kind 0: whole roubles in words with the agreeing currency word ("... рубля");
// kind 1: the number in words; kind 2: the amount in figures (1234-56, 1234=);
// any other kind: empty text. Kinds 0 and 1 raise ConversionError for negative values.
std::string AmountInWords(uint8_t kind, double value);

// "Иванов Иван Иванович" -> "И.И. Иванов" (signatures). Runs of blanks count as one; a name of
// two words has no patronymic: "Смит Джон" -> "Д. Смит", "Смит Д.".
std::string InitialsFirst(std::string_view fullName);
// "Иванов Иван Иванович" -> "Иванов И.И." (headings).
std::string InitialsLast(std::string_view fullName);

// The n-th blank-separated word with the blank that follows it; empty when absent or n <= 0.
// Runs of blanks count as one.
std::string NthWord(std::string_view text, int32_t n);

// a..z and а..я made capital; everything else (ё included) unchanged.
std::string UpperCaseRu(std::string_view text);

} // namespace veltor
