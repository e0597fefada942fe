// Fields: typed access and text conversion, persistent fields beside the
// default ones, calculated and lookup fields, BLOB fields and streams, and
// the field data link.
#include <fstream>

#include "tests/db/db_fixture.h"
#include "platform/rtl/sysutils.h"

using namespace dbtest;

TEST_F(DbTest, FieldAccessAndTextConversion) {
  auto t = Table();
  t->Open();
  EXPECT_EQ(t->FieldCount(), 11);
  EXPECT_EQ(t->FindField("name"), t->FieldByName("NAME"));
  EXPECT_EQ(t->FindField("FEHLT"), nullptr);
  try {
    t->FieldByName("FEHLT");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Field 'FEHLT' not found");
  }
  TField* name = t->FieldByName("NAME");
  TField* betrag = t->FieldByName("BETRAG");
  TField* datum = t->FieldByName("DATUM");
  TField* flag = t->FieldByName("FLAG");
  TField* klein = t->FieldByName("KLEIN");
  EXPECT_EQ(name->FieldNo(), 2);
  EXPECT_EQ(name->DataType(), ftString);
  EXPECT_EQ(name->Size(), 12);
  EXPECT_TRUE(t->FieldByName("ID")->Required());
  EXPECT_EQ(betrag->Alignment(), taRightJustify);
  EXPECT_EQ(name->Alignment(), taLeftJustify);
  EXPECT_TRUE(dynamic_cast<TMemoField*>(t->FieldByName("TEXT")));
  EXPECT_TRUE(dynamic_cast<TGraphicField*>(t->FieldByName("BILD")));
  EXPECT_TRUE(dynamic_cast<TWordField*>(t->FieldByName("TAG")));

  t->Append();
  t->FieldByName("ID")->SetAsInteger(1);
  name->SetAsString("Maximilian-Alexander");
  EXPECT_EQ(name->AsString(), "Maximilian-A") << "cut to the field's size";
  betrag->SetText("1234,5");
  EXPECT_DOUBLE_EQ(betrag->AsFloat(), 1234.5);
  EXPECT_THROW(betrag->SetText("12a"), EConvertError);
  EXPECT_DOUBLE_EQ(betrag->AsFloat(), 1234.5);
  static_cast<TFloatField*>(betrag)->SetDisplayFormat("#,##0.00");
  EXPECT_EQ(betrag->DisplayText(), "1.234,50");
  EXPECT_EQ(betrag->Text(), "1234,5");
  datum->SetText("05.07.1962");
  EXPECT_EQ(datum->AsDateTime(), EncodeDate(1962, 7, 5));
  EXPECT_EQ(datum->AsString(), "05.07.1962");
  EXPECT_THROW(datum->SetText("31.02.1990"), EConvertError);
  flag->SetText("t");
  EXPECT_TRUE(flag->AsBoolean());
  EXPECT_EQ(flag->AsString(), "True");
  EXPECT_THROW(flag->SetText("vielleicht"), EConvertError);
  EXPECT_THROW(klein->SetAsInteger(256), ERangeError) << "a byte field holds 0..255";
  klein->SetAsString("255");
  EXPECT_THROW(t->FieldByName("TAG")->SetText("x"), EConvertError);
  EXPECT_TRUE(t->FieldByName("TAG")->IsNull());
  EXPECT_TRUE(t->FieldByName("TAG")->IsValidChar('7'));
  EXPECT_FALSE(t->FieldByName("TAG")->IsValidChar('x'));
  EXPECT_TRUE(name->IsValidChar('x'));
  name->Clear();
  EXPECT_TRUE(name->IsNull());
  name->OnSetText = [](TField* f, const AnsiString& s) { f->SetAsString(UpperCase(s)); };
  name->OnGetText = [](TField* f, AnsiString& s, bool display) {
    s = display ? "<" + f->AsString() + ">" : f->AsString();
  };
  name->SetText("klein");
  EXPECT_EQ(name->Text(), "KLEIN");
  EXPECT_EQ(name->DisplayText(), "<KLEIN>");
  t->Post();
  t->Close();
  t->Open();
  EXPECT_EQ(t->FieldByName("KLEIN")->AsInteger(), 255);
  EXPECT_DOUBLE_EQ(t->FieldByName("BETRAG")->AsFloat(), 1234.5);
  EXPECT_EQ(t->FieldByName("FLAG")->Value(), Variant(true));
}

