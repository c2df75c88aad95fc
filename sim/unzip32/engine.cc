// The substitute unzip32.dll's reading of archives and its listing, testing
// and extraction (engine.h).
#include "sim/unzip32/engine.h"

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/unzip32.h"

namespace unzip32sim {

namespace {

// An archive larger than this is not a declaration result.
constexpr DWORD kMaxArchive = 256u << 20;
constexpr uint32_t kEndOfCentral = 0x06054b50;
constexpr uint32_t kCentralHeader = 0x02014b50;
constexpr uint32_t kLocalHeader = 0x04034b50;

uint32_t get16(const std::string& b, size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}
uint32_t get32(const std::string& b, size_t at) { return get16(b, at) | get16(b, at + 2) << 16; }

bool readWhole(const char* path, std::string& out) {
  HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD high = 0, low = GetFileSize(f, &high);
  bool ok = low != INVALID_FILE_SIZE && high == 0 && low <= kMaxArchive;
  if (ok) {
    out.resize(low);
    DWORD got = 0;
    ok = low == 0 || (ReadFile(f, out.data(), low, &got, nullptr) && got == low);
  }
  CloseHandle(f);
  return ok;
}

// The central directory; UZ_PK_OK or why not.
int directory(const std::string& b, std::vector<Entry>& entries) {
  if (b.size() < 22) return UZ_PK_NOZIP;
  size_t end = std::string::npos;
  size_t lowest = b.size() > 22 + 0xFFFF ? b.size() - 22 - 0xFFFF : 0;
  for (size_t at = b.size() - 22 + 1; at-- > lowest;) {
    if (get32(b, at) == kEndOfCentral) {
      end = at;
      break;
    }
  }
  if (end == std::string::npos) return UZ_PK_NOZIP;
  uint32_t count = get16(b, end + 10), length = get32(b, end + 12), start = get32(b, end + 16);
  if (count == 0xFFFF || start == 0xFFFFFFFFu) return UZ_IZ_UNSUP;  // zip64
  if (static_cast<uint64_t>(start) + length > end) return UZ_PK_BADERR;
  size_t at = start;
  for (uint32_t i = 0; i < count; ++i) {
    if (at + 46 > end || get32(b, at) != kCentralHeader) return UZ_PK_BADERR;
    Entry e;
    e.flags = get16(b, at + 8);
    e.method = get16(b, at + 10);
    e.dosTime = get32(b, at + 12);
    e.crc = get32(b, at + 16);
    e.packed = get32(b, at + 20);
    e.size = get32(b, at + 24);
    uint32_t nameLen = get16(b, at + 28), extraLen = get16(b, at + 30), commentLen = get16(b, at + 32);
    e.offset = get32(b, at + 42);
    if (at + 46 + nameLen + extraLen + commentLen > end) return UZ_PK_BADERR;
    e.name = b.substr(at + 46, nameLen);
    entries.push_back(std::move(e));
    at += 46 + nameLen + extraLen + commentLen;
  }
  return UZ_PK_OK;
}

bool safe(std::string_view name) {
  if (name.empty() || name.front() == '/' || name.front() == '\\') return false;
  if (name.find(':') != std::string_view::npos || name.find('\0') != std::string_view::npos)
    return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

// The entry's bytes, checked against its CRC; UZ_PK_OK or why not.
int content(const std::string& b, const Entry& e, std::string& out) {
  if (e.flags & 1) return UZ_PK_ERR;  // encrypted: no password is ever given
  if (static_cast<uint64_t>(e.offset) + 30 > b.size() || get32(b, e.offset) != kLocalHeader)
    return UZ_PK_BADERR;
  uint64_t data = static_cast<uint64_t>(e.offset) + 30 + get16(b, e.offset + 26) +
                  get16(b, e.offset + 28);
  if (data + e.packed > b.size()) return UZ_PK_BADERR;
  const char* in = b.data() + data;
  if (e.method == 0) {
    if (e.packed != e.size) return UZ_PK_ERR;
    out.assign(in, e.size);
  } else if (e.method == 8) {
    out.assign(e.size, '\0');
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return UZ_PK_MEM;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in));
    z.avail_in = e.packed;
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = e.size;
    int rc = inflate(&z, Z_FINISH);
    bool whole = rc == Z_STREAM_END && z.total_out == e.size;
    inflateEnd(&z);
    if (!whole) return UZ_PK_ERR;
  } else {
    return UZ_IZ_UNSUP;
  }
  uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(out.data()), static_cast<uInt>(out.size()));
  return crc == e.crc ? UZ_PK_OK : UZ_PK_ERR;
}

