// replay_baseline: the fastest program doing the same work as one run of ic,
// the baseline of bench_verbs. It loads the card library from its own folder,
// makes the calls of the script (bench/replay.h) in order with the same
// arguments, and leaves the same bytes in the same files with plain
// open/write/close. Everything is decided before it starts: it only maps the
// script and performs it. Written against the C library alone (no C++ runtime
// is loaded: the build links it with --as-needed) so that its start-up is the
// least a program using the card library can have.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <tuple>
#include <type_traits>
#include <utility>

#include "bench/replay.h"

namespace {

struct Script {
  const unsigned char* p;
  const unsigned char* end;
  bool bad = false;

  bool more(size_t n) {
    if (static_cast<size_t>(end - p) < n) bad = true;
    return !bad;
  }
  unsigned char byte() { return more(1) ? *p++ : 0; }
  template <class T>
  T number() {
    T v{};
    if (more(sizeof v)) std::memcpy(&v, p, sizeof v), p += sizeof v;
    return v;
  }
  // A text: its bytes (NUL-ended in the script) and its length.
  const char* text(uint32_t& n) {
    n = number<uint32_t>();
    if (!more(size_t{n} + 1)) return nullptr;
    const char* s = reinterpret_cast<const char*>(p);
    p += n + 1;
    return s;
  }
};

// The arguments of one call, taken in the order of the function's parameters:
// a reply buffer fills a char* and the short* after it; a short* not after a
// buffer takes a number when one follows and is otherwise an answer slot.
struct Arguments {
  Script& s;
  unsigned left;                 // arguments of the call not taken yet
  char* arena;                   // reply buffers
  short lengths[8] = {};
  short slots[8] = {};
  int nLengths = 0, nSlots = 0;
  short* pendingLength = nullptr;

  unsigned char peek() const { return left > 0 && s.p < s.end ? *s.p : 0; }

  template <class T>
  T take() {
    if constexpr (std::is_same_v<T, char*>) {
      const unsigned char kind = left > 0 ? (--left, s.byte()) : 0;
      if (kind == 'B') {
        short* len = &lengths[nLengths++ & 7];
        *len = s.number<int16_t>();
        pendingLength = len;
        char* buf = arena;
        arena += *len > 0 ? *len + 16 : 16;
        return buf;
      }
      if (kind == 'T') {
        uint32_t n = 0;
        return const_cast<char*>(s.text(n));
      }
      return nullptr;
    } else if constexpr (std::is_same_v<T, short*>) {
      if (pendingLength) return std::exchange(pendingLength, nullptr);
      short* slot = &slots[nSlots++ & 7];
      if (peek() == 'T') *slot = static_cast<short>(number());
      return slot;
    } else {
      static_assert(std::is_integral_v<T>);
      return peek() == 'T' ? static_cast<T>(number()) : T{};
    }
  }

  // A number as the journal writes it: decimal text.
  long number() {
    --left;
    s.byte();
    uint32_t n = 0;
    const char* t = s.text(n);
    return t ? std::strtol(t, nullptr, 10) : 0;
  }
};

template <class... P>
int invoke(int(CSHIS_CALL* fn)(P...), Arguments& a) {
  // Braces take the arguments left to right.
  std::tuple<P...> args{a.template take<P>()...};
  return std::apply(fn, args);
}

using Invoker = int (*)(void*, Arguments&);
#define REPLAY_INVOKER(name, params, args)                         \
  [](void* f, Arguments& a) {                                      \
    return invoke(reinterpret_cast<cshis_##name##_fn>(f), a);      \
  },
const Invoker kInvokers[] = {CSHIS_FUNCTIONS(REPLAY_INVOKER)};
#undef REPLAY_INVOKER

char gArena[1 << 16];

bool writeAll(int fd, const char* data, size_t n) {
  while (n > 0) {
    ssize_t w = write(fd, data, n);
    if (w <= 0) return false;
    data += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

bool putFile(const char* path, int flags, const char* data, size_t n) {
  int fd = open(path, O_WRONLY | O_CREAT | flags, 0644);
  if (fd < 0) return false;
  const bool ok = writeAll(fd, data, n);
  return close(fd) == 0 && ok;
}

bool listFolder(const char* path) {
  DIR* d = opendir(path);
  if (!d) return false;
  struct stat st;
  while (dirent* e = readdir(d)) fstatat(dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW);
  return closedir(d) == 0;
}

bool readFile(const char* path) {
  int fd = open(path, O_RDONLY);
  if (fd < 0) return false;
  static char buf[1 << 16];
  ssize_t r;
  while ((r = read(fd, buf, sizeof buf)) > 0) {
  }
  close(fd);
  return r == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  char lib[4096];
  ssize_t n = readlink("/proc/self/exe", lib, sizeof lib - 32);
  if (n <= 0) return 1;
  lib[n] = '\0';
  char* slash = std::strrchr(lib, '/');
  std::strcpy(slash ? slash + 1 : lib, "libcshis.so");
  void* handle = dlopen(lib, RTLD_NOW | RTLD_LOCAL);
  if (!handle) return 1;

  int fd = open(argv[1], O_RDONLY);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0) return 1;
  void* map = st.st_size > 0
                  ? mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_POPULATE, fd, 0)
                  : nullptr;
  close(fd);
  if (map == MAP_FAILED || !map) return 1;
  Script s{static_cast<const unsigned char*>(map),
           static_cast<const unsigned char*>(map) + st.st_size};
  void* resolved[replay::kFunctionCount] = {};

  bool ok = true;
  while (ok && s.p < s.end) {
    const unsigned char tag = s.byte();
    if (tag == 'C') {
      const unsigned fn = s.byte();
      Arguments a{s, s.byte(), gArena};
      if (fn >= replay::kFunctionCount) return 3;
      if (!resolved[fn] && !(resolved[fn] = dlsym(handle, replay::kFunctions[fn]))) return 3;
      kInvokers[fn](resolved[fn], a);
      continue;
    }
    uint32_t len = 0;
    const char* path = s.text(len);
    if (!path) return 3;
    uint32_t size = 0;
    const char* data = nullptr;
    switch (tag) {
      case 'W':
        data = s.text(size);
        ok = data && putFile(path, O_TRUNC, data, size);
        break;
      case 'A':
        data = s.text(size);
        ok = data && putFile(path, O_APPEND, data, size);
        break;
      case 'P': {
        const int64_t at = s.number<int64_t>(), cut = s.number<int64_t>();
        data = s.text(size);
        int f = data ? open(path, O_WRONLY | O_CREAT, 0644) : -1;
        ok = f >= 0 && pwrite(f, data, size, at) == static_cast<ssize_t>(size) &&
             (cut < 0 || ftruncate(f, cut) == 0);
        if (f >= 0) ok &= close(f) == 0;
        break;
      }
      case 'D': ok = unlink(path) == 0; break;
      case 'M': ok = mkdir(path, 0755) == 0; break;
      case 'X': ok = rmdir(path) == 0; break;
      case 'L': ok = listFolder(path); break;
      case 'R': ok = readFile(path); break;
      default: return 3;
    }
  }
  dlclose(handle);
  return ok && !s.bad ? 0 : 4;
}
