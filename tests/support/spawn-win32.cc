// Starting a program with CreateProcessW. Texts arrive in UTF-8, the narrow
// form the C++ library's paths take on this platform.
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <map>

#include "tests/support/spawn.h"

namespace {

std::wstring wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0)
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
  return w;
}

std::wstring fullPath(const std::wstring& p) {
  DWORD n = GetFullPathNameW(p.c_str(), 0, nullptr, nullptr);
  if (n == 0) return p;
  std::wstring out(n, L'\0');
  n = GetFullPathNameW(p.c_str(), n, out.data(), nullptr);
  out.resize(n);
  return out;
}

// Environment names compare without case on Windows.
struct NoCase {
  bool operator()(const std::wstring& a, const std::wstring& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](wchar_t x, wchar_t y) {
                                          return std::towupper(x) < std::towupper(y);
                                        });
  }
};

// This process's environment with the given variables set, as one block.
std::wstring environmentBlock(const std::vector<std::pair<std::string, std::string>>& env) {
  std::map<std::wstring, std::wstring, NoCase> vars;
  if (wchar_t* block = GetEnvironmentStringsW()) {
    for (const wchar_t* p = block; *p; p += wcslen(p) + 1) {
      std::wstring entry = p;
      // Entries such as "=C:=C:\\dir" keep their leading "=" in the name.
      size_t eq = entry.find(L'=', 1);
      if (eq == std::wstring::npos) continue;
      vars[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    FreeEnvironmentStringsW(block);
  }
  for (const auto& [k, v] : env) vars[wide(k)] = wide(v);
  std::wstring out;
  for (const auto& [k, v] : vars) {
    out += k;
    out += L'=';
    out += v;
    out += L'\0';
  }
  out += L'\0';
  return out;
}

}  // namespace

SpawnResult spawnAndWait(const std::string& program, const std::string& commandLine,
                         const std::string& folder,
                         const std::vector<std::pair<std::string, std::string>>& env,
                         int timeoutSeconds) {
  SpawnResult r;
  const std::wstring prog = fullPath(wide(program));
  std::wstring line = L"\"" + prog + L"\"";
  if (!commandLine.empty()) line += L" " + wide(commandLine);
  std::wstring block = environmentBlock(env);
  const std::wstring dir = wide(folder);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(prog.c_str(), line.data(), nullptr, nullptr, FALSE,
                      CREATE_UNICODE_ENVIRONMENT, block.data(), dir.empty() ? nullptr : dir.c_str(),
                      &si, &pi))
    return r;
  CloseHandle(pi.hThread);
  const DWORD wait = timeoutSeconds > 0 ? static_cast<DWORD>(timeoutSeconds) * 1000 : INFINITE;
  if (WaitForSingleObject(pi.hProcess, wait) == WAIT_TIMEOUT) {
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, INFINITE);
    r.timedOut = true;
  } else {
    DWORD code = 0;
    if (GetExitCodeProcess(pi.hProcess, &code)) r.exitCode = static_cast<int>(code);
  }
  CloseHandle(pi.hProcess);
  return r;
}
