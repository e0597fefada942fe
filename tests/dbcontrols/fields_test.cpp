// Field settings of the dataset family on the reference data: lookup tables
// opened for LookupFields and positioned by LookupLinks (checked against a
// scan of the lookup table), the lists kept parallel when stale entries go,
// the setting lists read and written by name, grid column lists, and the
// family test by class name or published property.
#include <map>

#include "dbcontrols/datasets/wwfields.h"
#include "platform/ui/stdctrls.h"
#include "tests/dbcontrols/sample_fixture.h"

using namespace wwtest;

namespace {

// A control of another library that edits a lookup field.
class TFakeLookupCombo : public TComponent {
  ORV_CLASS_PUBLISHED(TFakeLookupCombo, TComponent)
  explicit TFakeLookupCombo(TComponent* owner) : TComponent(owner) {}
  TDataSource* DataSource() const { return source_; }
  void SetDataSource(TDataSource* v) { source_ = v; }
  const AnsiString& DataField() const { return field_; }
  void SetDataField(const AnsiString& v) { field_ = v; }
  TDataSet* LookupTable() const { return lookup_; }
  void SetLookupTable(TDataSet* v) { lookup_ = v; }

 private:
  TDataSource* source_ = nullptr;
  AnsiString field_;
  TDataSet* lookup_ = nullptr;
};

void TFakeLookupCombo::PublishProperties(TClassInfo& ci) {
  PublishObject<TFakeLookupCombo, TDataSource>(ci, "DataSource", &TFakeLookupCombo::DataSource,
                                               &TFakeLookupCombo::SetDataSource);
  PublishString<TFakeLookupCombo>(ci, "DataField", &TFakeLookupCombo::DataField, &TFakeLookupCombo::SetDataField);
  PublishObject<TFakeLookupCombo, TDataSet>(ci, "LookupTable", &TFakeLookupCombo::LookupTable,
                                            &TFakeLookupCombo::SetLookupTable);
}

// An edit with the two published properties of a data-aware edit.
class TFakeDBEdit : public TEdit {
  ORV_CLASS_PUBLISHED(TFakeDBEdit, TEdit)
  explicit TFakeDBEdit(TComponent* owner) : TEdit(owner) {}
  TDataSource* DataSource() const { return source_; }
  void SetDataSource(TDataSource* v) { source_ = v; }
  const AnsiString& DataField() const { return field_; }
  void SetDataField(const AnsiString& v) { field_ = v; }

 private:
  TDataSource* source_ = nullptr;
  AnsiString field_;
};

void TFakeDBEdit::PublishProperties(TClassInfo& ci) {
  PublishObject<TFakeDBEdit, TDataSource>(ci, "DataSource", &TFakeDBEdit::DataSource, &TFakeDBEdit::SetDataSource);
  PublishString<TFakeDBEdit>(ci, "DataField", &TFakeDBEdit::DataField, &TFakeDBEdit::SetDataField);
}

// A dataset of another family that publishes ControlType.
class TForeignDataSet : public TDataSet {
  ORV_CLASS_PUBLISHED(TForeignDataSet, TDataSet)
  explicit TForeignDataSet(TComponent* owner) : TDataSet(owner) {}
  TStrings* ControlType() const { return list_.get(); }
  void SetControlType(TStrings* v) { list_->Assign(v); }

 private:
  std::unique_ptr<TStringList> list_ = std::make_unique<TStringList>();
};

void TForeignDataSet::PublishProperties(TClassInfo& ci) {
  PublishObject<TForeignDataSet, TStrings>(ci, "ControlType", &TForeignDataSet::ControlType,
                                           &TForeignDataSet::SetControlType);
}

std::vector<AnsiString> Lines(const TStrings* l) {
  std::vector<AnsiString> out;
  for (int i = 0; i < l->Count(); ++i) out.push_back(l->Get(i));
  return out;
}

}  // namespace

class Fields : public SampleData {};

