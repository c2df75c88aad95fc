// Unpacking through libzip. Every entry name is checked before anything is
// written; an entry that fails to read (corrupt data, a wrong CRC) leaves no
// half-written file behind.
#include <zip.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "platform/cp950.h"
#include "platform/platform.h"
#include "platform/unzip.h"

namespace fs = std::filesystem;

namespace {

struct Closer {
  void operator()(zip_t* z) const { zip_discard(z); }
};
struct FileCloser {
  void operator()(zip_file_t* f) const { zip_fclose(f); }
};

std::string zipError(int code) {
  zip_error_t e;
  zip_error_init_with_code(&e, code);
  std::string text = zip_error_strerror(&e);
  zip_error_fini(&e);
  return text;
}

// The entry's name as a path under the folder: CP950 bytes, either separator.
fs::path target(const fs::path& folder, const std::string& name) {
  std::string p = cp950::toUtf8(name);
  for (char& c : p)
    if (c == '\\') c = '/';
  return folder / fs::path(p).relative_path();
}

bool extract(zip_t* z, zip_uint64_t i, const fs::path& to, std::string& why) {
  std::unique_ptr<zip_file_t, FileCloser> in(zip_fopen_index(z, i, 0));
  if (!in) {
    why = zip_strerror(z);
    return false;
  }
  std::error_code ec;
  fs::create_directories(to.parent_path(), ec);
  std::ofstream out(to, std::ios::binary | std::ios::trunc);
  if (!out) {
    why = b5("無法寫入 ") + cp950::fromUtf8(to.string());
    return false;
  }
  std::vector<char> buf(64 * 1024);
  for (;;) {
    zip_int64_t n = zip_fread(in.get(), buf.data(), buf.size());
    if (n < 0) {
      why = zip_file_strerror(in.get());
      break;
    }
    if (n == 0) {
      out.close();
      if (out) return true;
      why = b5("無法寫入 ") + cp950::fromUtf8(to.string());
      break;
    }
    if (!out.write(buf.data(), static_cast<std::streamsize>(n))) {
      why = b5("無法寫入 ") + cp950::fromUtf8(to.string());
      break;
    }
  }
  out.close();
  fs::remove(to, ec);
  return false;
}

}  // namespace

bool unzipAll(const std::string& archive, const std::string& folder, std::string& why) {
  fs::path source = hostPath(archive), dest = hostPath(folder);
  std::error_code ec;
  if (!fs::is_regular_file(source, ec)) {
    why = b5("找不到壓縮檔 ") + archive;
    return false;
  }
  int error = 0;
  std::unique_ptr<zip_t, Closer> z(zip_open(source.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
  if (!z) {
    why = b5("壓縮檔損毀 ") + archive + " (" + zipError(error) + ")";
    return false;
  }
  zip_int64_t count = zip_get_num_entries(z.get(), 0);
  std::vector<std::string> names;
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name = zip_get_name(z.get(), static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
    if (!name || !safeEntryName(name)) {
      why = b5("壓縮檔含不安全的檔名 ") + (name ? std::string(name) : std::string("?"));
      return false;
    }
    names.emplace_back(name);
  }
  fs::create_directories(dest, ec);
  if (!fs::is_directory(dest, ec)) {
    why = b5("無法建立資料夾 ") + folder;
    return false;
  }
  for (size_t i = 0; i < names.size(); ++i) {
    fs::path to = target(dest, names[i]);
    if (names[i].back() == '/' || names[i].back() == '\\') {
      fs::create_directories(to, ec);
      continue;
    }
    std::string detail;
    if (!extract(z.get(), i, to, detail)) {
      why = b5("解壓縮失敗 ") + names[i] + " (" + detail + ")";
      return false;
    }
  }
  return true;
}