TEST_F(DbTest, ValidateAndChangeEventsAndFieldOrder) {
  AddNumbered(1);
  auto t = Table();
  t->Open();
  TField* name = t->FieldByName("NAME");
  int changes = 0;
  name->OnValidate = [](TField* f) {
    if (f->AsString() == "Verboten") throw EDatabaseError("Name not allowed");
  };
  name->OnChange = [&](TField*) { ++changes; };
  t->Edit();
  name->SetAsString("Erlaubt");
  EXPECT_EQ(changes, 1);
  EXPECT_THROW(name->SetAsString("Verboten"), EDatabaseError);
  EXPECT_EQ(name->AsString(), "Erlaubt") << "a refused value leaves the old one";
  EXPECT_EQ(changes, 1);
  t->Cancel();
  // Index is writable and the display label defaults to the name.
  name->SetIndex(0);
  EXPECT_EQ(t->Fields(0), name);
  EXPECT_EQ(name->Index(), 0);
  EXPECT_EQ(t->Fields(1)->FieldName(), "ID");
  EXPECT_EQ(name->DisplayLabel(), "NAME");
  name->SetDisplayLabel("Name");
  EXPECT_EQ(name->DisplayName(), "Name");
  EXPECT_EQ(name->DisplayWidth(), 12);
}

TEST_F(DbTest, CalculatedAndLookupFields) {
  auto nations = Table("NATION", "XNATI");
  nations->Open();
  for (auto [id, n] : std::vector<std::pair<int, const char*>>{{3, "Schweiz"}, {7, "Deutschland"}}) {
    nations->Append();
    nations->FieldByName("NATI_ID")->SetAsInteger(id);
    nations->FieldByName("NATI_NAME")->SetAsString(n);
    nations->Post();
  }
  nations->First();
  AddPersons({{1, "Anna", 7, 3, 1950}, {2, "Bert", 1, 7, 1901}, {3, "Cleo", 2, 9, 1975}});
  auto t = Table();
  // Declared fields: a calculated and a lookup field beside the default ones.
  auto* calc = new TStringField(nullptr);
  calc->SetFieldName("GEBURT");
  calc->SetCalculated(true);
  calc->SetDataSet(t.get());
  auto* nation = new TStringField(nullptr);
  nation->SetFieldName("NATION");
  nation->SetLookup(true);
  nation->SetKeyFields("MONAT");
  nation->SetLookupDataSet(nations.get());
  nation->SetLookupKeyFields("NATI_ID");
  nation->SetLookupResultField("NATI_NAME");
  nation->SetDataSet(t.get());
  int calcCalls = 0;
  t->OnCalcFields = [&](TDataSet* d) {
    ++calcCalls;
    d->FieldByName("GEBURT")->SetAsString(d->FieldByName("TAG")->AsString() + "." +
                                          d->FieldByName("MONAT")->AsString() + "." +
                                          d->FieldByName("JAHR")->AsString());
  };
  t->Open();
  EXPECT_EQ(t->FieldCount(), 13);
  EXPECT_TRUE(t->DefaultFields());
  EXPECT_EQ(calc->Index(), 11) << "declared fields follow the default ones";
  EXPECT_EQ(calc->AsString(), "7.3.1950");
  EXPECT_EQ(nation->AsString(), "Schweiz");
  t->Next();
  EXPECT_EQ(calc->AsString(), "1.7.1901");
  EXPECT_EQ(nation->AsString(), "Deutschland");
  t->Next();
  EXPECT_TRUE(nation->IsNull()) << "no nation 9";
  EXPECT_EQ(nations->FieldByName("NATI_ID")->AsInteger(), 3) << "a lookup leaves its table where it was";
  // Calculated values follow edits.
  t->Edit();
  t->FieldByName("JAHR")->SetAsInteger(1976);
  EXPECT_EQ(calc->AsString(), "2.9.1976");
  t->Cancel();
  EXPECT_THROW(calc->SetAsString("x"), EDatabaseError) << "not editing";
  EXPECT_GT(calcCalls, 3);
  t->Close();
  EXPECT_EQ(t->FieldCount(), 2) << "default fields go with the cursor, declared ones stay";
  EXPECT_EQ(t->Fields(1), nation);
  EXPECT_EQ(calc->Value(), Variant()) << "a closed dataset gives Null";
}

