// Incremental search, record location and index changes. See wwsearch.h.
#include "dbcontrols/datasets/wwsearch.h"

#include "dbcontrols/common/wwcommon.h"
#include "dbcontrols/datasets/wwfields.h"
#include "dbcontrols/datasets/wwtable.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/keyboard.h"
#include "platform/ui/messages.h"

namespace {

bool IsIntegerType(TFieldType t) { return t == ftSmallint || t == ftInteger || t == ftWord || t == ftAutoInc; }
bool IsFloatType(TFieldType t) { return t == ftFloat || t == ftCurrency || t == ftBCD; }
bool IsTextType(TFieldType t) {
  return !IsIntegerType(t) && !IsFloatType(t) && t != ftDate && t != ftTime && t != ftDateTime;
}

// Runs `body` with the dataset's controls off. Switching them on again tells
// them of the changes, and their handlers may raise: that is no destructor's
// work, or an error of theirs would end the program.
template <class F>
void WithControlsOff(TDataSet* ds, F body) {
  ds->DisableControls();
  try {
    body();
  } catch (...) {
    ds->EnableControls();
    throw;
  }
  ds->EnableControls();
}

// Whether the record reached answers the typed text.
bool ReachedMatches(TField* field, const AnsiString& text) {
  const TFieldType t = field->DataType();
  if (IsFloatType(t)) {
    if (text.empty()) return field->AsString().empty();
    double want = 0;
    return TryStrToFloat(text, want) && !field->IsNull() && field->AsFloat() == want;
  }
  if (IsIntegerType(t)) return field->AsString() == text;
  // Letter case is folded over the whole code page, as a case-insensitive
  // index folds it ("MÜ" answers "München").
  const AnsiString have = AnsiUpperCase(field->AsString());
  const AnsiString want = AnsiUpperCase(text);
  return have.compare(0, want.size(), want) == 0;
}

}  // namespace

char wwHighestFoldedChar() {
  int best = 0;
  for (int c = 1; c < 256; ++c)
    if (static_cast<uint8_t>(AnsiUpperChar(static_cast<char>(c))) >=
        static_cast<uint8_t>(AnsiUpperChar(static_cast<char>(best))))
      best = c;
  return static_cast<char>(best);
}

bool wwTableIncrementalSearch(TDataSet* dataSet, const AnsiString& text, int fieldPosition) {
  if (!dynamic_cast<TTable*>(dataSet)) return false;
  auto* table = dynamic_cast<TwwTable*>(dataSet);
  if (!table) {
    MessageDlg("Incremental Search - TTable component not supported. Use TwwTable instead.", mtWarning, mbOK, 0);
    return false;
  }
  if (table->IndexFieldCount() == 0) {
    MessageDlg("Table " + table->Name() + ": Table index not found", mtWarning, mbOK, 0);
    return false;
  }
  if (fieldPosition < 0 || fieldPosition > 3 || fieldPosition >= table->IndexFieldCount()) return false;
  TField* field = table->IndexFields(fieldPosition);
  const bool textSearch = IsTextType(field->DataType());
  if (!textSearch && !wwIsValidTextForType(field->DataType(), text)) return false;

  // The search stays among the records that share the current record's
  // leading key fields.
  std::vector<Variant> key;
  for (int i = 0; i < fieldPosition; ++i) key.push_back(table->IndexFields(i)->Value());

  if (table->NarrowSearch()) {
    TwwHourGlass hourGlass;
    WithControlsOff(table, [&] {
      if (textSearch && text.empty()) {
        table->CancelRange();
      } else if (textSearch) {
        const TIndexDef* idx = table->CurrentIndexDef();
        char high = static_cast<char>(table->NarrowSearchUpperChar() & 0xFF);
        if (static_cast<uint8_t>(high) == 255 && idx && (idx->Options & ixCaseInsensitive))
          high = wwHighestFoldedChar();
        const AnsiString upper = text + AnsiString(static_cast<size_t>(std::max(field->Size(), 1)), high);
        bool descending = false;
        if (!table->IndexName().empty() || table->IndexFieldNames().empty())
          descending = idx && (idx->Options & ixDescending);
        std::vector<Variant> from = key, to = key;
        from.push_back(Variant(descending ? upper : text));
        to.push_back(Variant(descending ? text : upper));
        table->SetRange(from, to);
      } else {
        key.push_back(Variant(text));
        table->FindNearest(key);
      }
    });
  } else if (table->IsSQLBased() && table->SyncSQLByRange() && !table->MasterSource()) {
    TwwHourGlass hourGlass;
    WithControlsOff(table, [&] {
      if (text.empty()) {
        table->CancelRange();
      } else {
        key.push_back(Variant(text));
        table->FindNearest(key);
      }
    });
  } else {
    key.push_back(Variant(text));
    table->TTable::FindNearest(key);
  }
  return !table->IsEmpty() && ReachedMatches(field, text);
}

