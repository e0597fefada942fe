// Per-field settings and field utilities. See wwfields.h.
#include "dbcontrols/datasets/wwfields.h"

#include <algorithm>

#include "dbcontrols/datasets/wwtable.h"
#include "dbcontrols/intl/wwintl.h"
#include "dbcontrols/text/wwpicture.h"
#include "dbcontrols/text/wwstr.h"
#include "dbcontrols/text/wwvalidate.h"
#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/stdctrls.h"

namespace {

// The tokens of an entry split at `delimiter` (empty tokens kept).
std::vector<AnsiString> Tokens(const AnsiString& entry, char delimiter) {
  std::vector<AnsiString> out;
  size_t start = 0;
  for (;;) {
    size_t p = entry.find(delimiter, start);
    if (p == AnsiString::npos) {
      out.push_back(entry.substr(start));
      return out;
    }
    out.push_back(entry.substr(start, p - start));
    start = p + 1;
  }
}

AnsiString FirstToken(const AnsiString& entry, char delimiter) {
  size_t p = entry.find(delimiter);
  return p == AnsiString::npos ? entry : entry.substr(0, p);
}

// The position of the LookupFields entry of the field (exact name), or -1.
int LookupEntryIndex(const TStrings* lookupFields, const AnsiString& fieldName) {
  if (!lookupFields) return -1;
  for (int i = 0; i < lookupFields->Count(); ++i)
    if (FirstToken(lookupFields->Get(i), ';') == fieldName) return i;
  return -1;
}

// The PictureMasks entry of the field (letter case ignored), or -1.
int MaskEntryIndex(const TStrings* masks, const AnsiString& fieldName) {
  if (!masks) return -1;
  for (int i = 0; i < masks->Count(); ++i)
    if (SameText(FirstToken(masks->Get(i), '\t'), fieldName)) return i;
  return -1;
}

// The table name of a LookupFields entry (a long entry's last token "N"
// cuts it at its first ".").
AnsiString EntryTableName(const std::vector<AnsiString>& t) {
  AnsiString table = t.size() > 2 ? t[2] : AnsiString();
  if (t.size() > 5 && t.back() == "N") {
    size_t dot = table.find('.');
    if (dot != AnsiString::npos) table.resize(dot);
  }
  return table;
}

// The index of a LookupFields entry on its lookup table: the fifth token,
// or for a long entry the index over the listed fields.
AnsiString EntryIndexName(const std::vector<AnsiString>& t, TwwTable* table) {
  if (t.size() <= 5) return t.size() > 4 ? t[4] : AnsiString();
  AnsiString fields;
  for (size_t i = 5; i + 1 < t.size(); ++i) {
    if (!fields.empty()) fields += ';';
    fields += t[i];
  }
  AnsiString index = table->FindIndexForField(fields);
  return index == "?" ? AnsiString() : index;
}

// The link pairs of a LookupLinks entry (own field, lookup field), at most five.
std::vector<std::pair<AnsiString, AnsiString>> LinkPairs(const AnsiString& link) {
  std::vector<std::pair<AnsiString, AnsiString>> pairs;
  std::vector<AnsiString> t = Tokens(link, ';');
  for (size_t i = 0; i + 1 < t.size() && pairs.size() < 5; i += 2) {
    if (Trim(t[i]).empty()) break;
    pairs.emplace_back(Trim(t[i]), Trim(t[i + 1]));
  }
  return pairs;
}

// Positions `lookup` on the record the dataset's current record links to.
bool PositionLookup(TDataSet* dataSet, TwwTable* lookup, const AnsiString& link) {
  const auto pairs = LinkPairs(link);
  if (pairs.empty() || !lookup->Active()) return false;
  if (lookup->IndexFieldCount() == 0) {
    TField* own = dataSet->FindField(pairs[0].first);
    return own && lookup->LocateRecord(own->AsString(), pairs[0].second, wwmtExact, false);
  }
  std::vector<Variant> values;
  for (const auto& [own, theirs] : pairs) {
    TField* f = dataSet->FindField(own);
    if (!f) return false;
    values.push_back(Variant(f->AsString()));
  }
  if (static_cast<int>(values.size()) > lookup->IndexFieldCount()) values.resize(lookup->IndexFieldCount());
  lookup->SetSearchInProgress(true);
  TScopeExit searched{[lookup] { lookup->SetSearchInProgress(false); }};
  return lookup->FindKey(values);
}

// Whether both fields of every pair exist on their sides.
bool LinkFieldsExist(const TDataSet* dataSet, const TDataSet* lookup, const AnsiString& link) {
  for (const auto& [own, theirs] : LinkPairs(link))
    if (!wwDataSetHasField(dataSet, own) || (lookup && !wwDataSetHasField(lookup, theirs))) return false;
  return true;
}

bool IsEditControl(const TObject* control) { return dynamic_cast<const TCustomEdit*>(control) != nullptr; }

}  // namespace

