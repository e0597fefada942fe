// Class-name chain, published properties by name, owner trees and free
// notifications of components.
#include "platform/rtl/components.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string>* gLog = nullptr;

// A component that records what it is told and holds a pointer to a peer.
class TProbe : public TComponent {
  ORV_CLASS(TProbe, TComponent)
  explicit TProbe(TComponent* owner, const char* name = "") : TComponent(owner) { SetName(name); }
  ~TProbe() override {
    if (gLog) gLog->push_back("free " + Name());
  }
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == opRemove && c == peer) peer = nullptr;
    if (gLog) gLog->push_back(Name() + (op == opInsert ? " +" : " -") + c->Name());
  }
  void Loaded() override {
    TComponent::Loaded();
    if (gLog) gLog->push_back("loaded " + Name());
  }
  TComponent* peer = nullptr;
};

class TWidget : public TComponent {
  ORV_CLASS_PUBLISHED(TWidget, TComponent)
  using TComponent::TComponent;
  AnsiString Caption() const { return caption_; }
  void SetCaption(const AnsiString& v) { caption_ = v; }
  int Width() const { return width_; }
  void SetWidth(int v) { width_ = v; }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { visible_ = v; }
  unsigned Options() const { return options_; }
  void SetOptions(unsigned v) { options_ = v; }
  TProbe* Buddy() const { return buddy_; }
  void SetBuddy(TProbe* b) { buddy_ = b; }
  int ReadOnlyCount() const { return 7; }
  std::function<void(int)> OnClick;

private:
  AnsiString caption_;
  int width_ = 0;
  bool visible_ = true;
  unsigned options_ = 0;
  TProbe* buddy_ = nullptr;
};

void TWidget::PublishProperties(TClassInfo& ci) {
  PublishString<TWidget>(ci, "Caption", &TWidget::Caption, &TWidget::SetCaption);
  PublishInteger<TWidget>(ci, "Width", &TWidget::Width, &TWidget::SetWidth);
  PublishBool<TWidget>(ci, "Visible", &TWidget::Visible, &TWidget::SetVisible);
  PublishSet<TWidget>(ci, "Options", &TWidget::Options, &TWidget::SetOptions);
  PublishObject<TWidget, TProbe>(ci, "Buddy", &TWidget::Buddy, &TWidget::SetBuddy);
  PublishInteger<TWidget>(ci, "ReadOnlyCount", &TWidget::ReadOnlyCount, nullptr);
  PublishEvent<TWidget>(ci, "OnClick", &TWidget::OnClick);
}

class TSubWidget : public TWidget {
  ORV_CLASS(TSubWidget, TWidget)
  using TWidget::TWidget;
};

class TColorPair : public TPersistent {
  ORV_CLASS(TColorPair, TPersistent)
  int fore = 0, back = 0;
  void Assign(const TPersistent* src) override {
    if (auto* p = dynamic_cast<const TColorPair*>(src)) {
      fore = p->fore;
      back = p->back;
      return;
    }
    TPersistent::Assign(src);
  }
};

struct LogScope {
  std::vector<std::string> log;
  LogScope() { gLog = &log; }
  ~LogScope() { gLog = nullptr; }
};

}  // namespace

TEST(Components, ClassNameChain) {
  TSubWidget w(nullptr);
  EXPECT_STREQ(w.ClassName(), "TSubWidget");
  EXPECT_TRUE(w.ClassNameIs("tsubwidget"));
  EXPECT_TRUE(w.InheritsFromName("TWIDGET"));
  EXPECT_TRUE(w.InheritsFromName("TComponent"));
  EXPECT_TRUE(w.InheritsFromName("TObject"));
  EXPECT_FALSE(w.InheritsFromName("TProbe"));
  EXPECT_TRUE(w.InheritsFrom(TPersistent::StaticClassInfo()));
  EXPECT_FALSE(w.InheritsFrom(TProbe::StaticClassInfo()));
  EXPECT_STREQ(TSubWidget::StaticClassInfo().Parent()->Name(), "TWidget");
}

