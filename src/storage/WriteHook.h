#pragma once
#include <filesystem>
#include <functional>

namespace veltor {

// Called in the middle of every table write, when the temporary file holds the header but not
// yet the records. Tests install one to make a write fail at a chosen point (by throwing, as a
// full disk would) or to end the process there. Empty by default.
using TableWriteHook = std::function<void(const std::filesystem::path &file)>;
void setTableWriteHook(TableWriteHook hook);

} // namespace veltor
