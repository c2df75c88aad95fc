// Zip archives of stored (uncompressed) entries, as NHI_GetB hands a check
// result back: written by hand so that the library needs nothing beyond the
// C++ runtime.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace declsim::zip {

// CRC-32 of the zip format (reflected polynomial 0xEDB88320).
uint32_t crc32(std::string_view bytes);

// MS-DOS date and time fields of an entry.
struct DosTime {
  uint16_t time = 0;  // hour << 11 | minute << 5 | second / 2
  uint16_t date = 0;  // (year - 1980) << 9 | month << 5 | day
};
DosTime dosTime(int year, int month, int day, int hour, int minute, int second);

// An archive holding the entries (name bytes, content bytes) in the order
// given: local headers with the data, the central directory, its end record.
std::string stored(const std::vector<std::pair<std::string, std::string>>& entries, DosTime when);

}  // namespace declsim::zip