TEST_F(Fields, LookupTablesFollowTheCurrentRecordAsAScanOfTheLookupTableSays) {
  std::map<int, AnsiString> nations;
  {
    auto n = Open("NATION.FFD");
    for (n->First(); !n->Eof(); n->Next())
      nations[n->FieldByName("NATI_ID")->AsInteger()] = n->FieldByName("NATI_NAME")->AsString();
  }
  auto links = std::make_unique<TwwTable>(nullptr);
  links->SetDatabaseName("Orvelan");
  links->SetTableName("PERSNATI.FFD");
  links->SetIndexName("PN_PERS");
  links->LookupFields()->Add("GONE;Orvelan;BERUF.FFD;BERU_NAMEM;XPKBERU");
  links->LookupLinks()->Add("GONE;BERU_ID");
  links->LookupFields()->Add("NATI_ID;Orvelan;NATION.FFD;NATI_NAME;XPKNATI");
  links->LookupLinks()->Add("NATI_ID;NATI_ID");
  links->ControlType()->Add("NATI_ID;LookupCombo;");
  links->ControlType()->Add("OLD;CheckBox;T;F");
  int calcs = 0;
  links->OnCalcFields = [&](TDataSet*) { ++calcs; };
  links->Open();
  // The calculation step dropped the stale entries, both lists alike, and
  // opened the lookup table read-only on its index.
  EXPECT_GT(calcs, 0);
  EXPECT_EQ(Lines(links->LookupFields()), std::vector<AnsiString>{"NATI_ID;Orvelan;NATION.FFD;NATI_NAME;XPKNATI"});
  EXPECT_EQ(Lines(links->LookupLinks()), std::vector<AnsiString>{"NATI_ID;NATI_ID"});
  EXPECT_EQ(Lines(links->ControlType()), std::vector<AnsiString>{"NATI_ID;LookupCombo;"});
  ASSERT_EQ(links->LookupTables().size(), 1u);
  TwwTable* lookup = wwFindLookupTable(links.get(), "NATI_ID");
  ASSERT_NE(lookup, nullptr);
  EXPECT_EQ(lookup->IndexName(), "XPKNATI");
  EXPECT_FALSE(lookup->CanModify());

  int checked = 0;
  for (links->First(); !links->Eof() && checked < 200; links->Next(), ++checked) {
    const int id = links->FieldByName("NATI_ID")->AsInteger();
    ASSERT_TRUE(wwFindLookupRecord(links.get(), links->FieldByName("NATI_ID"))) << id;
    EXPECT_EQ(lookup->FieldByName("NATI_NAME")->AsString(), nations.at(id));
  }
  EXPECT_GT(checked, 100);
  links->Close();
  EXPECT_TRUE(links->LookupTables().empty()) << "lookup tables go with the cursor";
}

TEST_F(Fields, SyncingALookupTableGivesItTheEntrysIndex) {
  auto links = Open("PERSNATI.FFD", "PN_PERS");
  links->LookupFields()->Add("NATI_ID;Orvelan;NATION.FFD;NATI_NAME;-;NATI_ID;N");
  links->LookupLinks()->Add("NATI_ID;NATI_ID");
  auto lookup = Open("NATION");  // file order, and named as the long entry cuts it
  links->MoveBy(20);
  const int id = links->FieldByName("NATI_ID")->AsInteger();
  EXPECT_TRUE(wwSyncLookupField(links.get(), lookup.get(), "NATI_ID"));
  EXPECT_EQ(lookup->IndexName(), "XPKNATI");
  EXPECT_EQ(lookup->FieldByName("NATI_ID")->AsInteger(), id);
  EXPECT_FALSE(wwSyncLookupField(links.get(), lookup.get(), "PNAT_NR")) << "no entry";

  AnsiString database, table, index, link, display;
  wwGetLookupTableInfo(links.get(), "NATI_ID", database, table, index, link);
  EXPECT_EQ(database, "Orvelan");
  EXPECT_EQ(table, "NATION");
  EXPECT_EQ(link, "NATI_ID;NATI_ID");
  wwGetLookupTableInfo(links.get(), "PERS_ID", database, table, index, link);
  EXPECT_EQ(database, "Orvelan") << "without an entry: the dataset's own database";
  EXPECT_EQ(table, "");
  wwGetLookupDisplayToken(links.get(), "NATI_ID", display);
  EXPECT_EQ(display, "NATI_NAME");

  // A link naming a field the dataset lacks positions nothing.
  links->LookupLinks()->Put(0, "NATION;NATI_ID");
  EXPECT_FALSE(wwSyncLookupField(links.get(), lookup.get(), "NATI_ID"));
}

