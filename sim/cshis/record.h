// A record of the card as the simulator keeps it: one UTF-8 text per value of
// its layout. Records are turned into fixed-width CP950 bytes for replies, and
// to and from the objects of the state file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "layout.h"

namespace sim {

using Record = std::vector<std::string>;

// A record of that layout with every text empty.
Record emptyRecord(const layout::Record& l);

// How many of the CP950 bytes a field of `width` holds: as many whole
// characters as fit.
size_t fitLength(std::string_view cp950, int width);

// The CP950 bytes cut or blank-padded to `width`; a cut never leaves half of a
// double-byte character: its place is filled with a blank.
std::string fit(std::string_view cp950, int width);

// UTF-8 text as a fixed-width CP950 field.
std::string field(std::string_view utf8, int width);

// The record's bytes, each text fitted to its field.
std::string recordBytes(const Record& r, const layout::Record& l);

// A group of records, blank slots after the last record, extra records ignored.
std::string groupBytes(const std::vector<Record>& records, const layout::Group& g);

// Sets the fields from byte offset `at` of the layout on from CP950 bytes laid
// out like the record from that offset (missing bytes are blanks), kept as
// UTF-8 without trailing blanks.
void fillFromBytes(Record& r, const layout::Record& l, int at, std::string_view cp950);

// The record's keys in a state-file object; a repeated field is a list
// without its trailing empty texts.
void recordToJson(const Record& r, const layout::Record& l, nlohmann::json& obj);

// Reads the record's keys from a state-file object. A key that is absent or
// null is empty. False and `error` naming the place (`at` + key) when a value
// has the wrong type.
bool recordFromJson(const nlohmann::json& obj, const layout::Record& l, const std::string& at,
                    Record& r, std::string& error);

// Text without trailing blanks.
std::string rtrim(std::string_view s);

}  // namespace sim
