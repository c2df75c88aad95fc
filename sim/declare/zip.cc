#include "sim/declare/zip.h"

#include <array>

namespace declsim::zip {
namespace {

constexpr uint32_t kLocalHeader = 0x04034b50;
constexpr uint32_t kCentralHeader = 0x02014b50;
constexpr uint32_t kEndOfCentral = 0x06054b50;
constexpr uint16_t kVersion = 10;  // 1.0: stored entries, nothing newer needed

std::array<uint32_t, 256> makeTable() {
  std::array<uint32_t, 256> t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[i] = c;
  }
  return t;
}

void put16(std::string& out, uint32_t v) {
  out += static_cast<char>(v & 0xff);
  out += static_cast<char>((v >> 8) & 0xff);
}

void put32(std::string& out, uint32_t v) {
  put16(out, v & 0xffff);
  put16(out, v >> 16);
}

}  // namespace

uint32_t crc32(std::string_view bytes) {
  static const std::array<uint32_t, 256> table = makeTable();
  uint32_t c = 0xffffffffu;
  for (char b : bytes) c = table[(c ^ static_cast<unsigned char>(b)) & 0xff] ^ (c >> 8);
  return c ^ 0xffffffffu;
}

DosTime dosTime(int year, int month, int day, int hour, int minute, int second) {
  if (year < 1980) year = 1980;
  DosTime t;
  t.time = static_cast<uint16_t>(hour << 11 | minute << 5 | second / 2);
  t.date = static_cast<uint16_t>((year - 1980) << 9 | month << 5 | day);
  return t;
}

std::string stored(const std::vector<std::pair<std::string, std::string>>& entries, DosTime when) {
  std::string out, central;
  for (const auto& [name, data] : entries) {
    uint32_t crc = crc32(data);
    auto size = static_cast<uint32_t>(data.size());
    auto nameLen = static_cast<uint16_t>(name.size());
    auto offset = static_cast<uint32_t>(out.size());
    // The fields both headers share, from "version needed" to the name's length.
    std::string common;
    put16(common, kVersion);
    put16(common, 0);  // flags: names are the code page's bytes, not UTF-8
    put16(common, 0);  // method: stored
    put16(common, when.time);
    put16(common, when.date);
    put32(common, crc);
    put32(common, size);
    put32(common, size);
    put16(common, nameLen);
    put16(common, 0);  // extra field length

    put32(out, kLocalHeader);
    out += common;
    out += name;
    out += data;

    put32(central, kCentralHeader);
    put16(central, kVersion);  // made by: MS-DOS, version 1.0
    central += common;
    put16(central, 0);  // comment length
    put16(central, 0);  // disk number
    put16(central, 0);  // internal attributes
    put32(central, 0);  // external attributes
    put32(central, offset);
    central += name;
  }
  auto centralOffset = static_cast<uint32_t>(out.size());
  auto count = static_cast<uint16_t>(entries.size());
  out += central;
  put32(out, kEndOfCentral);
  put16(out, 0);  // this disk
  put16(out, 0);  // disk of the central directory
  put16(out, count);
  put16(out, count);
  put32(out, static_cast<uint32_t>(central.size()));
  put32(out, centralOffset);
  put16(out, 0);  // comment length
  return out;
}

}  // namespace declsim::zip
