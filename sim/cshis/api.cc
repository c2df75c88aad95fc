#include "api.h"

#include <cstring>

#include "platform/cp950.h"

namespace sim {
namespace {

int cardCode(int status, int absent, int wrongCard) {
  if (status <= kStatusAbsent) return absent;
  if (status == kStatusWrongCard) return wrongCard;
  return kOk;
}

}  // namespace

Session& session() {
  static Session s;
  return s;
}

std::mutex& callLock() {
  static std::mutex m;
  return m;
}

void journalCall(const std::string& path, std::string_view name, const Args& args, int code,
                 const std::string& note) {
  try {
    journal::append(path, journal::line(name, args, code, note));
  } catch (...) {
  }
}

std::string stateText(const char* text) { return rtrim(cp950::toUtf8(argumentBytes(text))); }

int numberOf(std::string_view text) {
  size_t i = text.find_first_not_of(' ');
  int n = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && n < 100000000; ++i)
    n = n * 10 + (text[i] - '0');
  return n;
}

std::string digits(int value, int width) {
  std::string s = std::to_string(value < 0 ? 0 : value);
  if (s.size() < static_cast<size_t>(width)) s.insert(0, static_cast<size_t>(width) - s.size(), '0');
  return s.substr(s.size() - static_cast<size_t>(width));
}

int samPresent(const Reader& r) { return cardCode(r.sam ? r.sam->status : 0, kNoSam, kNotSam); }

int samReady(const Reader& r) {
  if (int c = samPresent(r)) return c;
  return r.sam->status == kStatusNotAuthenticated ? kSamNotAuthenticated : kOk;
}

int hcPresent(const Reader& r) { return cardCode(r.hc ? r.hc->status : 0, kNoHc, kNotHc); }

int hcReady(const Reader& r) {
  if (int c = hcPresent(r)) return c;
  return r.hc->status == kStatusNotAuthenticated ? kHcNotAuthenticated : kOk;
}

int hpcPresent(const Reader& r) { return cardCode(r.hpc ? r.hpc->status : 0, kNoHpc, kNotHpc); }

int hpcReady(const Reader& r) {
  if (int c = hpcPresent(r)) return c;
  return r.hpc->status == kStatusNotAuthenticated ? kHpcNotAuthenticated : kOk;
}

int hpcPinVerified(const Reader& r) {
  if (int c = hpcReady(r)) return c;
  return r.hpc->status < kHpcStatusPinVerified ? kHpcPinNotVerified : kOk;
}

bool isCancelled(const HealthCard& hc) {
  constexpr layout::Place kMark = layout::kBasic.at("cancelMark");
  return field(hc.basic[kMark.index], kMark.width) == "2";
}

void put(char* buf, short* len, const std::string& reply) {
  std::memcpy(buf, reply.data(), reply.size());
  *len = static_cast<short>(reply.size());
}

}  // namespace sim
