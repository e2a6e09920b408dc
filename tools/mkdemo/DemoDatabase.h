#pragma once
#include <filesystem>
#include <string_view>

// `mkdemo write`: the demo database and the program folder's files, made from DemoContent with
// the table engine. The output depends on nothing but the content and a fixed pseudo-random
// sequence, so writing twice gives the same bytes.
namespace veltor::demo {

// Installation root written into the paths that tables store (osnova.dbf FOTO, Pechat FAIL);
// `mkdemo install` replaces it by the folder the demo is installed in.
inline constexpr std::string_view RootPlaceholder = "%ROOT%";

// Writes `folder`/database (the fifteen personnel tables and the photos in foto/) and
// `folder`/program (Stolb, Konstanty, Pechat, nonFoto.bmp, Help.doc). Files of the same names
// are replaced; nothing else in `folder` is touched.
void writeDemo(const std::filesystem::path &folder);

} // namespace veltor::demo