TEST_F(Fields, LinkLookupFieldsHandsTheLookupTableToTheFormsControls) {
  auto links = Open("PERSNATI.FFD", "PN_PERS");
  links->LookupFields()->Add("NATI_ID;Orvelan;NATION.FFD;NATI_NAME;XPKNATI");
  links->LookupLinks()->Add("NATI_ID;NATI_ID");
  TComponent form(nullptr);
  auto* source = new TwwDataSource(&form);
  source->SetDataSet(links.get());
  auto* combo = new TFakeLookupCombo(&form);
  combo->SetDataSource(source);
  combo->SetDataField("NATI_ID");
  auto* other = new TFakeLookupCombo(&form);
  other->SetDataSource(source);
  other->SetDataField("PERS_ID");
  wwLinkLookupFields(&form, links.get());
  EXPECT_EQ(combo->LookupTable(), wwFindLookupTable(links.get(), "NATI_ID"));
  EXPECT_NE(combo->LookupTable(), nullptr);
  EXPECT_EQ(other->LookupTable(), nullptr);
}

TEST_F(Fields, RemovingMissingFieldsKeepsLookupFieldsAndLinksParallelInEitherOrder) {
  auto t = Open("PERSNATI.FFD", "PN_PERS");
  const auto fill = [&] {
    t->LookupFields()->Clear();
    t->LookupLinks()->Clear();
    t->ControlType()->Clear();
    for (const char* f : {"NATI_ID", "GONE", "PERS_ID", "LOST"}) {
      t->LookupFields()->Add(AnsiString(f) + ";Orvelan;NATION.FFD;NATI_NAME;XPKNATI");
      t->LookupLinks()->Add(AnsiString("NATI_ID;") + f);
    }
    t->ControlType()->Add("LOST;Combo;");
    t->ControlType()->Add("PERS_ID;Combo;");
  };
  const std::vector<AnsiString> fields = {"NATI_ID;Orvelan;NATION.FFD;NATI_NAME;XPKNATI",
                                          "PERS_ID;Orvelan;NATION.FFD;NATI_NAME;XPKNATI"};
  const std::vector<AnsiString> links = {"NATI_ID;NATI_ID", "NATI_ID;PERS_ID"};
  const std::vector<AnsiString> types = {"PERS_ID;Combo;"};
  fill();
  wwRemoveMissingFields(t.get(), t->LookupFields(), t->LookupLinks(), t->ControlType());
  EXPECT_EQ(Lines(t->LookupFields()), fields);
  EXPECT_EQ(Lines(t->LookupLinks()), links);
  EXPECT_EQ(Lines(t->ControlType()), types);
  fill();
  wwRemoveMissingFields(t.get(), t->ControlType(), t->LookupLinks(), t->LookupFields());
  EXPECT_EQ(Lines(t->LookupFields()), fields);
  EXPECT_EQ(Lines(t->LookupLinks()), links);
  EXPECT_EQ(Lines(t->ControlType()), types);
}

