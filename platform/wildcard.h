// The file-list box's patterns: "*.*", "orvo????.exe;_orvo????.exe",
// "Z??????????". "*" stands for any run of characters, "?" for exactly one;
// names are compared without case; ";" separates alternatives.
#pragma once

#include <string_view>

bool matchesPattern(std::string_view name, std::string_view patterns);