// ---------------------------------------------------------------------------
// Property access by name.

TStrings* wwGetControlType(const TObject* object) { return GetStringsProp(object, "ControlType"); }
TStrings* wwGetPictureMasks(const TObject* object) { return GetStringsProp(object, "PictureMasks"); }
TStrings* wwGetLookupFields(const TObject* object) { return GetStringsProp(object, "LookupFields"); }
TStrings* wwGetLookupLinks(const TObject* object) { return GetStringsProp(object, "LookupLinks"); }

bool wwGetValidateWithMask(const TObject* object) {
  return GetPropInfo(object, "ValidateWithMask", TTypeKind::tkBool) && GetOrdProp(object, "ValidateWithMask") != 0;
}

AnsiString wwGetDatabaseName(const TObject* object) {
  return GetPropInfo(object, "DatabaseName", TTypeKind::tkString) ? GetStrProp(object, "DatabaseName")
                                                                    : AnsiString();
}

TwwInvalidValueEvent wwGetOnInvalidValue(const TObject* object) {
  return GetEventProp<TwwInvalidValueEvent>(object, "OnInvalidValue");
}

TwwOnFilterOptions wwGetOnFilterOptions(const TObject* object) {
  return GetPropInfo(object, "OnFilterOptions", TTypeKind::tkSet)
             ? static_cast<TwwOnFilterOptions>(GetOrdProp(object, "OnFilterOptions"))
             : 0;
}

void wwSetFilterEnabled(TObject* object, bool enabled) {
  if (!GetPropInfo(object, "OnFilterOptions", TTypeKind::tkSet)) return;
  TwwOnFilterOptions o = wwGetOnFilterOptions(object);
  o = enabled ? (o | ofoEnabled) : (o & ~static_cast<TwwOnFilterOptions>(ofoEnabled));
  SetOrdProp(object, "OnFilterOptions", o);
}

TDataSource* wwGetDataSource(const TObject* control) {
  return dynamic_cast<TDataSource*>(GetObjectProp(control, "DataSource"));
}

bool wwSetDataSource(TObject* control, TDataSource* dataSource) {
  if (!IsEditControl(control) || !GetPropInfo(control, "DataSource", TTypeKind::tkClass)) return false;
  return SetObjectProp(control, "DataSource", dataSource);
}

AnsiString wwGetDataField(const TObject* control) {
  if (!IsEditControl(control) || !GetPropInfo(control, "DataField", TTypeKind::tkString)) return AnsiString();
  return GetStrProp(control, "DataField");
}

bool wwSetDataField(TObject* control, const AnsiString& name) {
  if (!IsEditControl(control) || !GetPropInfo(control, "DataField", TTypeKind::tkString)) return false;
  return SetStrProp(control, "DataField", name);
}

// ---------------------------------------------------------------------------
// The family.

bool wwIsClassByName(const TObject* object, std::string_view className) {
  return object && object->InheritsFromName(className);
}

bool wwIsControlsDataSet(const TObject* object) {
  if (!object) return false;
  for (const char* n : {"TwwTable", "TwwQuery", "TwwQBE", "TwwStoredProc", "TwwClientDataSet"})
    if (wwIsClassByName(object, n)) return true;
  return IsPublishedProp(object, "ControlType");
}

