// Temporary: the engine's storage layers are being written; every table
// operation reports that it is not implemented yet.
#include "dbengine/engine.h"

namespace ffdetail {
class TableImpl {};
class CursorImpl {};
}  // namespace ffdetail

namespace {
[[noreturn]] void NotYet() { RaiseFF(rcNotImplemented, "table engine not yet available"); }
}  // namespace

void TffTable::Create(const std::string&, const TffDataDictionary&, bool) { NotYet(); }
std::shared_ptr<TffTable> TffTable::Open(const std::string&, TffOpenMode, TffShareMode) { NotYet(); }
void TffTable::Delete(const std::string&) { NotYet(); }
bool TffTable::Exists(const std::string&) { NotYet(); }
TffTable::~TffTable() = default;
const std::string& TffTable::Path() const { NotYet(); }
const TffDataDictionary& TffTable::Dictionary() const { NotYet(); }
bool TffTable::ReadOnly() const { NotYet(); }
bool TffTable::Exclusive() const { NotYet(); }
uint32_t TffTable::RecordCount() const { NotYet(); }
void TffTable::EmptyTable() { NotYet(); }
void TffTable::StartTransaction() { NotYet(); }
void TffTable::Commit() { NotYet(); }
void TffTable::Rollback() { NotYet(); }
bool TffTable::InTransaction() const { NotYet(); }
std::unique_ptr<TffCursor> TffTable::OpenCursor(int) { NotYet(); }
std::vector<std::string> TffTable::CheckConsistency() { NotYet(); }
uint32_t TffTable::BlockCount() const { NotYet(); }
TffCursor::~TffCursor() = default;
TffTable& TffCursor::Table() { NotYet(); }
const TffDataDictionary& TffCursor::Dictionary() const { NotYet(); }
int TffCursor::RecordLength() const { NotYet(); }
int TffCursor::IndexNo() const { NotYet(); }
void TffCursor::SwitchToIndex(int) { NotYet(); }
void TffCursor::SwitchToIndex(const AnsiString&) { NotYet(); }
int TffCursor::IndexFieldCount() const { NotYet(); }
void TffCursor::SetToBegin() { NotYet(); }
void TffCursor::SetToEnd() { NotYet(); }
bool TffCursor::First(uint8_t*) { NotYet(); }
bool TffCursor::Last(uint8_t*) { NotYet(); }
bool TffCursor::Next(uint8_t*) { NotYet(); }
bool TffCursor::Prior(uint8_t*) { NotYet(); }
bool TffCursor::GetRecord(uint8_t*) { NotYet(); }
bool TffCursor::OnRecord() const { NotYet(); }
TffBookmark TffCursor::GetBookmark() const { NotYet(); }
void TffCursor::GotoBookmark(const TffBookmark&) { NotYet(); }
bool TffCursor::BookmarkValid(const TffBookmark&) { NotYet(); }
int TffCursor::CompareBookmarks(const TffBookmark&, const TffBookmark&) { NotYet(); }
bool TffCursor::FindKey(const uint8_t*, int, int) { NotYet(); }
bool TffCursor::FindNearest(const uint8_t*, int, int) { NotYet(); }
int TffCursor::CompareKeyWithCurrent(const uint8_t*, int, int) { NotYet(); }
void TffCursor::SetRange(const uint8_t*, int, bool, const uint8_t*, int, bool) { NotYet(); }
void TffCursor::ResetRange() { NotYet(); }
bool TffCursor::HasRange() const { NotYet(); }
uint32_t TffCursor::RecordCountInRange() { NotYet(); }
void TffCursor::InsertRecord(const uint8_t*) { NotYet(); }
void TffCursor::ModifyRecord(const uint8_t*) { NotYet(); }
void TffCursor::DeleteRecord() { NotYet(); }
uint32_t TffCursor::BlobSize(const uint8_t*, int) { NotYet(); }
bool TffCursor::BlobIsNull(const uint8_t*, int) { NotYet(); }
uint32_t TffCursor::ReadBlob(const uint8_t*, int, uint32_t, uint32_t, void*, bool*) { NotYet(); }
std::string TffCursor::ReadBlobAll(const uint8_t*, int) { NotYet(); }
void TffCursor::WriteBlob(uint8_t*, int, const void*, uint32_t) { NotYet(); }
void TffCursor::TruncateBlob(uint8_t*, int, uint32_t) { NotYet(); }
void TffCursor::SetBlobNull(uint8_t*, int) { NotYet(); }
void TffCursor::DiscardBlobs(uint8_t*) { NotYet(); }
