// The engine's field type numbers as stored in a table's dictionary. The
// call-level interface reports them beside its own logical types
// (TBapiFieldDesc::EngineType), so the dataset layer can tell a byte from a
// word without reaching into the engine.
#pragma once

enum TffFieldType : int {
  fftBoolean = 0,       // 1 byte, 0 or 1
  fftChar = 1,          // 1 byte
  fftByte = 3,          // unsigned 8-bit
  fftWord16 = 4,        // unsigned 16-bit
  fftWord32 = 5,        // unsigned 32-bit
  fftInt8 = 6,          // signed 8-bit
  fftInt16 = 7,         // signed 16-bit
  fftInt32 = 8,         // signed 32-bit
  fftAutoInc = 9,       // signed 32-bit, kept by the caller
  fftSingle = 10,       // 32-bit float
  fftDouble = 11,       // 64-bit float
  fftCurrency = 14,     // 64-bit float, money
  fftDate = 15,         // int32 day number (TDateTime + 693594)
  fftTime = 16,         // int32 milliseconds since midnight
  fftDateTime = 17,     // double: milliseconds since day 0 of the day numbers
  fftBlob = 18,         // binary BLOB, 4-byte reference
  fftBlobMemo = 19,     // text BLOB
  fftBlobFmtMemo = 20,  // formatted text BLOB
  fftBlobGraphic = 22,  // picture BLOB
  fftBlobOle = 23,      // BLOB of the OLE-object kind
  fftShortString = 47,  // length byte + n characters
};