// Entry names are CP950 bytes, whatever the machine's code page; the paths
// the caller passes are in its ANSI code page.
std::wstring wide(const std::string& s, UINT codePage) {
  if (s.empty()) return std::wstring();
  int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(n > 0 ? static_cast<size_t>(n) : 0, L'\0');
  if (n > 0) MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

bool makeFolders(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  if (a != INVALID_FILE_ATTRIBUTES) return (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
  size_t cut = path.find_last_of(L"\\/");
  if (cut != std::wstring::npos && cut > 0 && path[cut - 1] != L':') makeFolders(path.substr(0, cut));
  return CreateDirectoryW(path.c_str(), nullptr) != 0 || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool writeWhole(const std::wstring& path, const std::string& bytes) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  bool ok = bytes.empty() ||
            (WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
             put == bytes.size());
  ok = CloseHandle(f) && ok;
  if (!ok) DeleteFileW(path.c_str());
  return ok;
}

bool named(const std::string& name, int count, char** names) {
  for (int i = 0; i < count && names && names[i]; ++i)
    if (name == names[i]) return true;
  return false;
}

int worse(int a, int b) { return a > b ? a : b; }

}  // namespace

int run(const Request& r, const std::function<void(const Entry&, const Listing&)>& listed,
        const std::function<int(const Entry&)>& service) {
  if (!r.zipName) return UZ_PK_NOZIP;
  std::string bytes;
  if (!readWhole(r.zipName, bytes)) return UZ_PK_NOZIP;
  std::vector<Entry> entries;
  if (int rc = directory(bytes, entries); rc != UZ_PK_OK) return rc;

  std::wstring folder = wide(r.extractDir && *r.extractDir ? r.extractDir : ".", CP_ACP);
  if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  int result = UZ_PK_OK;
  bool any = false;
  for (const Entry& e : entries) {
    if (r.ifnc > 0 && !named(e.name, r.ifnc, r.ifnv)) continue;
    if (r.xfnc > 0 && named(e.name, r.xfnc, r.xfnv)) continue;
    any = true;
    if (r.list) {
      unsigned factor = e.size ? static_cast<unsigned>(100 - (100ull * e.packed) / e.size) : 0;
      unsigned dosDate = e.dosTime >> 16, dosClock = e.dosTime & 0xFFFF;
      const char* method = e.method == 0 ? "Stored" : e.method == 8 ? "Defl:N" : "Unk";
      listed(e, Listing{factor, dosDate >> 5 & 15, dosDate & 31, (dosDate >> 9) + 1980,
                        dosClock >> 11, dosClock >> 5 & 63, method, (e.flags & 1) ? 'E' : ' '});
      continue;
    }
    if (service(e) != 0) return worse(result, UZ_PK_WARN);
    bool isFolder = !e.name.empty() && (e.name.back() == '/' || e.name.back() == '\\');
    std::string name = e.name;
    if (!r.keepPaths) {
      if (isFolder) continue;
      size_t cut = name.find_last_of("/\\");
      if (cut != std::string::npos) name = name.substr(cut + 1);
    }
    if (!safe(name)) {
      result = worse(result, UZ_PK_WARN);
      continue;
    }
    if (isFolder) {
      if (!r.test && !makeFolders(folder + wide(name, 950))) result = worse(result, UZ_PK_ERR);
      continue;
    }
    std::string data;
    if (int rc = content(bytes, e, data); rc != UZ_PK_OK) {
      result = worse(result, rc);
      continue;
    }
    if (r.test) continue;
    std::wstring path = folder + wide(name, 950);
    for (wchar_t& c : path)
      if (c == L'/') c = L'\\';
    if (!r.overwrite && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
    size_t cut = path.find_last_of(L'\\');
    if ((cut != std::wstring::npos && !makeFolders(path.substr(0, cut))) || !writeWhole(path, data))
      result = worse(result, UZ_PK_ERR);
  }
  if (!any && r.ifnc > 0) return UZ_PK_FIND;
  return result;
}

}  // namespace unzip32sim
