// The declaration window's fixed texts and file layouts: the parameter file
// upfee.txt handed to the web service, the receipt log uprecv.txt, the line
// ends of a downloaded answer, the window's caption and the upload's
// confirmation. Pure rules over CP950 text, kept apart from the window.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

// Files of the working folder.
inline constexpr const char* kUpfee = "upfee.txt";        // parameters of the next call
inline constexpr const char* kSavefile = "savefile.txt";  // the service's last answer
inline constexpr const char* kUprecv = "uprecv.txt";      // receipts of the uploads
inline constexpr const char* kUprecvDel = "uprecv.del";   // receipts dropped from the list
inline constexpr const char* kSavecode = "savecode.txt";  // identifiers of the reader sendings
inline constexpr const char* kNhiId = "NHI_ID";           // identifiers of the check request
inline constexpr const char* kFiletemp = "filetemp.tmp";
inline constexpr const char* kTotfa10 = "totfa.10";
inline constexpr const char* kTotfaZip = "totfa.zip";
inline constexpr const char* kHeaf10 = "heaf.10";
inline constexpr const char* kDrugt = "c:\\drugt";
inline constexpr const char* kDrugtZip = "drugt.zip";
inline constexpr const char* kEditExe = "edit.exe";
inline constexpr const char* kFilesave = "filesave\\";
inline constexpr const char* kBackup = "backup\\";
inline constexpr const char* kUnzipdir = "unzipdir";

// The first special institution: a pharmacy that declares through this window.
inline constexpr const char* kSpecialCode = "9900000011";

// Fields read from the prepared files (1-based byte, width).
struct Field {
  int start, width;
};
namespace totfa {
inline constexpr Field kFeeMonth{13, 5};
inline constexpr Field kApplType{19, 1};
inline constexpr Field kCount{277, 4};
inline constexpr Field kFee{284, 7};
}  // namespace totfa
namespace drugt {
inline constexpr Field kFeeMonth{13, 5};
inline constexpr Field kCount{63, 4};
inline constexpr Field kFee{70, 7};
}  // namespace drugt

// upfee.txt of the claim upload and of the adult health-check upload.
std::vector<std::string> claimParams(const std::string& applType, const std::string& feeMonth,
                                     const std::string& hospDataType);
std::vector<std::string> healthCheckParams(const std::string& feeMonth,
                                           const std::string& hospDataType);
// upfee.txt of the queries and lists.
std::vector<std::string> procQueryParams(const std::string& feeMonth);
std::vector<std::string> recvQueryParams(const std::string& feeMonth);
std::vector<std::string> fileListParams(const std::string& feeMonth);
std::vector<std::string> summaryListParams(const std::string& feeMonth);
// The lines as the file holds them, each ended by CR LF.
std::string paramFileText(const std::vector<std::string>& lines);

// A downloaded answer with every line ended by CR LF. A line ends at LF, CR
// or CR LF (once: an answer already in CR LF comes back unchanged).
std::string toCrLf(const std::string& data);

// "  網路申報 資料: " + fee month + "   " + the file's date and time.
std::string reportCaption(const std::string& feeMonth, const std::optional<DateTime>& fileTime);
// "yyyy/MM/dd HH:mm:ss".
std::string dateTimeText(const DateTime& t);

// A number as the runtime joins it to a text ("12", "3.5", "-4").
std::string vbNumber(double v);
// The claim upload's question: the pharmacy line (special institution only,
// after a tab), two CRs, the count, a CR and the fee.
std::string claimConfirmation(const std::string& pharmacy, const std::string& count,
                              const std::string& fee);

// One line of uprecv.txt: the receipt, a blank, the time, the fee month and the file sent.
std::string receiptLine(const std::string& receipt, const DateTime& t,
                        const std::string& feeMonth, const std::string& file);
// The receipt number of a uprecv.txt line: its first word.
std::string receiptOf(const std::string& line);

// The receipt and identifier buffers' widths.
inline constexpr size_t kReceiptWidth = 15;
inline constexpr size_t kIdentifierWidth = 14;
// The buffer's text without the blanks and NULs that fill it.
std::string bufferText(const std::string& buffer);
// A receipt number as the service gives it and as PEA_fa_del takes it back:
// 1 to 15 ASCII letters and digits, nothing else.
bool wellFormedReceipt(const std::string& receipt);
// An identifier of the file exchange: 1 to 14 ASCII letters and digits, so it
// can name nothing but itself (it becomes a file name under backup\).
bool wellFormedIdentifier(const std::string& id);
// The local and the insurer's identifier of NHI_ID (its first two lines,
// trimmed), when both are well formed.
std::optional<std::pair<std::string, std::string>> nhiIdentifiers(const std::string& text);
// One line of savecode.txt: local identifier, insurer identifier, time, file.
std::string savecodeLine(const std::string& localId, const std::string& nhiId, const DateTime& t,
                         const std::string& file);
