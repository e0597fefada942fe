// Texts of the engine's result codes.
#include "dbengine/result_codes.h"

#include <cerrno>
#include <string>

#include "platform/rtl/sysutils.h"

AnsiString ResultCodeText(TffResult code) {
  switch (code) {
    case rcOK: return "Operation successful";
    case rcBOF: return "At beginning of table";
    case rcEOF: return "At end of table";
    case rcNoCurrentRecord: return "No current record";
    case rcRecordNotFound: return "Record or key not found";
    case rcFileDamaged: return "Table file is damaged";
    case rcInvalidBookmark: return "Invalid bookmark";
    case rcEndOfBlob: return "End of BLOB reached";
    case rcNoConfigPath: return "Configuration path not found";
    case rcOutOfMemory: return "Not enough memory";
    case rcDiskFull: return "Disk full";
    case rcIOError: return "Read or write error on table file";
    case rcKeyViolation: return "Key violation";
    case rcRequiredFieldMissing: return "Field value required";
    case rcInvalidParameter: return "Invalid parameter";
    case rcNoSuchField: return "Field not found";
    case rcNoSuchIndex: return "Index not found";
    case rcInvalidDictionary: return "Invalid data dictionary";
    case rcBlobNotOpen: return "Not a BLOB field";
    case rcInvalidHandle: return "Invalid handle";
    case rcNotClientSession: return "Handle is not a client session";
    case rcNoSuchTable: return "Table does not exist";
    case rcFileNotFound: return "File not found";
    case rcTableExists: return "Table already exists";
    case rcNoSuchAlias: return "Alias not found";
    case rcTableInUse: return "Table is in use";
    case rcTableReadOnly: return "Table is read only";
    case rcNotExclusive: return "Table cannot be opened exclusively";
    case rcAccessDenied: return "Access to table file denied";
    case rcInTransaction: return "A transaction is already active";
    case rcNoTransaction: return "No transaction is active";
    case rcNotSupported: return "Operation not supported";
    case rcNotImplemented: return "Operation not implemented";
  }
  return "Unknown result code " + std::to_string(code);
}

namespace {

TffResult SystemErrorCode(int err) {
  if (err == ENOSPC || err == EFBIG || err == EDQUOT) return rcDiskFull;
  // A journal or a new file the system will not let us make or open is a
  // matter of rights, not of the disk.
  if (err == EACCES || err == EPERM || err == EROFS) return rcAccessDenied;
  return rcIOError;
}

}  // namespace

void RaiseSystemError(int err, const AnsiString& what) {
  const TffResult code = SystemErrorCode(err);
  throw EffException(code, ResultCodeText(code) + ": " + what + ": " + SysErrorMessage(err), 0, err);
}

void RaiseWriteError(int err, const AnsiString& what, const std::string& path) {
  const TffResult code = SystemErrorCode(err);
  throw EffException(code, ResultCodeText(code) + ": " + what + " " + path + ": " + SysErrorMessage(err), 0, err,
                     path);
}

void RaiseFF(TffResult code, const AnsiString& detail) {
  AnsiString msg = ResultCodeText(code);
  if (!detail.empty()) msg += ": " + detail;
  throw EffException(code, msg);
}