bool wwLocateRecord(TDataSet* dataSet, const AnsiString& value, const AnsiString& fieldNames, uint8_t matchType,
                    bool caseSensitive) {
  const std::vector<AnsiString> names = wwFieldNameList(fieldNames);
  const std::vector<AnsiString> values = wwFieldValueList(value, names.size());
  if (dataSet->Active() && !dataSet->IsEmpty() && !names.empty()) {
    bool holds = true;
    for (size_t i = 0; i < names.size() && holds; ++i) {
      TField* f = dataSet->FindField(names[i]);
      holds = f && (caseSensitive ? f->AsString() == values[i] : SameText(f->AsString(), values[i]));
    }
    if (holds) return true;
  }
  return wwFindRecord(true, dataSet, fieldNames, value, matchType, caseSensitive);
}

void wwSetIndexKeepingRecord(TDataSet* dataSet, const AnsiString& indexName) {
  auto* table = dynamic_cast<TTable*>(dataSet);
  if (!table) return;
  auto* ww = dynamic_cast<TwwTable*>(table);
  const bool sync = ww ? ww->SyncSQLByRange() : true;
  const bool sqlBased = table->Database() && table->Database()->IsSQLBased();
  if (!sqlBased || !sync) {
    table->SetIndexName(indexName);
    return;
  }
  if (SameText(indexName, table->IndexName())) return;
  // A server cannot switch an open cursor: the table reopens on the new
  // index and finds its record again by the key values.
  TwwHourGlass hourGlass;
  const int i = table->IndexDefs().IndexOf(indexName);
  const std::vector<AnsiString> names =
      i >= 0 ? wwFieldNameList(table->IndexDefs().Items(i).Fields) : std::vector<AnsiString>();
  std::vector<AnsiString> kept;
  for (const AnsiString& n : names) {
    TField* f = table->FindField(n);
    kept.push_back(f ? f->AsString() : AnsiString());
  }
  WithControlsOff(table, [&] {
    table->Close();
    table->SetIndexName(indexName);
    table->Open();
    table->SetKey();
    for (size_t k = 0; k < kept.size() && static_cast<int>(k) < table->IndexFieldCount(); ++k)
      table->IndexFields(static_cast<int>(k))->SetAsString(kept[k]);
    table->GotoNearest();
  });
}

bool wwIsEditKey(unsigned key) {
  return key == VK_BACK || key == VK_SPACE || key == VK_DELETE || (key >= 48 && key <= 111) || key > 145;
}

bool wwEscapePressed(TDataSet* dataSet) {
  TQueuedMessage m;
  if (!PeekMessage(m, 0, WM_KEYDOWN, WM_KEYDOWN + 8, PM_REMOVE)) return false;
  if (m.Message.Msg != WM_KEYDOWN || m.Message.WParam != VK_ESCAPE) return false;
  wwSetFilterEnabled(dataSet, false);
  return true;
}
