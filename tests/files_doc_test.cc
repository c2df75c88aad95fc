// docs/files.md against the program's layout constants: every table row that
// names constants must sit at their positions and widths, and the rows of a
// byte table follow one another, so the page cannot drift from the code.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "card/cardrecord.h"
#include "card/reportlayout.h"
#include "declare/params.h"
#include "upload/upload.h"
#include "visit/regrecord.h"

namespace {

// What a constant says about the row naming it.
enum class Kind { Pos, Width, End, Field };
struct Constant {
  Kind kind;
  long value;
  long width = 0;  // Field only
};

Constant pos(long v) { return {Kind::Pos, v}; }
Constant width(long v) { return {Kind::Width, v}; }
Constant end(long v) { return {Kind::End, v}; }
template <class F>
Constant field(const F& f) {
  return {Kind::Field, static_cast<long>(f.start), static_cast<long>(f.width)};
}

// The constants the page may name, by the name it uses.
const std::map<std::string, Constant>& constants() {
  namespace r = card::report;
  static const std::map<std::string, Constant> m = {
      {"regrecord::kCardNoPos", pos(regrecord::kCardNoPos)},
      {"regrecord::kCardNoWidth", width(regrecord::kCardNoWidth)},
      {"regrecord::kNewbornPos", pos(regrecord::kNewbornPos)},
      {"regrecord::kNewbornWidth", width(regrecord::kNewbornWidth)},
      {"regrecord::kTwinPos", pos(regrecord::kTwinPos)},
      {"regrecord::kTwinWidth", width(regrecord::kTwinWidth)},
      {"regrecord::kCategoryPos", pos(regrecord::kCategoryPos)},
      {"regrecord::kVisitCategoryWidth", width(regrecord::kVisitCategoryWidth)},
      {"regrecord::kSameDayPos", pos(regrecord::kSameDayPos)},
      {"regrecord::kSameDayWidth", width(regrecord::kSameDayWidth)},
      {"regrecord::kSeqPos", pos(regrecord::kSeqPos)},
      {"regrecord::kSeqWidth", width(regrecord::kSeqWidth)},
      {"regrecord::kInstitutionPos", pos(regrecord::kInstitutionPos)},
      {"regrecord::kInstitutionWidth", width(regrecord::kInstitutionWidth)},
      {"regrecord::kConstantPos", pos(regrecord::kConstantPos)},
      {"regrecord::kConstantWidth", width(regrecord::kConstantWidth)},
      {"regrecord::kSamIdPos", pos(regrecord::kSamIdPos)},
      {"regrecord::kSamIdWidth", width(regrecord::kSamIdWidth)},
      {"regrecord::kFlagPos", pos(regrecord::kFlagPos)},
      {"regrecord::kFlagWidth", width(regrecord::kFlagWidth)},
      {"regrecord::kStampHeadWidth", end(regrecord::kStampHeadWidth)},
      {"regrecord::kCategoryDayPos", pos(regrecord::kCategoryDayPos)},
      {"regrecord::kDayWidth", width(regrecord::kDayWidth)},
      {"regrecord::kIdPos", pos(regrecord::kIdPos)},
      {"regrecord::kIdWidth", width(regrecord::kIdWidth)},
      {"regrecord::kBirthPos", pos(regrecord::kBirthPos)},
      {"regrecord::kBirthWidth", width(regrecord::kBirthWidth)},
      {"regrecord::kTimePos", pos(regrecord::kTimePos)},
      {"regrecord::kTimeWidth", width(regrecord::kTimeWidth)},
      {"regrecord::kLength", end(regrecord::kLength)},
      {"regrecord::kStampWidth", end(regrecord::kStampWidth)},
      {"regrecord::kLongLength", end(regrecord::kLongLength)},
      {"regrecord::kBufferLength", end(regrecord::kBufferLength)},
      {"card::kCardNoPos", pos(card::kCardNoPos)},
      {"card::kCardNoWidth", width(card::kCardNoWidth)},
      {"card::kNamePos", pos(card::kNamePos)},
      {"card::kNameWidth", width(card::kNameWidth)},
      {"card::kIdPos", pos(card::kIdPos)},
      {"card::kIdWidth", width(card::kIdWidth)},
      {"card::kBirthPos", pos(card::kBirthPos)},
      {"card::kBirthWidth", width(card::kBirthWidth)},
      {"card::kSexPos", pos(card::kSexPos)},
      {"card::kIssuedPos", pos(card::kIssuedPos)},
      {"card::kIssuedWidth", width(card::kIssuedWidth)},
      {"card::kCancelPos", pos(card::kCancelPos)},
      {"card::kInsurerPos", pos(card::kInsurerPos)},
      {"card::kInsurerWidth", width(card::kInsurerWidth)},
      {"card::kIdentityMarkPos", pos(card::kIdentityMarkPos)},
      {"card::kValidPos", pos(card::kValidPos)},
      {"card::kValidWidth", width(card::kValidWidth)},
      {"card::kRemainingPos", pos(card::kRemainingPos)},
      {"card::kRemainingWidth", width(card::kRemainingWidth)},
      {"card::kNewbornPos", pos(card::kNewbornPos)},
      {"card::kNewbornWidth", width(card::kNewbornWidth)},
      {"card::kTwinPos", pos(card::kTwinPos)},
      {"card::kBasicLength", end(card::kBasicLength)},
      {"card::kVisitTimeWidth", width(card::kVisitTimeWidth)},
      {"card::kVisitSeqWidth", width(card::kVisitSeqWidth)},
      {"card::kVisitInstitutionWidth", width(card::kVisitInstitutionWidth)},
      {"card::kOrderTime", pos(card::kOrderTime)},
      {"card::kOrderTimeWidth", width(card::kOrderTimeWidth)},
      {"card::kOrderType", pos(card::kOrderType)},
      {"card::kOrderItem", pos(card::kOrderItem)},
      {"card::kOrderItemWidth", width(card::kOrderItemWidth)},
      {"card::kOrderPart", pos(card::kOrderPart)},
      {"card::kOrderPartWidth", width(card::kOrderPartWidth)},
      {"card::report::kOrderUsage", pos(r::kOrderUsage)},
      {"card::report::kOrderUsageWidth", width(r::kOrderUsageWidth)},
      {"card::report::kOrderDays", pos(r::kOrderDays)},
      {"card::report::kOrderDaysWidth", width(r::kOrderDaysWidth)},
      {"card::report::kOrderTotal", pos(r::kOrderTotal)},
      {"card::report::kTotalWidth", width(r::kTotalWidth)},
      {"card::report::kOrderDeliver", pos(r::kOrderDeliver)},
      {"card::report::kOrderDeliverWidth", width(r::kOrderDeliverWidth)},
      {"card::kOutpatientLength", end(card::kOutpatientLength)},
      {"totfa::kFeeMonth", field(totfa::kFeeMonth)},
      {"totfa::kApplType", field(totfa::kApplType)},
      {"totfa::kCount", field(totfa::kCount)},
      {"totfa::kFee", field(totfa::kFee)},
      {"drugt::kFeeMonth", field(drugt::kFeeMonth)},
      {"drugt::kCount", field(drugt::kCount)},
      {"drugt::kFee", field(drugt::kFee)},
      {"receipt::kSamId", field(receipt::kSamId)},
      {"receipt::kInstitution", field(receipt::kInstitution)},
      {"receipt::kUploadTime", field(receipt::kUploadTime)},
      {"receipt::kReceiveTime", field(receipt::kReceiveTime)},
      {"archive::kSource", field(archive::kSource)},
  };
  return m;
}

std::vector<std::string> cells(const std::string& row) {
  std::vector<std::string> out;
  std::string cur;
  for (size_t i = 1; i < row.size(); ++i) {
    if (row[i] == '|') {
      size_t a = cur.find_first_not_of(' '), b = cur.find_last_not_of(' ');
      out.push_back(a == std::string::npos ? "" : cur.substr(a, b - a + 1));
      cur.clear();
    } else {
      cur += row[i];
    }
  }
  return out;
}

TEST(FilesDoc, TablesFollowTheLayoutConstants) {
  std::ifstream f(IC_SOURCE_DIR "/docs/files.md");
  ASSERT_TRUE(f);
  const std::regex bytes(R"((\d+)(?:-(\d+))?)"), name("`([A-Za-z_:]+)`");
  std::string line, heading;
  std::vector<std::string> header;
  long lastEnd = 0;
  int checked = 0;
  std::map<std::string, int> used;
  for (int n = 1; std::getline(f, line); ++n) {
    if (line.rfind("#", 0) == 0) heading = line;
    if (line.rfind("|", 0) != 0) {
      header.clear();
      continue;
    }
    std::vector<std::string> c = cells(line);
    if (header.empty()) {
      header = c;
      lastEnd = 0;
      continue;
    }
    const bool byteTable = header[0] == "Bytes" || header[0] == "Bytes after `/WriteF2`";
    if (c[0].rfind("---", 0) == 0 || !byteTable) continue;
    const std::string where = heading + ", line " + std::to_string(n) + ": " + c[0];
    std::smatch m;
    ASSERT_TRUE(std::regex_match(c[0], m, bytes)) << where;
    const long first = std::stol(m[1]), last = m[2].matched ? std::stol(m[2]) : first;
    EXPECT_GT(first, lastEnd) << where << ": rows overlap or go backwards";
    lastEnd = last;
    if (header.size() > 1 && header[1] == "Width") {
      EXPECT_EQ(std::stol(c[1]), last - first + 1) << where << ": width column";
    }
    if (header.back() != "Code") continue;
    const std::string& code = c.back();
    for (std::sregex_iterator it(code.begin(), code.end(), name), e; it != e; ++it) {
      const std::string constant = (*it)[1];
      auto k = constants().find(constant);
      ASSERT_NE(k, constants().end()) << where << ": " << constant << " is not in this test's table";
      ++used[constant];
      ++checked;
      const Constant& v = k->second;
      switch (v.kind) {
        case Kind::Pos: EXPECT_EQ(v.value, first) << where << ": " << constant; break;
        case Kind::Width: EXPECT_EQ(v.value, last - first + 1) << where << ": " << constant; break;
        case Kind::End: EXPECT_EQ(v.value, last) << where << ": " << constant; break;
        case Kind::Field:
          EXPECT_EQ(v.value, first) << where << ": " << constant;
          EXPECT_EQ(v.width, last - first + 1) << where << ": " << constant;
          break;
      }
    }
  }
  EXPECT_GT(checked, 60);
  // A constant of the table the page no longer names is a row lost.
  for (const auto& [constant, v] : constants()) EXPECT_TRUE(used.count(constant)) << constant;
}

}  // namespace
