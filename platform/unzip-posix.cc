// Unpacking through libzip. Every entry name is checked before anything is
// written; an entry that fails to read (corrupt data, a wrong CRC) leaves no
// half-written file behind. libzip (and the compression and crypto libraries
// it pulls in) is loaded at the first unpacking, not at every start of the
// program: almost no run unpacks anything.
#include <dlfcn.h>
#include <zip.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <type_traits>
#include <vector>

#include "platform/cp950.h"
#include "platform/platform.h"
#include "platform/unzip.h"

namespace fs = std::filesystem;

namespace {

// The libzip functions used here, resolved by name at first use.
struct Zip {
  decltype(&::zip_discard) discard = nullptr;
  decltype(&::zip_error_fini) error_fini = nullptr;
  decltype(&::zip_error_init_with_code) error_init_with_code = nullptr;
  decltype(&::zip_error_strerror) error_strerror = nullptr;
  decltype(&::zip_fclose) fclose = nullptr;
  decltype(&::zip_file_strerror) file_strerror = nullptr;
  decltype(&::zip_fopen_index) fopen_index = nullptr;
  decltype(&::zip_fread) fread = nullptr;
  decltype(&::zip_get_name) get_name = nullptr;
  decltype(&::zip_get_num_entries) get_num_entries = nullptr;
  decltype(&::zip_open) open = nullptr;
  decltype(&::zip_strerror) strerror = nullptr;
  bool ok = false;
};

const Zip& libzip() {
  static const Zip z = [] {
    Zip r;
    void* h = nullptr;
    for (const char* name : {"libzip.so.5", "libzip.so.4", "libzip.so"})
      if ((h = dlopen(name, RTLD_NOW | RTLD_LOCAL))) break;
    if (!h) return r;
    auto get = [h](auto& fn, const char* name) {
      fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(h, name));
      return fn != nullptr;
    };
    r.ok = get(r.discard, "zip_discard") && get(r.error_fini, "zip_error_fini") &&
           get(r.error_init_with_code, "zip_error_init_with_code") &&
           get(r.error_strerror, "zip_error_strerror") && get(r.fclose, "zip_fclose") &&
           get(r.file_strerror, "zip_file_strerror") && get(r.fopen_index, "zip_fopen_index") &&
           get(r.fread, "zip_fread") && get(r.get_name, "zip_get_name") &&
           get(r.get_num_entries, "zip_get_num_entries") && get(r.open, "zip_open") &&
           get(r.strerror, "zip_strerror");
    return r;
  }();
  return z;
}

struct Closer {
  void operator()(zip_t* z) const { libzip().discard(z); }
};
struct FileCloser {
  void operator()(zip_file_t* f) const { libzip().fclose(f); }
};

std::string zipError(int code) {
  zip_error_t e;
  libzip().error_init_with_code(&e, code);
  std::string text = libzip().error_strerror(&e);
  libzip().error_fini(&e);
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
  std::unique_ptr<zip_file_t, FileCloser> in(libzip().fopen_index(z, i, 0));
  if (!in) {
    why = libzip().strerror(z);
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
    zip_int64_t n = libzip().fread(in.get(), buf.data(), buf.size());
    if (n < 0) {
      why = libzip().file_strerror(in.get());
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
  if (!libzip().ok) {
    why = b5("缺  libzip");
    return false;
  }
  int error = 0;
  std::unique_ptr<zip_t, Closer> z(libzip().open(source.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
  if (!z) {
    why = b5("壓縮檔損毀 ") + archive + " (" + zipError(error) + ")";
    return false;
  }
  zip_int64_t count = libzip().get_num_entries(z.get(), 0);
  std::vector<std::string> names;
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name = libzip().get_name(z.get(), static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
    if (!name || !safeEntryName(name)) {
      why = b5("壓縮檔含不安全的檔名 ") + (name ? std::string(name) : std::string("?"));
      return false;
    }
    names.emplace_back(name);
  }
  if (const std::string link = linkOnTheWay(folder, names); !link.empty()) {
    why = b5("解壓縮目的地含連結 ") + link;
    return false;
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

std::string unzipVersion() {
  for (const char* name : {"libzip.so.5", "libzip.so.4", "libzip.so"}) {
    void* h = dlopen(name, RTLD_NOW | RTLD_LOCAL);
    if (!h) continue;
    using Version = const char* (*)();
    auto v = reinterpret_cast<Version>(dlsym(h, "zip_libzip_version"));
    std::string text = std::string(name) + (v ? std::string(": libzip ") + v() : std::string());
    dlclose(h);
    return text;
  }
  return {};
}
