// Result codes of the call-level interface. Every entry function answers one
// of these 16-bit codes, 0 on success; the same numbers key the message texts
// of BapiGetErrorString. Codes the upper layers test by number (8711 end of
// BLOB, 8712 no such configuration path, 9985 field number out of range, 9990
// not a client session, 10024 no such table, 12289 not supported) keep those
// numbers; the rest are this client's own.
#pragma once

#include <cstdint>

#include "dbengine/result_codes.h"

using TBapiResult = uint16_t;

inline constexpr TBapiResult bapiOk = 0;

// The numbers agree with the table engine's codes, which this client passes
// on unchanged.
// Positioning.
inline constexpr TBapiResult bapiBeginOfCursor = 8449;
inline constexpr TBapiResult bapiEndOfCursor = 8450;
inline constexpr TBapiResult bapiNoCurrentRecord = 8453;
inline constexpr TBapiResult bapiRecordNotFound = 8454;
inline constexpr TBapiResult bapiInvalidBookmark = 8706;
inline constexpr TBapiResult bapiEndOfBlob = 8711;
inline constexpr TBapiResult bapiNoSuchConfigPath = 8712;
// Resources and integrity.
inline constexpr TBapiResult bapiOutOfMemory = 9217;
inline constexpr TBapiResult bapiIOError = 9219;
inline constexpr TBapiResult bapiKeyViolation = 9729;
inline constexpr TBapiResult bapiRequiredFieldMissing = 9730;
// Invalid requests.
inline constexpr TBapiResult bapiFieldOutOfRange = 9985;
inline constexpr TBapiResult bapiNoSuchIndex = 9986;
inline constexpr TBapiResult bapiInvalidDictionary = 9987;
inline constexpr TBapiResult bapiBlobNotOpened = 9988;
inline constexpr TBapiResult bapiInvalidHandle = 9989;
inline constexpr TBapiResult bapiNotClientSession = 9990;
inline constexpr TBapiResult bapiInvalidParameter = 9991;
// This client's own: filter buffers and names.
inline constexpr TBapiResult bapiInvalidFilter = 9992;
inline constexpr TBapiResult bapiUnknownFilterField = 9993;
inline constexpr TBapiResult bapiNameTooLong = 9994;
// Objects.
inline constexpr TBapiResult bapiNoSuchTable = 10024;
inline constexpr TBapiResult bapiFileNotFound = 10025;
inline constexpr TBapiResult bapiTableExists = 10026;
inline constexpr TBapiResult bapiNoSuchAlias = 10027;
inline constexpr TBapiResult bapiAliasExists = 10028;  // this client's own
// Locks and access.
inline constexpr TBapiResult bapiTableInUse = 10241;
inline constexpr TBapiResult bapiTableReadOnly = 10242;
inline constexpr TBapiResult bapiNotExclusive = 10243;
// Capabilities.
inline constexpr TBapiResult bapiNotSupported = 12289;
inline constexpr TBapiResult bapiNotImplemented = 12290;

// Same numbers as the engine's, so its codes pass through unchanged.
static_assert(bapiBeginOfCursor == rcBOF && bapiEndOfCursor == rcEOF &&
              bapiNoCurrentRecord == rcNoCurrentRecord && bapiRecordNotFound == rcRecordNotFound &&
              bapiInvalidBookmark == rcInvalidBookmark && bapiEndOfBlob == rcEndOfBlob &&
              bapiNoSuchConfigPath == rcNoConfigPath && bapiOutOfMemory == rcOutOfMemory &&
              bapiIOError == rcIOError && bapiKeyViolation == rcKeyViolation &&
              bapiRequiredFieldMissing == rcRequiredFieldMissing &&
              bapiFieldOutOfRange == rcNoSuchField && bapiNoSuchIndex == rcNoSuchIndex &&
              bapiInvalidDictionary == rcInvalidDictionary && bapiBlobNotOpened == rcBlobNotOpen &&
              bapiInvalidHandle == rcInvalidHandle && bapiNotClientSession == rcNotClientSession &&
              bapiInvalidParameter == rcInvalidParameter && bapiNoSuchTable == rcNoSuchTable &&
              bapiFileNotFound == rcFileNotFound && bapiTableExists == rcTableExists &&
              bapiNoSuchAlias == rcNoSuchAlias && bapiTableInUse == rcTableInUse &&
              bapiTableReadOnly == rcTableReadOnly && bapiNotExclusive == rcNotExclusive &&
              bapiNotSupported == rcNotSupported && bapiNotImplemented == rcNotImplemented);