// ---------------------------------------------------------------------------
// Field settings.

void wwGetFieldControlType(const TDataSet* dataSet, const AnsiString& fieldName, AnsiString& controlType,
                           AnsiString& parameters) {
  controlType.clear();
  parameters.clear();
  TStrings* list = wwGetControlType(dataSet);
  if (!list) return;
  for (int i = 0; i < list->Count(); ++i) {
    const AnsiString entry = list->Get(i);
    const size_t first = entry.find(';');
    if (entry.substr(0, first) != fieldName) continue;
    controlType.clear();
    parameters.clear();
    if (first == AnsiString::npos) continue;
    const size_t second = entry.find(';', first + 1);
    controlType = entry.substr(first + 1, second == AnsiString::npos ? AnsiString::npos : second - first - 1);
    if (second != AnsiString::npos) parameters = entry.substr(second + 1, 255);
  }
}

bool wwIsEditControlType(const AnsiString& controlType) {
  return wwEqualText(controlType, "CustomEdit") || wwEqualText(controlType, "LookupCombo") ||
         wwEqualText(controlType, "Combo");
}

void wwGetFieldPictureMask(TDataSet* dataSet, const AnsiString& fieldName, bool useTablePicture,
                           bool& allowInvalidExit, bool& autoFill, AnsiString& mask) {
  allowInvalidExit = true;
  autoFill = true;
  mask.clear();
  TStrings* masks = wwGetPictureMasks(dataSet);
  const int i = MaskEntryIndex(masks, fieldName);
  if (i >= 0) {
    const std::vector<AnsiString> t = Tokens(masks->Get(i), '\t');
    mask = t.size() > 1 ? t[1] : AnsiString();
    autoFill = t.size() > 2 && t[2] == "T";
    allowInvalidExit = t.size() > 3 && t[3] == "T";
  }
  if (useTablePicture) {
    AnsiString picture;
    if (auto* t = dynamic_cast<TwwTable*>(dataSet)) picture = t->TablePicture(fieldName);
    if (!picture.empty()) {
      mask = picture;
      if (i >= 0) wwUpdatePictureMaskEntry(dataSet, fieldName, mask, false, false, true, allowInvalidExit, autoFill);
    }
  }
}

void wwUpdatePictureMaskEntry(TDataSet* dataSet, const AnsiString& fieldName, AnsiString mask, bool keepAllowExit,
                              bool keepAutoFill, bool keepMask, bool allowInvalidExit, bool autoFill) {
  if (auto* t = dynamic_cast<TwwTable*>(dataSet)) {
    AnsiString picture = t->TablePicture(fieldName);
    if (!picture.empty()) mask = picture;
  }
  TStrings* masks = wwGetPictureMasks(dataSet);
  if (!masks) return;
  const int i = MaskEntryIndex(masks, fieldName);
  if (i >= 0) {
    const std::vector<AnsiString> t = Tokens(masks->Get(i), '\t');
    if (!keepMask) mask = t.size() > 1 ? t[1] : AnsiString();
    if (!keepAutoFill) autoFill = t.size() > 2 && t[2] == "T";
    if (!keepAllowExit) allowInvalidExit = t.size() > 3 && t[3] == "T";
    if (mask.empty()) {
      masks->Delete(i);
      return;
    }
    masks->Put(i, fieldName + "\t" + mask + "\t" + (autoFill ? "T" : "F") + "\t" + (allowInvalidExit ? "T" : "F"));
  } else if (!mask.empty()) {
    masks->Add(fieldName + "\t" + mask + "\t" + (autoFill ? "T" : "F") + "\t" + (allowInvalidExit ? "T" : "F"));
  }
}

void wwGetFieldLookupLink(const TDataSet* dataSet, const AnsiString& fieldName, AnsiString& link) {
  link.clear();
  TStrings* links = wwGetLookupLinks(dataSet);
  const int i = LookupEntryIndex(wwGetLookupFields(dataSet), fieldName);
  if (links && i >= 0 && i < links->Count()) link = links->Get(i);
}