TEST_F(Fields, SettingListsAreReadAndWrittenByName) {
  auto t = Open("LAGE.FFD", "XPKLAGE");
  t->ControlType()->Add("ORT;Combo;A\tx;B\ty");
  t->ControlType()->Add("ort;CheckBox;T;F");
  t->ControlType()->Add("ORT;CustomEdit;ed");
  AnsiString type, params;
  wwGetFieldControlType(t.get(), "ORT", type, params);
  EXPECT_EQ(type, "CustomEdit") << "the last entry wins, names compared exactly";
  EXPECT_EQ(params, "ed");
  wwGetFieldControlType(t.get(), "BREITE", type, params);
  EXPECT_EQ(type, "");
  EXPECT_TRUE(wwIsEditControlType("lookupcombo"));
  EXPECT_FALSE(wwIsEditControlType("CheckBox"));

  bool allowExit = false, autoFill = false;
  AnsiString mask = "x";
  wwGetFieldPictureMask(t.get(), "ORT", true, allowExit, autoFill, mask);
  EXPECT_EQ(mask, "");
  EXPECT_TRUE(allowExit);
  EXPECT_TRUE(autoFill);
  t->PictureMasks()->Add("ort\t*!");
  wwGetFieldPictureMask(t.get(), "ORT", true, allowExit, autoFill, mask);
  EXPECT_EQ(mask, "*!");
  EXPECT_FALSE(allowExit) << "a missing flag is false";
  EXPECT_FALSE(autoFill);
  wwUpdatePictureMaskEntry(t.get(), "ORT", "&*?", false, true, true, true, true);
  EXPECT_EQ(t->PictureMasks()->Get(0), "ORT\t&*?\tT\tF");
  wwUpdatePictureMaskEntry(t.get(), "BREITE", "#[#]", true, true, true, true, false);
  EXPECT_EQ(t->PictureMasks()->Get(1), "BREITE\t#[#]\tF\tT");
  wwUpdatePictureMaskEntry(t.get(), "ORT", "", true, true, true, true, true);
  EXPECT_EQ(Lines(t->PictureMasks()), std::vector<AnsiString>{"BREITE\t#[#]\tF\tT"});
  EXPECT_EQ(t->TablePicture("ORT"), "") << "the engine's tables define no pictures";

  // The same through the published properties, as the controls read them.
  EXPECT_EQ(wwGetPictureMasks(t.get()), t->PictureMasks());
  EXPECT_TRUE(wwGetValidateWithMask(t.get()));
  EXPECT_EQ(wwGetDatabaseName(t.get()), "Orvelan");
  EXPECT_EQ(wwGetOnFilterOptions(t.get()), wwDefaultFilterOptions);
  bool called = false;
  t->OnInvalidValue = [&](TDataSet*, TField*) { called = true; };
  wwGetOnInvalidValue(t.get())(t.get(), nullptr);
  EXPECT_TRUE(called);

  TTable plain(nullptr);
  EXPECT_EQ(wwGetControlType(&plain), nullptr);
  EXPECT_EQ(wwGetLookupFields(&plain), nullptr);
  EXPECT_FALSE(wwGetValidateWithMask(&plain));
  EXPECT_EQ(wwGetOnFilterOptions(&plain), 0u);
  EXPECT_FALSE(static_cast<bool>(wwGetOnInvalidValue(&plain)));
  wwGetFieldPictureMask(&plain, "ORT", true, allowExit, autoFill, mask);
  EXPECT_EQ(mask, "");
}

TEST_F(Fields, TheFamilyIsKnownByClassNameOrByAPublishedControlTypeList) {
  TwwTable table(nullptr);
  TTable plain(nullptr);
  TForeignDataSet foreign(nullptr);
  TwwStoredProc proc(nullptr);
  EXPECT_TRUE(wwIsControlsDataSet(&table));
  EXPECT_TRUE(wwIsControlsDataSet(&proc));
  EXPECT_TRUE(wwIsControlsDataSet(&foreign));
  EXPECT_FALSE(wwIsControlsDataSet(&plain));
  EXPECT_TRUE(wwIsClassByName(&table, "ttable"));
  EXPECT_FALSE(wwIsClassByName(&plain, "TwwTable"));

  TwwDataSource source(nullptr);
  TFakeDBEdit edit(nullptr);
  TFakeLookupCombo combo(nullptr);
  EXPECT_TRUE(wwSetDataSource(&edit, &source));
  EXPECT_EQ(wwGetDataSource(&edit), &source);
  EXPECT_TRUE(wwSetDataField(&edit, "ORT"));
  EXPECT_EQ(wwGetDataField(&edit), "ORT");
  // Only edits are served by the setters.
  EXPECT_FALSE(wwSetDataSource(&combo, &source));
  EXPECT_FALSE(wwSetDataField(&combo, "ORT"));
  EXPECT_EQ(wwGetDataField(&combo), "");
  combo.SetDataSource(&source);
  EXPECT_EQ(wwGetDataSource(&combo), &source);
}

