// Pointer lists and string lists: bounds, name=value entries, sorting with
// duplicates, comma text, text files and change events.
#include "platform/rtl/classes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/rtl/cp1252.h"
#include "temp_dir.h"

namespace {
AnsiString Join(const TStrings& s) {
  AnsiString out;
  for (int i = 0; i < s.Count(); ++i) out += (i ? "|" : "") + s.Get(i);
  return out;
}
}  // namespace

TEST(TListTest, IndexesAndErrors) {
  int a = 1, b = 2, c = 3;
  TList l;
  EXPECT_EQ(l.Add(&a), 0);
  l.Add(&b);
  l.Insert(0, &c);
  l.Insert(3, nullptr);
  EXPECT_EQ(l.Count(), 4);
  EXPECT_EQ(l.First(), &c);
  EXPECT_EQ(l.IndexOf(&b), 2);
  l.Move(0, 2);  // c a b -> a b c
  EXPECT_EQ(l.Get(2), &c);
  l.Exchange(0, 1);
  EXPECT_EQ(l.Get(0), &b);
  l.Pack();
  EXPECT_EQ(l.Count(), 3);
  EXPECT_EQ(l.Remove(&a), 1);
  EXPECT_EQ(l.Remove(&a), -1);
  EXPECT_EQ(l.Extract(&b), &b);
  EXPECT_EQ(l.Extract(&b), nullptr);
  for (int bad : {-1, 1, 5}) EXPECT_THROW(l.Get(bad), EListError) << bad;
  EXPECT_THROW(l.Insert(3, &a), EListError);
  EXPECT_THROW(l.Delete(1), EListError);
  try {
    l.Get(7);
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), CP1252("Listenindex außerhalb des gültigen Bereichs (7)").str());
  }
  int v[] = {5, 3, 9, 3};
  TList s;
  for (int& x : v) s.Add(&x);
  s.Sort([](void* p, void* q) { return *static_cast<int*>(p) - *static_cast<int*>(q); });
  EXPECT_EQ(s.Get(0), &v[1]);  // stable: the first 3 stays first
  EXPECT_EQ(s.Get(1), &v[3]);
  EXPECT_EQ(s.Last(), &v[2]);
}

TEST(TStringListTest, NamesAndValues) {
  TStringList l;
  l.Add("Schrift=Arial");
  l.Add("Groesse=10");
  l.Add("ohne Gleich");
  l.Add("Leer=");
  l.Add("=nur Wert");
  EXPECT_EQ(l.Values("schrift"), "Arial");  // names match in any case
  EXPECT_EQ(l.Values("Leer"), "");
  EXPECT_EQ(l.Values("fehlt"), "");
  EXPECT_EQ(l.Values(""), "nur Wert");
  EXPECT_EQ(l.Names(0), "Schrift");
  EXPECT_EQ(l.Names(2), "");
  EXPECT_EQ(l.IndexOfName("GROESSE"), 1);
  l.SetValues("Groesse", "12");
  EXPECT_EQ(l.Get(1), "Groesse=12");
  l.SetValues("Neu", "a=b");  // value may hold "="
  EXPECT_EQ(l.Values("Neu"), "a=b");
  EXPECT_EQ(l.Count(), 6);
  l.SetValues("Schrift", "");  // empty deletes
  EXPECT_EQ(l.IndexOfName("Schrift"), -1);
  EXPECT_EQ(l.Count(), 5);
  l.SetValues("Fehlt", "");
  EXPECT_EQ(l.Count(), 5);
  EXPECT_EQ(l.IndexOf("OHNE GLEICH"), 1);
  l.SetCaseSensitive(true);
  EXPECT_EQ(l.IndexOf("OHNE GLEICH"), -1);
  EXPECT_EQ(l.Values("groesse"), "");
}