void wwGetLookupDisplayToken(const TDataSet* dataSet, const AnsiString& fieldName, AnsiString& text) {
  text.clear();
  TStrings* fields = wwGetLookupFields(dataSet);
  const int i = LookupEntryIndex(fields, fieldName);
  if (i < 0) return;
  const std::vector<AnsiString> t = Tokens(fields->Get(i), ';');
  if (t.size() > 3) text = t[3];
}

void wwGetLookupTableInfo(TDataSet* dataSet, const AnsiString& fieldName, AnsiString& database, AnsiString& table,
                          AnsiString& index, AnsiString& link) {
  database = wwGetDatabaseName(dataSet);
  table.clear();
  index.clear();
  link.clear();
  TStrings* fields = wwGetLookupFields(dataSet);
  const int i = LookupEntryIndex(fields, fieldName);
  if (i < 0) return;
  const std::vector<AnsiString> t = Tokens(fields->Get(i), ';');
  if (t.size() <= 4) return;
  database = t[1];
  table = EntryTableName(t);
  if (t.size() <= 5) {
    index = t[4];
  } else if (TwwTable* lookup = wwFindLookupTable(dataSet, fieldName)) {
    index = EntryIndexName(t, lookup);
  }
  wwGetFieldLookupLink(dataSet, fieldName, link);
}

// ---------------------------------------------------------------------------
// Lookup tables.

void wwSetupLookupFields(TDataSet* dataSet) {
  auto* lists = dynamic_cast<TwwDataSetLists*>(dataSet);
  TStrings* fields = wwGetLookupFields(dataSet);
  if (!lists || !fields) return;
  TStrings* links = wwGetLookupLinks(dataSet);
  auto& tables = lists->LookupTables();
  for (int i = 0; i < fields->Count(); ++i) {
    const std::vector<AnsiString> t = Tokens(fields->Get(i), ';');
    if (t.size() < 3) continue;
    const AnsiString database = t[1], tableName = EntryTableName(t);
    TwwTable* lookup = nullptr;
    for (auto& open : tables) {
      auto* w = dynamic_cast<TwwTable*>(open.get());
      if (w && SameText(w->DatabaseName(), database) && SameText(w->TableName(), tableName)) lookup = w;
    }
    if (!lookup) {
      auto made = std::make_unique<TwwTable>(nullptr);
      lookup = made.get();
      lookup->SetDatabaseName(database);
      lookup->SetTableName(tableName);
      {
        lookup->SetLookupSetupActive(true);
        TScopeExit setUp{[lookup] { lookup->SetLookupSetupActive(false); }};
        const AnsiString index = EntryIndexName(t, lookup);
        if (!index.empty()) lookup->SetIndexName(index);
        lookup->SetReadOnly(true);
        lookup->Open();
      }
      tables.push_back(std::move(made));
    }
    const AnsiString link = links && i < links->Count() ? links->Get(i) : AnsiString();
    for (const auto& [own, theirs] : LinkPairs(link)) {
      if (!wwDataSetHasField(dataSet, own)) DatabaseError("Field '" + own + "' not found");
      if (!wwDataSetHasField(lookup, theirs)) DatabaseError("Field '" + theirs + "' not found");
    }
  }
}

TwwTable* wwFindLookupTable(TDataSet* dataSet, const AnsiString& fieldName) {
  auto* lists = dynamic_cast<TwwDataSetLists*>(dataSet);
  TStrings* fields = wwGetLookupFields(dataSet);
  const int i = LookupEntryIndex(fields, fieldName);
  if (!lists || i < 0) return nullptr;
  const std::vector<AnsiString> t = Tokens(fields->Get(i), ';');
  if (t.size() < 3) return nullptr;
  const AnsiString tableName = EntryTableName(t);
  for (auto& open : lists->LookupTables()) {
    auto* w = dynamic_cast<TwwTable*>(open.get());
    if (w && SameText(w->DatabaseName(), t[1]) && SameText(w->TableName(), tableName)) return w;
  }
  return nullptr;
}

