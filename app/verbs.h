// The verb table of the start-up: which procedure one command line runs.
//
// One row per verb, in the order the start-up tests them: the first row whose
// text the command line holds wins. A row says how its text is found, in which
// phase of the start-up its procedure runs, which result files go before the
// card is touched, and the procedure. The README's verb table lists the same
// rows in the same order (checked by the test VerbTable.ReadmeListsTheSameVerbs).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct Run;

// How a row's text is found.
enum class Match {
  Contains,    // anywhere in the command line (case matters)
  Exact,       // the whole command line
  Prefix,      // at the start of the command line
  Executable,  // the executable's base name, whatever the command line
  DriveForm,   // the network-drive form (isNetworkDrive); the text only names it
};

// The phase of the start-up in which a row's procedure runs; in this order.
enum class Phase {
  BeforeSettings,  // before the settings files are read
  Declaration,     // the settings read: the declaration window carries the run
  Maintenance,     // maintenance verbs and viewers, before the reader is opened
  Reader,          // reader and card verbs, once the reader is open
};

// A result file removed before the card is touched, so that a run that ends
// early never leaves the previous patient's answer to be read as this one's.
struct ResultFile {
  const char* name = nullptr;
  bool secondReaderOnly = false;  // written only when a second reader is configured
};

using VerbProcedure = void (*)(Run&);

struct VerbRow {
  const char* text;  // as the command line (or the executable's name) spells it
  Match match;
  Phase phase;
  std::array<ResultFile, 3> results;
  VerbProcedure procedure;  // ends the run, or returns with a window carrying it on
  // The procedure goes on with the card read "/ReadF4" when readFollows():
  // that read's result files go as well.
  bool thenRead = false;
};

// Every row, in the order the start-up tests them.
std::span<const VerbRow> verbTable();

// The row the start-up runs for command line C under that executable name;
// null when nothing matches (the reader is opened and closed, and the run ends).
const VerbRow* matchVerb(std::string_view C, std::string_view exeName);

// The result files of the row removed before the card is touched.
std::vector<std::string> resultFiles(const VerbRow& row, const Run& run);

// The network-drive form: characters 2-4 of C, without blanks around, are ":\\".
bool isNetworkDrive(std::string_view C);

// The second reader's COM port: the last of "/COM1/".."/COM4/" the command
// line holds; 0 when it names none. The one rule of "a second reader is
// configured".
int16_t secondReaderPort(std::string_view C);

// The development run: the executable is named "vexa5". It reads the card
// from COM1 into the backup folder, also when no verb matches.
bool developmentRun(const Run& run);

// A verb of a row with thenRead reads the card after its own work: "/ReadF4"
// is on the command line too, or this is the development run.
bool readFollows(const Run& run);
