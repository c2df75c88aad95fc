// Unpacking a zip archive into a folder: the one operation the declaration
// window needs of an unzip library. POSIX unpacks through libzip; Windows
// through the clinic's Info-ZIP unzip32.dll, loaded by name when first used.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Extracts every file of `archive` into `folder` (both the program's
// Windows-form CP950 paths, as Disk takes them; the folder is created when
// missing) and overwrites files of the same name. False, with a reason in
// `why` (CP950), when the archive is missing, corrupt or truncated, holds
// an entry it must not write (see safeEntryName), or the unzip library is
// missing. No entry is written when one of them is unsafe.
bool unzipAll(const std::string& archive, const std::string& folder, std::string& why);

// An entry name that stays inside the folder: not empty, not absolute
// ("/x", "\x", "\\server\x"), no drive or stream (":" anywhere), and no
// ".." part; "/" and "\" both separate parts.
bool safeEntryName(std::string_view name);

// The first of the folder itself and the paths its entries would be written
// to (and the folders on the way) that is already a link, or empty: the
// unpacking never writes through a link, which could lead anywhere.
std::string linkOnTheWay(const std::string& folder, const std::vector<std::string>& names);
// The unzip library's name and the version of its interface, as support reads
// it ("unzip32.dll: UnZip 6.0.0, DLL 6.0.0, API 5.5.2"); empty when it is missing.
std::string unzipVersion();

#if defined(_WIN32)
// unzipAll through the unzip library of that name (tests name a missing one).
bool unzipAllWith(const std::string& library, const std::string& archive,
                  const std::string& folder, std::string& why);
#endif