TEST(TStringListTest, SortedWithDuplicates) {
  TStringList l;
  l.SetSorted(true);
  for (const char* s : {"Zürich", "bern", "Basel", "\xC4gypten", "Aarau", "basel"}) l.Add(s);
  // Case ignored and umlauts with their base letter; dupIgnore dropped "basel".
  EXPECT_EQ(Join(l), "Aarau|\xC4gypten|Basel|bern|Zürich");
  int i = -1;
  EXPECT_TRUE(l.Find("BERN", i));
  EXPECT_EQ(i, 3);
  EXPECT_FALSE(l.Find("Chur", i));
  EXPECT_EQ(i, 4);
  EXPECT_EQ(l.IndexOf("aarau"), 0);
  EXPECT_EQ(l.Add("Genf"), 4);
  EXPECT_THROW(l.Insert(0, "x"), EStringListError);
  EXPECT_THROW(l.Put(0, "x"), EStringListError);
  EXPECT_THROW(l.Move(0, 1), EStringListError);
  l.SetDuplicates(dupError);
  EXPECT_THROW(l.Add("genf"), EStringListError);
  EXPECT_EQ(l.Count(), 6);
  l.SetDuplicates(dupAccept);
  l.Add("GENF");
  l.Add("genf");
  EXPECT_TRUE(l.Find("Genf", i));
  EXPECT_EQ(i, 4);  // the first of equal entries
  EXPECT_EQ(l.Count(), 8);
  // Turning Sorted on sorts an unsorted list.
  TStringList u;
  u.SetCommaText("c,a,b");
  u.SetSorted(true);
  EXPECT_EQ(Join(u), "a|b|c");
  u.SetSorted(false);
  u.Insert(0, "z");
  EXPECT_EQ(Join(u), "z|a|b|c");
  u.CustomSort([](const TStringList* s, int x, int y) {
    return static_cast<int>(s->Get(y)[0]) - static_cast<int>(s->Get(x)[0]);
  });
  EXPECT_EQ(Join(u), "z|c|b|a");
}

TEST(TStringListTest, CommaTextQuotingBothWays) {
  TStringList l;
  l.Add("einfach");
  l.Add("mit Leerzeichen");
  l.Add("Komma,drin");
  l.Add("Zitat \"x\"");
  l.Add("");
  l.Add("tab\there");
  EXPECT_EQ(l.CommaText(), "einfach,\"mit Leerzeichen\",\"Komma,drin\",\"Zitat \"\"x\"\"\",,\"tab\there\"");
  TStringList back;
  back.SetCommaText(l.CommaText());
  EXPECT_TRUE(back.Equals(&l));
  // Blanks separate like commas outside quotes; a trailing comma adds nothing.
  back.SetCommaText("  a b,  \"c d\" ,e,");
  EXPECT_EQ(Join(back), "a|b|c d|e");
  back.SetCommaText(",x");
  EXPECT_EQ(Join(back), "|x");
  back.SetCommaText("\"offen");  // unclosed quote: the rest
  EXPECT_EQ(Join(back), "offen");
  back.SetCommaText("");
  EXPECT_EQ(back.Count(), 0);
  TStringList one;
  one.Add("");
  EXPECT_EQ(one.CommaText(), "\"\"");
  back.SetCommaText(one.CommaText());
  EXPECT_EQ(back.Count(), 1);
}

