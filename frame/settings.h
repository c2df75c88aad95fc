// The settings: one section OrvoDent in "orvosys.ini" (working folder) and
// "c:\orvo.ini", and the marker files of the current folder that choose the
// institution variant. Read once at start into the run state.
#pragma once

#include <string>

struct Run;

inline constexpr const char* kSection = "OrvoDent";
inline constexpr const char* kOrvoIni = "c:\\orvo.ini";
inline constexpr const char* kSysIni = "orvosys.ini";
// The clinic's web server inside the insurer's network; each clinic sets its own.
inline constexpr const char* kDefaultSoftAppHttp = "localhost";
inline constexpr const char* kDefaultDirectory = "c:\\orvo";
// The maker's public web site on the internet (key PublicHttp of c:\orvo.ini),
// used where the clinic's own server cannot be reached. A placeholder of this
// program: the maker's installation sets its real address.
inline constexpr const char* kDefaultPublicHttp = "www.maker.example";

// "http://" + a server + "/": the form of softAppUrl and publicUrl.
std::string webRoot(const std::string& server);

// The platform's profile string with a 100-character buffer.
std::string readProfileValue(Run& run, const std::string& section, const std::string& key,
                             const std::string& def, const std::string& file);
// A key of OrvoDent in "orvosys.ini" (the bare name, resolved by the platform),
// falling back to that file in the current folder.
std::string readOrvoDent(Run& run, const std::string& key);

// The start-up's settings: SoftAppHttp (and PublicHttp), the institution
// choice and the data folder.
void readSettings(Run& run);