TEST(Components, PublishedPropertiesByName) {
  TSubWidget w(nullptr);
  TProbe buddy(nullptr, "B");
  TWidget other(nullptr);
  // Inherited through the chain, names in any letter case.
  EXPECT_TRUE(IsPublishedProp(&w, "caption"));
  EXPECT_TRUE(IsPublishedProp(&w, "NAME"));
  EXPECT_FALSE(IsPublishedProp(&w, "Height"));
  EXPECT_TRUE(SetStrProp(&w, "Caption", "Hallo"));
  EXPECT_EQ(w.Caption(), "Hallo");
  EXPECT_EQ(GetStrProp(&w, "CAPTION"), "Hallo");
  EXPECT_TRUE(SetOrdProp(&w, "Width", 120));
  EXPECT_EQ(GetOrdProp(&w, "width"), 120);
  EXPECT_TRUE(SetOrdProp(&w, "Visible", 5));
  EXPECT_TRUE(w.Visible());
  EXPECT_TRUE(SetOrdProp(&w, "Visible", 0));
  EXPECT_FALSE(w.Visible());
  EXPECT_TRUE(SetOrdProp(&w, "Options", 0b101));
  EXPECT_EQ(w.Options(), 0b101u);
  EXPECT_EQ(GetPropInfo(&w, "Options")->Kind, TTypeKind::tkSet);
  EXPECT_TRUE(SetStrProp(&w, "Name", "Knopf"));
  EXPECT_EQ(w.Name(), "Knopf");
  // Object properties accept only their declared class.
  EXPECT_TRUE(SetObjectProp(&w, "Buddy", &buddy));
  EXPECT_EQ(GetObjectProp(&w, "Buddy"), &buddy);
  EXPECT_FALSE(SetObjectProp(&w, "Buddy", &other));
  EXPECT_EQ(w.Buddy(), &buddy);
  EXPECT_TRUE(SetObjectProp(&w, "Buddy", nullptr));
  EXPECT_EQ(w.Buddy(), nullptr);
  EXPECT_EQ(GetPropInfo(&w, "Buddy")->PropClass, &TProbe::StaticClassInfo());
  // Events.
  int clicked = 0;
  EXPECT_TRUE(SetMethodProp(&w, "OnClick", std::function<void(int)>([&](int v) { clicked = v; })));
  GetEventProp<std::function<void(int)>>(&w, "OnClick")(42);
  EXPECT_EQ(clicked, 42);
  EXPECT_FALSE(SetMethodProp(&w, "OnClick", std::function<void()>()));
  EXPECT_FALSE(GetEventProp<std::function<void()>>(&w, "OnClick"));
  // Missing, read-only and wrong-kind properties answer empty, never raise.
  EXPECT_EQ(GetStrProp(&w, "Nope"), "");
  EXPECT_EQ(GetOrdProp(&w, "Nope"), 0);
  EXPECT_EQ(GetObjectProp(&w, "Nope"), nullptr);
  EXPECT_FALSE(GetMethodProp(&w, "Nope").has_value());
  EXPECT_FALSE(SetStrProp(&w, "Nope", "x"));
  EXPECT_FALSE(SetOrdProp(&w, "ReadOnlyCount", 1));
  EXPECT_EQ(GetOrdProp(&w, "ReadOnlyCount"), 7);
  EXPECT_FALSE(SetStrProp(&w, "Width", "9"));
  EXPECT_EQ(GetPropInfo(&w, "Width", TTypeKind::tkString), nullptr);
  EXPECT_EQ(GetStrProp(nullptr, "Caption"), "");
  std::vector<std::string> names;
  for (const TPropInfo* p : GetPropList(&w)) names.push_back(p->Name);
  ASSERT_EQ(names.size(), 9u);
  EXPECT_EQ(names[0], "Name");
  EXPECT_EQ(names[8], "OnClick");
}

TEST(Components, AssignRaisesForUnrelatedClasses) {
  TColorPair a, b;
  b.fore = 3;
  b.back = 4;
  a.Assign(&b);
  EXPECT_EQ(a.fore * 10 + a.back, 34);
  TWidget w(nullptr);
  try {
    a.Assign(&w);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TWidget to a TColorPair");
  }
  EXPECT_THROW(a.Assign(nullptr), EConvertError);
}