bool wwFindLookupRecord(TDataSet* dataSet, TField* field) {
  TwwTable* lookup = wwFindLookupTable(dataSet, field->FieldName());
  if (!lookup) return false;
  AnsiString link;
  wwGetFieldLookupLink(dataSet, field->FieldName(), link);
  return PositionLookup(dataSet, lookup, link);
}

bool wwSyncLookupField(TDataSet* dataSet, TwwTable* lookupTable, const AnsiString& fieldName) {
  TStrings* fields = wwGetLookupFields(dataSet);
  TStrings* links = wwGetLookupLinks(dataSet);
  if (!fields || !lookupTable) return false;
  for (int i = 0; i < fields->Count(); ++i) {
    const std::vector<AnsiString> t = Tokens(fields->Get(i), ';');
    if (t.size() < 3 || t[0] != fieldName || !SameText(EntryTableName(t), lookupTable->TableName())) continue;
    {
      lookupTable->SetLookupSetupActive(true);
      TScopeExit setUp{[lookupTable] { lookupTable->SetLookupSetupActive(false); }};
      const AnsiString index = EntryIndexName(t, lookupTable);
      if (!index.empty() && !SameText(index, lookupTable->IndexName())) lookupTable->SetIndexName(index);
    }
    const AnsiString link = links && i < links->Count() ? links->Get(i) : AnsiString();
    // A link naming a field either side lacks positions nothing.
    if (!LinkFieldsExist(dataSet, lookupTable, link)) return false;
    return PositionLookup(dataSet, lookupTable, link);
  }
  return false;
}

void wwLinkLookupFields(TComponent* form, TDataSet* dataSet) {
  TStrings* fields = wwGetLookupFields(dataSet);
  if (!form || !fields || fields->Count() == 0) return;
  wwSetupLookupFields(dataSet);
  for (int c = 0; c < form->ComponentCount(); ++c) {
    TComponent* control = form->Components(c);
    if (!GetPropInfo(control, "LookupTable", TTypeKind::tkClass) || GetObjectProp(control, "LookupTable")) continue;
    TDataSource* source = dynamic_cast<TDataSource*>(GetObjectProp(control, "DataSource"));
    if (!source || source->DataSet() != dataSet) continue;
    const AnsiString field = GetStrProp(control, "DataField");
    if (TwwTable* lookup = wwFindLookupTable(dataSet, field)) SetObjectProp(control, "LookupTable", lookup);
  }
}

void wwRemoveMissingFields(TDataSet* dataSet, TStrings* list, TStrings* parallelList, TStrings* otherList) {
  // The dataset's own LookupFields pairs with its LookupLinks, whichever
  // argument either came in.
  TStrings* ownFields = wwGetLookupFields(dataSet);
  TStrings* ownLinks = wwGetLookupLinks(dataSet);
  std::vector<TStrings*> lists = {list, parallelList, otherList};
  TStrings* keyed = list;
  TStrings* parallel = parallelList;
  if (ownFields && std::find(lists.begin(), lists.end(), ownFields) != lists.end()) {
    keyed = ownFields;
    parallel = std::find(lists.begin(), lists.end(), ownLinks) != lists.end() ? ownLinks : nullptr;
  }
  auto missing = [&](const AnsiString& entry, char delimiter) {
    return !dataSet->FindField(Trim(FirstToken(entry, delimiter)));
  };
  if (keyed) {
    for (int i = keyed->Count() - 1; i >= 0; --i) {
      if (!missing(keyed->Get(i), ';')) continue;
      keyed->Delete(i);
      if (parallel && i < parallel->Count()) parallel->Delete(i);
    }
  }
  for (TStrings* l : lists) {
    if (!l || l == keyed || l == parallel) continue;
    for (int i = l->Count() - 1; i >= 0; --i)
      if (missing(l->Get(i), ';')) l->Delete(i);
  }
}

// ---------------------------------------------------------------------------
// Field utilities.

bool wwDataSetHasField(const TDataSet* dataSet, std::string_view name) {
  return dataSet && dataSet->FindField(name) != nullptr;
}

