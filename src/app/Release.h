#pragma once
#include <string>

// The one place the program's name and release are written: the main window's title, the about
// box and the message boxes show them.
namespace veltor {

inline constexpr const char *ProgramName = "Вельтор";
inline constexpr const char *ProgramRelease = "1.0.9";

// "Вельтор (релиз 1.0.9)": the main window's title at start-up.
inline std::string programTitle() { return std::string(ProgramName) + " (релиз " + ProgramRelease + ")"; }

} // namespace veltor