TEST_F(DbTest, BlobFieldsRoundTripThroughStreamsAndSurviveReopening) {
  AddNumbered(2);
  std::string big(100000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 251);
  std::string file = (dir / "bild.bin").string();
  {
    std::ofstream(file, std::ios::binary) << big;
  }
  auto t = Table();
  t->Open();
  auto* text = static_cast<TBlobField*>(t->FieldByName("TEXT"));
  auto* bild = static_cast<TBlobField*>(t->FieldByName("BILD"));
  EXPECT_EQ(text->BlobType(), ftMemo);
  EXPECT_TRUE(text->IsNull());
  EXPECT_EQ(text->DisplayText(), "(Memo)");
  t->Edit();
  {
    std::unique_ptr<TStream> s(t->CreateBlobStream(text, bmWrite));
    s->WriteBuffer("{\\rtf1 Hallo}", 13);
  }
  bild->LoadFromFile(file);
  t->Post();
  EXPECT_EQ(text->AsString(), "{\\rtf1 Hallo}");
  EXPECT_EQ(text->DisplayText(), "(MEMO)");
  t->Close();
  t->Open();
  text = static_cast<TBlobField*>(t->FieldByName("TEXT"));
  bild = static_cast<TBlobField*>(t->FieldByName("BILD"));
  TMemoryStream m;
  text->SaveToStream(&m);
  EXPECT_EQ(std::string(m.Memory(), static_cast<size_t>(m.Size())), "{\\rtf1 Hallo}");
  EXPECT_EQ(bild->BlobData(), big);
  {
    std::unique_ptr<TStream> r(t->CreateBlobStream(bild, bmRead));
    EXPECT_EQ(r->Size(), 100000);
    r->Seek(99990, soFromBeginning);
    char tail[20];
    EXPECT_EQ(r->Read(tail, 20), 10);
    EXPECT_EQ(std::string(tail, 10), big.substr(99990));
    EXPECT_THROW(r->Write("x", 1), EWriteError);
  }
  // Read-write streams append; a cancelled edit keeps the stored value.
  t->Edit();
  {
    std::unique_ptr<TStream> rw(t->CreateBlobStream(text, bmReadWrite));
    rw->Seek(0, soFromEnd);
    rw->WriteBuffer(" Welt", 5);
  }
  EXPECT_EQ(text->AsString(), "{\\rtf1 Hallo} Welt");
  t->Cancel();
  EXPECT_EQ(text->AsString(), "{\\rtf1 Hallo}");
  EXPECT_THROW(t->CreateBlobStream(text, bmWrite), EDatabaseError) << "writing needs edit state";
  // The next record has its own, empty BLOBs; clearing empties a value.
  t->Next();
  EXPECT_TRUE(bild->IsNull());
  t->Prior();
  t->Edit();
  bild->Clear();
  t->Post();
  EXPECT_TRUE(bild->IsNull());
}

