// The journal: one UTF-8 line per call, so that a test or a developer can see
// what the program asked of the reader and what it answered.
//
//   <function> TAB <argument> TAB ... TAB => <code> [TAB <note>]
//
// The note appears only when the simulator has something to say about the
// call itself (why a reader could not be opened, a state file not saved).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sim {
// The bytes of a text argument up to its NUL ("" for a null pointer).
std::string_view argumentBytes(const char* text);
}  // namespace sim

namespace sim::journal {

// Tab, CR, LF and backslash written \t, \r, \n, \\ (the journal's field rule).
std::string escape(std::string_view s);

// A text argument: its CP950 bytes up to the NUL as UTF-8, with tab, CR, LF
// and backslash written \t, \r, \n, \\; "(null)" for a null pointer.
std::string text(const char* cp950);
// A reply buffer: "buf=" and the length passed in.
std::string buffer(const short* len);
// A number argument, or the value behind a number pointer.
std::string number(long value);
std::string number(const short* value);

std::string line(std::string_view function, const std::vector<std::string>& args, int code,
                 std::string_view note);

// Appends the line (and a line feed); a journal that cannot be written is
// skipped.
void append(const std::string& path, const std::string& line);

}  // namespace sim::journal