TEST(TStringListTest, TextFilesAndStreams) {
  TempDir dir;
  TStringList l;
  l.SetText("eins\r\nzwei\ndrei\rvier\r\n\r\nsechs");
  EXPECT_EQ(Join(l), "eins|zwei|drei|vier||sechs");
  EXPECT_EQ(l.Text(), "eins\r\nzwei\r\ndrei\r\nvier\r\n\r\nsechs\r\n");
  l.SetText("");
  EXPECT_EQ(l.Count(), 0);
  l.SetText(std::string("a\0b\r\n", 5));  // a NUL byte is kept, not an end
  EXPECT_EQ(l.Get(0), std::string("a\0b", 3));
  l.SetText("M\xE4rz\r\n\x86 1900");
  l.SaveToFile(dir / "l.txt");
  std::ifstream f(dir / "l.txt", std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  EXPECT_EQ(ss.str(), "M\xE4rz\r\n\x86 1900\r\n");  // Windows-1252 bytes, CR LF
  TStringList back;
  back.LoadFromFile(dir / "l.txt");
  EXPECT_TRUE(back.Equals(&l));
  EXPECT_THROW(back.LoadFromFile(dir / "fehlt.txt"), EFOpenError);
  EXPECT_EQ(back.Count(), 2);  // unchanged after the failure
  TStringStream s("kopf\r\nx\r\ny");
  s.SetPosition(6);  // loads from the position on
  back.LoadFromStream(&s);
  EXPECT_EQ(Join(back), "x|y");
}

TEST(TStringListTest, ChangeEventsAndUpdates) {
  TStringList l;
  int changing = 0, changed = 0;
  l.OnChanging = [&](TObject* sender) {
    EXPECT_EQ(sender, &l);
    ++changing;
  };
  l.OnChange = [&](TObject*) { ++changed; };
  l.Add("a");
  l.Add("b");
  EXPECT_EQ(changing, 2);
  EXPECT_EQ(changed, 2);
  l.BeginUpdate();
  l.BeginUpdate();
  l.Add("c");
  l.Delete(0);
  l.EndUpdate();
  EXPECT_EQ(changed, 2);
  l.EndUpdate();
  EXPECT_EQ(changing, 3);  // one pair for the whole update
  EXPECT_EQ(changed, 3);
  l.EndUpdate();  // unbalanced end is ignored
  EXPECT_EQ(changed, 3);
  l.SetCommaText("x,y,z");
  EXPECT_EQ(changed, 4);
  EXPECT_THROW(l.Delete(3), EStringListError);
  EXPECT_THROW(l.Get(-1), EStringListError);
  EXPECT_EQ(changed, 4);
}

TEST(TStringListTest, AssignObjectsAndMoves) {
  TStringList a, b;
  TObject o1, o2;
  a.AddObject("eins", &o1);
  a.AddObject("zwei", &o2);
  a.Add("drei");
  b.Add("alt");
  b.Assign(&a);
  EXPECT_EQ(Join(b), "eins|zwei|drei");
  EXPECT_EQ(b.Objects(1), &o2);
  EXPECT_EQ(b.IndexOfObject(&o1), 0);
  b.Move(0, 2);
  EXPECT_EQ(Join(b), "zwei|drei|eins");
  EXPECT_EQ(b.Objects(2), &o1);
  b.Exchange(0, 1);
  EXPECT_EQ(b.Objects(1), &o2);
  b.AddStrings(&a);
  EXPECT_EQ(b.Count(), 6);
  b.Assign(&b);  // self-assignment keeps the list
  EXPECT_EQ(b.Count(), 6);
  EXPECT_THROW(b.Assign(nullptr), EConvertError);
}

namespace {
class TListHolder : public TComponent {
  ORV_CLASS_PUBLISHED(TListHolder, TComponent)
  using TComponent::TComponent;
  TStrings* Masks() const { return const_cast<TStringList*>(&masks_); }
  void SetMasks(TStrings* v) { masks_.Assign(v); }  // assigning copies the list
  TList* Raw() const { return const_cast<TList*>(&raw_); }

private:
  TStringList masks_;
  TList raw_;
};
void TListHolder::PublishProperties(TClassInfo& ci) {
  PublishObject<TListHolder, TStrings>(ci, "PictureMasks", &TListHolder::Masks, &TListHolder::SetMasks);
  PublishObject<TListHolder, TList>(ci, "Raw", &TListHolder::Raw, nullptr);
}
}  // namespace

TEST(TStringListTest, PublishedStringListProperty) {
  TListHolder h(nullptr);
  TStringList given;
  given.Add("EIGE_ZEIT\t[#]#:##");
  EXPECT_TRUE(SetObjectProp(&h, "picturemasks", &given));
  TStrings* got = GetStringsProp(&h, "PictureMasks");
  ASSERT_NE(got, nullptr);
  EXPECT_NE(got, &given);
  EXPECT_TRUE(got->Equals(&given));
  EXPECT_NE(GetObjectProp(&h, "Raw"), nullptr);
  EXPECT_EQ(GetStringsProp(&h, "Raw"), nullptr);  // an object, but no string list
  EXPECT_EQ(GetStringsProp(&h, "ControlType"), nullptr);
  TList notStrings;
  EXPECT_FALSE(SetObjectProp(&h, "PictureMasks", &notStrings));
  EXPECT_EQ(got->Count(), 1);
}