TEST_F(Fields, GridColumnListsShowTheListedFieldsInTheirOrder) {
  auto t = Open("NATION.FFD", "XPKNATI");
  TStringList selected;
  selected.Add("NATI_NAME\t25\tStaat");
  selected.Add("MISSING\t5\tx");
  selected.Add("nati_abk\t4\t");
  wwApplySelectedToFields(t.get(), &selected);
  EXPECT_EQ(t->Fields(0)->FieldName(), "NATI_NAME");
  EXPECT_EQ(t->Fields(1)->FieldName(), "NATI_ABK");
  EXPECT_FALSE(t->FieldByName("NATI_ID")->Visible());
  EXPECT_EQ(t->Fields(0)->DisplayWidth(), 25);
  EXPECT_EQ(t->Fields(0)->DisplayLabel(), "Staat");
  TStringList rebuilt;
  wwBuildSelectedFromFields(t.get(), &rebuilt);
  EXPECT_EQ(Lines(&rebuilt), (std::vector<AnsiString>{"NATI_NAME\t25\tStaat", "NATI_ABK\t4\tNATI_ABK"}));
  int index = -1;
  EXPECT_TRUE(wwFindSelectedEntry(&selected, "NATI_ABK", index));
  EXPECT_EQ(index, 2);
  EXPECT_FALSE(wwFindSelectedEntry(&selected, "NATI", index));
  EXPECT_EQ(index, -1);
}

TEST_F(Fields, FieldTextsAndBookmarksCompareAsTheCallLevelSays) {
  auto t = Open("LAGE.FFD", "XPKLAGE");
  TField* breite = t->FieldByName("BREITE");
  TField* ort = t->FieldByName("ORT");
  EXPECT_TRUE(wwIsValidFieldText(breite, "48,14"));
  EXPECT_FALSE(wwIsValidFieldText(breite, "48,1x"));
  EXPECT_TRUE(wwIsValidFieldText(breite, ""));
  EXPECT_FALSE(wwIsValidFieldValue(breite, "")) << "a number field needs a value";
  EXPECT_TRUE(wwIsValidFieldValue(ort, ""));
  EXPECT_TRUE(wwIsValidTextForType(ftDateTime, "24.12.2026"));
  EXPECT_FALSE(wwIsValidTextForType(ftTime, "25:61"));
  EXPECT_FALSE(wwIsCalcOrLookupField(ort));
  EXPECT_TRUE(wwDataSetHasField(t.get(), "ort"));

  TBookmark a = t->GetBookmark();
  t->Next();
  TBookmark b = t->GetBookmark();
  EXPECT_EQ(wwCompareBookmarks(t.get(), a, a), 0);
  EXPECT_EQ(wwCompareBookmarks(t.get(), a, b), -1);
  EXPECT_EQ(wwCompareBookmarks(t.get(), b, a), 1);
  std::vector<uint8_t> bogus(static_cast<size_t>(t->BookmarkSize()), 0xEE);
  EXPECT_THROW(wwCompareBookmarks(t.get(), a, bogus.data()), EDatabaseError);
  t->FreeBookmark(a);
  t->FreeBookmark(b);
  TTable closed(nullptr);
  EXPECT_EQ(wwCompareBookmarks(&closed, bogus.data(), bogus.data()), 0);
}