TEST_F(DbTest, FieldDataLinkFollowsItsField) {
  AddNumbered(3);
  auto t = Table();
  TDataSource ds(nullptr);
  ds.SetDataSet(t.get());
  TFieldDataLink link;
  std::vector<std::string> shown;
  int editingChanges = 0;
  AnsiString typed;
  link.OnDataChange = [&](TObject*) { shown.push_back(link.Field() ? link.Field()->AsString() : "-"); };
  link.OnEditingChange = [&](TObject*) { ++editingChanges; };
  link.OnUpdateData = [&](TObject*) { link.Field()->SetAsString(typed); };
  link.SetFieldName("NAME");
  link.SetDataSource(&ds);
  t->Open();
  ASSERT_EQ(link.Field(), t->FieldByName("NAME"));
  t->Next();
  EXPECT_EQ(shown.back(), "P2");
  EXPECT_FALSE(link.Editing());
  // The control starts editing, changes its text and the post writes it.
  EXPECT_TRUE(link.Edit());
  EXPECT_EQ(t->State(), dsEdit);
  EXPECT_EQ(editingChanges, 1);
  typed = "Neu";
  link.Modified();
  t->Post();
  EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Neu");
  EXPECT_FALSE(link.IsModified());
  // Reset shows the record's value again; without AutoEdit nothing edits.
  link.Edit();
  link.Modified();
  shown.clear();
  link.Reset();
  EXPECT_EQ(shown, std::vector<std::string>{"Neu"});
  EXPECT_FALSE(link.IsModified());
  t->Cancel();
  ds.SetAutoEdit(false);
  EXPECT_FALSE(link.Edit());
  EXPECT_EQ(t->State(), dsBrowse);
  // Read-only links never edit; a disabled source deactivates its links.
  ds.SetAutoEdit(true);
  link.SetReadOnly(true);
  EXPECT_FALSE(link.Edit());
  link.SetReadOnly(false);
  ds.SetEnabled(false);
  EXPECT_FALSE(link.Active());
  EXPECT_EQ(link.Field(), nullptr);
  ds.SetEnabled(true);
  EXPECT_EQ(link.Field(), t->FieldByName("NAME"));
  // Focus requests reach the link of the field.
  int focus = 0;
  link.OnFocusRequest = [&](TObject*) { ++focus; };
  t->FieldByName("NAME")->FocusControl();
  t->FieldByName("ID")->FocusControl();
  EXPECT_EQ(focus, 1);
  link.SetDataSource(nullptr);
}

TEST_F(DbTest, DeclaredDataFieldsReplaceTheDefaultOnes) {
  AddNumbered(2);
  auto t = Table();
  auto* id = new TIntegerField(nullptr);
  id->SetFieldName("ID");
  id->SetDataSet(t.get());
  auto* name = new TStringField(nullptr);
  name->SetFieldName("name");
  name->SetDataSet(t.get());
  // Definitions can be read before opening.
  t->FieldDefs().Update();
  EXPECT_EQ(t->FieldDefs().Count(), 11);
  EXPECT_EQ(t->FieldDefs().Find("BETRAG")->DataType, ftFloat);
  t->IndexDefs().Update();
  EXPECT_EQ(t->IndexDefs().Count(), 3);
  EXPECT_FALSE(t->Active());
  t->Open();
  EXPECT_FALSE(t->DefaultFields());
  EXPECT_EQ(t->FieldCount(), 2);
  EXPECT_EQ(name->FieldNo(), 2);
  EXPECT_EQ(name->AsString(), "P1");
  EXPECT_EQ(t->FindField("BETRAG"), nullptr);
  EXPECT_THROW(name->SetDataSet(nullptr), EDatabaseError) << "not while open";
  t->Close();
  // A declared field must exist in the table and match its type.
  auto* wrong = new TFloatField(nullptr);
  wrong->SetFieldName("NAME");
  name->SetDataSet(nullptr);
  delete name;
  wrong->SetDataSet(t.get());
  try {
    t->Open();
    FAIL() << "a float field bound to a string";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find("Type mismatch for field 'NAME'"), std::string::npos) << e.Message();
  }
  EXPECT_FALSE(t->Active());
  wrong->SetFieldName("FEHLT");
  try {
    t->Open();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Field 'FEHLT' not found");
  }
  delete wrong;
  t->Open();
  EXPECT_EQ(t->FieldCount(), 1);
}