bool wwIsCalcOrLookupField(const TField* field) { return field->Calculated() || field->Lookup(); }

bool wwIsValidTextForType(TFieldType type, const AnsiString& text) {
  switch (type) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc: return wwIsValidInteger(text);
    case ftFloat:
    case ftCurrency:
    case ftBCD: return wwIsValidFloat(text);
    case ftDate: return wwIsValidDate(text);
    case ftTime: return wwIsValidTime(text);
    case ftDateTime: return wwIsValidDateTime(text) || wwIsValidDate(text);
    default: return true;
  }
}

bool wwIsValidFieldText(const TField* field, const AnsiString& text) {
  return wwIsValidTextForType(field->DataType(), text);
}

bool wwIsValidFieldValue(const TField* field, const AnsiString& text) {
  switch (field->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftDate:
    case ftTime:
    case ftDateTime:
      if (text.empty()) return false;
      break;
    default: break;
  }
  return wwIsValidFieldText(field, text);
}

void wwApplySelectedToFields(TDataSet* dataSet, TStrings* selected) {
  dataSet->DisableControls();
  // EnableControls tells the controls, whose handlers may raise: it stays out
  // of a destructor.
  try {
    for (int i = 0; i < dataSet->FieldCount(); ++i) dataSet->Fields(i)->SetVisible(false);
    int position = 0;
    for (int i = 0; i < selected->Count(); ++i) {
      const std::vector<AnsiString> t = Tokens(selected->Get(i), '\t');
      TField* f = dataSet->FindField(t[0]);
      if (!f) continue;
      f->SetVisible(true);
      f->SetIndex(position++);
      if (t.size() > 1) f->SetDisplayWidth(StrToIntDef(t[1], f->DisplayWidth()));
      if (t.size() > 2) f->SetDisplayLabel(t[2]);
    }
  } catch (...) {
    dataSet->EnableControls();
    throw;
  }
  dataSet->EnableControls();
}

void wwBuildSelectedFromFields(TDataSet* dataSet, TStrings* selected) {
  for (int i = 0; i < dataSet->FieldCount(); ++i) {
    TField* f = dataSet->Fields(i);
    if (f->Visible()) selected->Add(f->FieldName() + "\t" + IntToStr(f->DisplayWidth()) + "\t" + f->DisplayLabel());
  }
}

bool wwFindSelectedEntry(TStrings* selected, const AnsiString& fieldName, int& index) {
  index = -1;
  if (!selected) return false;
  for (int i = 0; i < selected->Count(); ++i)
    if (SameText(FirstToken(selected->Get(i), '\t'), fieldName)) {
      index = i;
      return true;
    }
  return false;
}

int wwCompareBookmarks(TDataSet* dataSet, const uint8_t* bookmark1, const uint8_t* bookmark2) {
  if (!dataSet->Handle()) return 0;
  int16_t result = 0;
  dataSet->Check(BapiCompareBookMarks(dataSet->Handle(), bookmark1, bookmark2, result));
  return result;
}

// ---------------------------------------------------------------------------
// The record against its picture masks.

void wwValidateRecordPictureMasks(TDataSet* dataSet, const TwwInvalidValueEvent& onInvalidValue) {
  for (int i = 0; i < dataSet->FieldCount(); ++i) {
    TField* f = dataSet->Fields(i);
    bool allowInvalidExit = true, autoFill = true;
    AnsiString mask;
    wwGetFieldPictureMask(dataSet, f->FieldName(), true, allowInvalidExit, autoFill, mask);
    if (mask.empty() || f->ReadOnly()) continue;
    // A time field's text carries seconds: its hours-and-minutes mask is
    // checked with them.
    if (mask == "[#]#:##" && (f->DataType() == ftTime || f->DataType() == ftDateTime)) mask = "[#]#:##:##";
    if (wwMatchesPictureMask(mask, f->AsString())) continue;
    f->FocusControl();
    if (onInvalidValue) onInvalidValue(dataSet, f);
    DatabaseError(wwGlobalIntl()->UserMessages()->PictureValidateError() + f->DisplayName());
  }
}