TEST(Components, OwnerTreeFreesAndFinds) {
  LogScope ls;
  auto* form = new TProbe(nullptr, "Form");
  auto* a = new TProbe(form, "A");
  new TProbe(form, "B");
  auto* c = new TProbe(a, "C");
  EXPECT_EQ(form->ComponentCount(), 2);
  EXPECT_EQ(form->FindComponent("b")->Name(), "B");
  EXPECT_EQ(form->FindComponent("C"), nullptr);  // only direct components
  EXPECT_EQ(a->FindComponent("c"), c);
  EXPECT_EQ(form->FindComponent(""), nullptr);
  EXPECT_EQ(form->Components(1)->ComponentIndex(), 1);
  EXPECT_THROW(form->Components(2), EListError);
  EXPECT_THROW(new TProbe(form, "a"), EComponentError);  // names unique, case ignored
  EXPECT_EQ(form->ComponentCount(), 2);
  EXPECT_THROW(form->Components(0)->SetName("1x"), EComponentError);
  EXPECT_THROW(a->SetName("b"), EComponentError);
  EXPECT_NO_THROW(a->SetName("a"));  // a new case of its own name
  ls.log.clear();
  form->Free();
  // Reverse order of insertion, the owned tree below each, and every removal
  // announced to the owner and the siblings still alive.
  // (Each probe passes the notification on before it logs it.)
  std::vector<std::string> expect = {"B -B",   "C -B", "a -B",    "Form -B", "free B",
                                     "C -C",   "a -C", "free C",  "a -a",    "Form -a",
                                     "free a", "free Form"};
  EXPECT_EQ(ls.log, expect);
}

TEST(Components, FreeNotificationClearsPeers) {
  LogScope ls;
  auto* form1 = new TProbe(nullptr, "F1");
  auto* form2 = new TProbe(nullptr, "F2");
  auto* source = new TProbe(form1, "Source");
  auto* user = new TProbe(form2, "User");
  user->peer = source;
  source->FreeNotification(user);
  delete source;  // a plain delete sends the notifications too
  EXPECT_EQ(user->peer, nullptr);
  EXPECT_EQ(form1->ComponentCount(), 0);
  // The link works both ways and is dropped once used.
  auto* s2 = new TProbe(form1, "S2");
  user->peer = s2;
  s2->FreeNotification(user);
  user->Free();
  ls.log.clear();
  s2->Free();
  for (const std::string& line : ls.log) EXPECT_EQ(line.find("User"), std::string::npos) << line;
  // Removing the link stops the notification.
  auto* s3 = new TProbe(form1, "S3");
  auto* u3 = new TProbe(form2, "U3");
  u3->peer = s3;
  s3->FreeNotification(u3);
  s3->RemoveFreeNotification(u3);
  s3->Free();
  EXPECT_EQ(u3->peer, s3);
  form1->Free();
  form2->Free();
}

TEST(Components, LoadingAndDestroyingStates) {
  LogScope ls;
  TProbe form(nullptr, "Form");
  auto* a = new TProbe(&form, "A");
  ls.log.clear();
  form.BeginLoad();
  EXPECT_TRUE(a->HasState(csLoading));
  form.EndLoad();
  EXPECT_FALSE(a->HasState(csLoading));
  EXPECT_FALSE(form.HasState(csLoading));
  EXPECT_EQ(ls.log, (std::vector<std::string>{"loaded Form", "loaded A"}));
  bool sawDestroying = false;
  struct TWatch : TComponent {
    using TComponent::TComponent;
    bool* flag = nullptr;
    void Notification(TComponent* c, TOperation op) override {
      TComponent::Notification(c, op);
      if (op == opRemove && Owner() && Owner()->HasState(csDestroying)) *flag = true;
    }
  };
  auto* w = new TWatch(&form);
  w->flag = &sawDestroying;
  form.DestroyComponents();
  EXPECT_EQ(form.ComponentCount(), 0);
  EXPECT_FALSE(sawDestroying);  // the owner itself lives on
  // Re-parenting moves a component from one owner to another.
  TProbe other(nullptr, "Other");
  auto* m = new TProbe(&form, "M");
  other.InsertComponent(m);
  EXPECT_EQ(m->Owner(), &other);
  EXPECT_EQ(form.ComponentCount(), 0);
  EXPECT_EQ(other.ComponentCount(), 1);
}
