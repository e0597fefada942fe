// Handle table: stale, foreign and forged handles are found as nothing, and
// the live-object counter follows construction and destruction.
#include "dbclient/handles.h"

#include <gtest/gtest.h>

#include <memory>

namespace {
struct Sess : TttObject {
  static constexpr TttObjectKind kKind = TttObjectKind::Session;
  Sess() : TttObject(kKind) {}
};
struct Curs : TttObject {
  static constexpr TttObjectKind kKind = TttObjectKind::Cursor;
  Curs() : TttObject(kKind) {}
};
}  // namespace

TEST(HandleTable, StaleForeignAndForgedHandles) {
  auto& table = TttHandleTable::Instance();
  const int liveBefore = TttObject::LiveCount();
  const int handlesBefore = table.Count();
  auto s = std::make_unique<Sess>();
  TBapiHandle hs = table.Add(s.get());
  EXPECT_NE(hs, 0u);
  EXPECT_EQ(s->Handle(), hs);
  EXPECT_EQ(table.FindAs<Sess>(hs), s.get());
  EXPECT_EQ(table.FindAs<Curs>(hs), nullptr);  // a session is no cursor
  EXPECT_EQ(table.FindAs<Sess>(0), nullptr);
  EXPECT_EQ(table.FindAs<Sess>(hs + 0x10000), nullptr);  // other generation
  EXPECT_EQ(table.FindAs<Sess>(0xFFFF), nullptr);        // slot never used
  EXPECT_EQ(TttObject::LiveCount(), liveBefore + 1);

  s.reset();  // destruction forgets the handle
  EXPECT_EQ(table.FindAs<Sess>(hs), nullptr);
  EXPECT_EQ(TttObject::LiveCount(), liveBefore);

  // The slot is reused under a new generation: the old handle stays dead.
  auto c = std::make_unique<Curs>();
  TBapiHandle hc = table.Add(c.get());
  EXPECT_NE(hc, hs);
  EXPECT_EQ(hc & 0xFFFF, hs & 0xFFFF);
  EXPECT_EQ(table.FindAs<Curs>(hs), nullptr);
  EXPECT_EQ(table.FindAs<Curs>(hc), c.get());
  table.Remove(c.get());
  EXPECT_EQ(c->Handle(), 0u);
  EXPECT_EQ(table.FindAs<Curs>(hc), nullptr);
  c.reset();
  EXPECT_EQ(table.Count(), handlesBefore);
}

TEST(HandleTable, GenerationWrapNeverGivesHandleZero) {
  auto& table = TttHandleTable::Instance();
  TBapiHandle first = 0;
  for (int i = 0; i < 70000; ++i) {
    Curs c;
    TBapiHandle h = table.Add(&c);
    ASSERT_NE(h, 0u);
    if (i == 0) {
      first = h;
    } else if (h == first) {
      ASSERT_EQ(i % 65535, 0) << "generation repeated early";
    }
  }
}
