// CP950 text to and from the UTF-16 of Windows' W functions, for the Windows
// side of the platform only.
#pragma once

#include <string>
#include <string_view>

namespace cp950 {

std::wstring toWide(std::string_view bytes);
std::string fromWide(std::wstring_view w);

}  // namespace cp950
