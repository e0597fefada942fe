// Result codes of the table engine and the exception that carries them.
// A result code is a 16-bit number: 0 is success, the high byte names the
// category, the low byte the case. Every code the engine raises has one text
// in the table of ResultCodeText; the call-level client reports these codes
// unchanged to its callers.
#pragma once

#include <cstdint>
#include <string>

#include "platform/rtl/exceptions.h"

using TffResult = uint16_t;

// Category 0x21: positioning.
constexpr TffResult rcOK = 0;
constexpr TffResult rcBOF = 8449;                // 0x2101 before the first record
constexpr TffResult rcEOF = 8450;                // 0x2102 after the last record
constexpr TffResult rcNoCurrentRecord = 8453;    // 0x2105 the cursor is not on a record
constexpr TffResult rcRecordNotFound = 8454;     // 0x2106 key or bookmark finds nothing
// Category 0x22: damaged or unusable data.
constexpr TffResult rcFileDamaged = 8705;        // 0x2201 a block fails its checks
constexpr TffResult rcInvalidBookmark = 8706;    // 0x2202 a bookmark names no record
constexpr TffResult rcEndOfBlob = 8711;          // 0x2207 a BLOB read reached the end
constexpr TffResult rcNoConfigPath = 8712;       // 0x2208 no such configuration path
// Category 0x24: resources.
constexpr TffResult rcOutOfMemory = 9217;        // 0x2401
constexpr TffResult rcDiskFull = 9218;           // 0x2402 no space left for the table file
constexpr TffResult rcIOError = 9219;            // 0x2403 any other read or write failure
// Category 0x26: integrity.
constexpr TffResult rcKeyViolation = 9729;       // 0x2601 a unique index refuses a duplicate
constexpr TffResult rcRequiredFieldMissing = 9730;  // 0x2602 a required field is null
// Category 0x27: invalid requests.
constexpr TffResult rcInvalidParameter = 9991;   // 0x2707 an argument out of its range
constexpr TffResult rcNoSuchField = 9985;        // 0x2701
constexpr TffResult rcNoSuchIndex = 9986;        // 0x2702
constexpr TffResult rcInvalidDictionary = 9987;  // 0x2703 the dictionary is refused
constexpr TffResult rcBlobNotOpen = 9988;        // 0x2704 not a BLOB field / no such BLOB
constexpr TffResult rcInvalidHandle = 9989;      // 0x2705
constexpr TffResult rcNotClientSession = 9990;   // 0x2706 the handle is not a client session
constexpr TffResult rcNoSuchTable = 10024;       // 0x2728
constexpr TffResult rcFileNotFound = 10025;      // 0x2729
constexpr TffResult rcTableExists = 10026;       // 0x272A building over an existing table
constexpr TffResult rcNoSuchAlias = 10027;       // 0x272B
// Category 0x28: locks and access.
constexpr TffResult rcTableInUse = 10241;        // 0x2801 another process holds the table
constexpr TffResult rcTableReadOnly = 10242;     // 0x2802 write on a read-only open
constexpr TffResult rcNotExclusive = 10243;      // 0x2803 an exclusive open is refused
constexpr TffResult rcAccessDenied = 10244;      // 0x2804 the operating system refuses the file
// Category 0x29: transactions.
constexpr TffResult rcInTransaction = 10497;     // 0x2901
constexpr TffResult rcNoTransaction = 10498;     // 0x2902
// Category 0x30: capabilities.
constexpr TffResult rcNotSupported = 12289;      // 0x3001
constexpr TffResult rcNotImplemented = 12290;    // 0x3002

// The text of a code; unknown codes give "Unknown result code <n>".
AnsiString ResultCodeText(TffResult code);

// Every error the engine raises. ResultCode() is the 16-bit code;
// ErrorCode() is the engine's general message number where one applies
// (the dictionary's 100, 101, 104, 108, 117, 118), else 0.
class EffException : public Exception {
public:
  EffException(TffResult result, AnsiString message, int errorCode = 0, int systemError = 0,
               AnsiString writtenFile = AnsiString())
      : Exception(std::move(message)),
        result_(result),
        errorCode_(errorCode),
        systemError_(systemError),
        writtenFile_(std::move(writtenFile)) {}
  TffResult ResultCode() const { return result_; }
  int ErrorCode() const { return errorCode_; }
  // The errno of the failed system call behind it, or 0.
  int SystemError() const { return systemError_; }
  // The file that could not be written (RaiseWriteError), or empty: the
  // failure was no write.
  const AnsiString& WrittenFile() const { return writtenFile_; }
  const char* ClassName() const override { return "EffException"; }

private:
  TffResult result_;
  int errorCode_;
  int systemError_;
  AnsiString writtenFile_;
};

// Raises EffException with the code's text, followed by ": detail" when given.
[[noreturn]] void RaiseFF(TffResult code, const AnsiString& detail = AnsiString());
// Raises for a failed system call (errno `err`) while doing `what`: a full
// disk as rcDiskFull, a refusal for rights as rcAccessDenied, anything else
// as rcIOError; the exception keeps `err` (SystemError).
[[noreturn]] void RaiseSystemError(int err, const AnsiString& what);
// The same for a write of `path` that failed (its blocks, size, sync or
// removal; a journal's failure names its table): the exception names the
// file (WrittenFile), so that the user is told of a write, not a read.
[[noreturn]] void RaiseWriteError(int err, const AnsiString& what, const std::string& path);
