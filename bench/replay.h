// The replay script shared by bench_verbs, which writes it outside the timing
// from one run of ic, and replay_baseline, which performs it: the card
// library's calls with their arguments, then the file operations that turn the
// starting folder into the folder ic left.
//
// A script is a sequence of records, each a tag byte and its fields; numbers
// are little-endian, texts are a 32-bit length followed by the bytes and a NUL.
//   'C' fn(u8) count(u8) then `count` arguments of a call, fn indexing the
//       card library's functions in the order of CSHIS_FUNCTIONS;
//       an argument is 'T' text (a number too, in decimal, as the journal
//       writes it) | 'Z' (a null text) | 'B' len(i16) (a reply buffer and its
//       length)
//   'W' path data            create or replace the file with exactly data
//   'A' path data            append data
//   'P' path offset(i64) size(i64) data   write data at offset, then cut the
//                            file to size
//   'D' path                 delete the file
//   'M' path / 'X' path      make / remove a folder
//   'L' path                 list the folder and read every entry's status
//   'R' path                 read the file whole
#pragma once

#include "card/cshis_abi.h"

namespace replay {

#define REPLAY_NAME(name, params, args) #name,
inline constexpr const char* kFunctions[] = {CSHIS_FUNCTIONS(REPLAY_NAME)};
#undef REPLAY_NAME
inline constexpr int kFunctionCount = sizeof kFunctions / sizeof kFunctions[0];

}  // namespace replay
