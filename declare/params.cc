#include "declare/params.h"

#include <cstdio>

#include "frame/files.h"
#include "frame/vbtext.h"
#include "platform/cp950.h"

std::vector<std::string> claimParams(const std::string& applType, const std::string& feeMonth,
                                     const std::string& hospDataType) {
  return {"APPL_TYPE=" + applType,  "FEE_YM=" + feeMonth,
          "MONTH_MARK=3",           "HOSP_DATA_TYPE=" + hospDataType,
          "FILE_DATA_TYPE=2",       "CH_CODE=B",
          "COMPRESS_MARK=Z"};
}

std::vector<std::string> healthCheckParams(const std::string& feeMonth,
                                           const std::string& hospDataType) {
  return {"APPL_TYPE=1",      "FEE_YM=" + feeMonth,
          "MONTH_MARK=3",     "HOSP_DATA_TYPE=" + hospDataType,
          "FILE_DATA_TYPE=1", "CH_CODE=B",
          "COMPRESS_MARK=0"};
}

std::vector<std::string> procQueryParams(const std::string& feeMonth) {
  return {"FEE_YM=" + feeMonth, "APPL_TYPE=1", "APPLY_DATE="};
}

std::vector<std::string> recvQueryParams(const std::string& feeMonth) {
  return {"FEE_YM=" + feeMonth, "MONTH_MARK=3"};
}

std::vector<std::string> fileListParams(const std::string& feeMonth) {
  return {"FEE_YM_S=" + feeMonth, "FEE_YM_E=", "SUPPLY_DATE=", "ORDER_FIELD="};
}

std::vector<std::string> summaryListParams(const std::string& feeMonth) {
  return {"FEE_YM_S=" + feeMonth, "SUPPLY_DATE=30", "ORDER_FIELD="};
}

std::string paramFileText(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

std::string toCrLf(const std::string& data) {
  std::string out, line;
  bool open = false;  // a line has begun that no line end has closed yet
  for (size_t i = 0; i < data.size(); ++i) {
    char c = data[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ++i;
      out += line + "\r\n";
      line.clear();
      open = false;
    } else {
      line += c;
      open = true;
    }
  }
  if (open) out += line + "\r\n";
  return out;
}

std::string dateTimeText(const DateTime& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", t.year % 10000, t.month % 100,
                t.day % 100, t.hour % 100, t.minute % 100, t.second % 100);
  return buf;
}

std::string reportCaption(const std::string& feeMonth, const std::optional<DateTime>& fileTime) {
  return b5("  網路申報 ") + b5("資料: ") + feeMonth + "   " +
         (fileTime ? dateTimeText(*fileTime) : std::string());
}

std::string vbNumber(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}

std::string claimConfirmation(const std::string& pharmacy, const std::string& count,
                              const std::string& fee) {
  std::string t = pharmacy.empty() ? std::string() : "\t" + pharmacy;
  return t + "\r\r" + b5("筆數:   ") + vbNumber(vbVal(count)) + "\r" + b5("費用: ") +
         vbNumber(vbVal(fee));
}

std::string receiptLine(const std::string& receipt, const DateTime& t,
                        const std::string& feeMonth, const std::string& file) {
  return vbTrim(receipt) + " " + dateTimeText(t) + " " + vbTrim(feeMonth) + " " + file;
}

std::string receiptOf(const std::string& line) {
  std::string t = vbTrim(line);
  size_t blank = t.find(' ');
  return blank == std::string::npos ? t : t.substr(0, blank);
}

std::string bufferText(const std::string& buffer) {
  size_t end = buffer.find('\0');
  return vbTrim(buffer.substr(0, end));
}

namespace {

bool lettersAndDigits(const std::string& t, size_t width) {
  if (t.empty() || t.size() > width) return false;
  for (char c : t)
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
  return true;
}

}  // namespace

bool wellFormedReceipt(const std::string& receipt) { return lettersAndDigits(receipt, kReceiptWidth); }

bool wellFormedIdentifier(const std::string& id) { return lettersAndDigits(id, kIdentifierWidth); }

std::optional<std::pair<std::string, std::string>> nhiIdentifiers(const std::string& text) {
  const std::vector<std::string> lines = splitLines(text);
  if (lines.size() < 2) return std::nullopt;
  std::string local = vbTrim(lines[0]), nhi = vbTrim(lines[1]);
  if (!wellFormedIdentifier(local) || !wellFormedIdentifier(nhi)) return std::nullopt;
  return std::make_pair(local, nhi);
}

std::string savecodeLine(const std::string& localId, const std::string& nhiId, const DateTime& t,
                         const std::string& file) {
  return vbTrim(localId) + " " + vbTrim(nhiId) + " " + dateTimeText(t) + " " + file;
}
