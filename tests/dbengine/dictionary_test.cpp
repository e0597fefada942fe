// Data dictionary: stored lengths, key lengths, the user tables' record
// sizes, the error numbers, and the record-buffer helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dbengine/dictionary.h"
#include "tests/dbengine/test_util.h"

namespace {

int ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EffException& e) {
    EXPECT_FALSE(e.Message().empty());
    return e.ErrorCode();
  }
  return -1;
}

TEST(Dictionary, StoredLengthsByType) {
  const std::pair<int, int> cases[] = {{0, 1}, {3, 1}, {4, 2}, {8, 4}, {16, 4}, {17, 8},
                                       {19, 4}, {23, 4}, {7, 2}, {11, 8}, {15, 4}};
  for (auto [type, len] : cases) {
    TffDataDictionary d(8192);
    d.AddField("F", "", type, 0, 0, false);
    EXPECT_EQ(d.Field(0).Length, len) << "type " << type;
  }
  TffDataDictionary d(8192);
  d.AddField("S", "", 47, 30, 0, false);
  d.AddField("T", "", 8, 0, 0, false);
  EXPECT_EQ(d.Field(0).Length, 31);
  EXPECT_EQ(d.Field(1).Offset, 31);
  EXPECT_EQ(d.FieldsLength(), 35);
  EXPECT_EQ(d.RecordLength(), 36);  // one null-flag byte for two fields
}

TEST(Dictionary, UserTablesRecordAndKeyLengths) {
  TffDataDictionary d(8192);
  dbtest::SelcodeDict(d);
  EXPECT_EQ(d.FieldsLength(), 35);
  EXPECT_EQ(d.Index(0).KeyLength, 4 + 1);
  dbtest::EigeselcDict(d);
  EXPECT_EQ(d.FieldsLength(), 8);
  EXPECT_EQ(d.Index(0).KeyLength, 4 + 4 + 1);
  dbtest::TermineDict(d);
  EXPECT_EQ(d.FieldsLength(), 22);
  EXPECT_EQ(d.Index(0).KeyLength, 2 + 8 + 4 + 1);
  dbtest::LayoutDict(d);
  EXPECT_EQ(d.FieldsLength(), 71);
  EXPECT_EQ(d.Index(1).KeyLength, 61 + 4 + 1);
  dbtest::EigenesDict(d);
  EXPECT_EQ(d.FieldsLength(), 183);
  EXPECT_EQ(d.FieldCount(), 21);
  EXPECT_EQ(d.RecordLength(), 183 + 3);
  EXPECT_EQ(d.Index(1).KeyLength, 1 + 8 + 4 + 1);           // XEIGE_DATUM
  EXPECT_EQ(d.Index(3).KeyLength, 1 + 31 + 31 + 4 + 1);     // XEIGE_NAME
  EXPECT_EQ(d.IndexNumber("xeige_mtj"), 2);
  EXPECT_FALSE(d.Index(2).Ascending);
  EXPECT_TRUE(d.Index(2).AllowDups);
}

TEST(Dictionary, KeyLengthAddsOneNullByteForEveryEightFields) {
  TffDataDictionary d(8192);
  for (int i = 0; i < 9; ++i) d.AddField("F" + std::to_string(i), "", 3, 0, 0, false);
  d.AddIndex("I8", "", 0, {0, 1, 2, 3, 4, 5, 6, 7}, true, true, false);
  d.AddIndex("I9", "", 0, {0, 1, 2, 3, 4, 5, 6, 7, 8}, true, true, false);
  EXPECT_EQ(d.Index(0).KeyLength, 9);
  EXPECT_EQ(d.Index(1).KeyLength, 11);
}

TEST(Dictionary, ErrorNumbers) {
  TffDataDictionary d(8192);
  d.AddField("A", "", 8, 0, 0, false);
  EXPECT_EQ(ErrorOf([&] { d.AddField("a", "", 8, 0, 0, false); }), 117);
  EXPECT_EQ(ErrorOf([&] { d.AddField("B", "", 99, 0, 0, false); }), 101);
  EXPECT_EQ(ErrorOf([&] { d.AddField("B", "", 47, 0, 0, false); }), 101);
  d.AddIndex("X", "", 0, {0}, false, true, false);
  EXPECT_EQ(ErrorOf([&] { d.AddIndex("x", "", 0, {0}, false, true, false); }), 118);
  EXPECT_EQ(ErrorOf([&] { d.AddIndex("Y", "", 1, {0}, false, true, false); }), 108);
  EXPECT_EQ(ErrorOf([&] { d.AddIndex("Y", "", 0, {1}, false, true, false); }), 100);
  EXPECT_EQ(ErrorOf([&] { d.AddIndex("Y", "", 0, {-1}, false, true, false); }), 100);
  EXPECT_EQ(d.IndexCount(), 1);
  EXPECT_EQ(d.FieldCount(), 1);
  d.Lock();
  EXPECT_EQ(ErrorOf([&] { d.Clear(); }), 104);
  EXPECT_EQ(d.FieldCount(), 1);
  EXPECT_THROW(TffDataDictionary(5000), EffException);
}

TEST(Dictionary, StoredFormRoundTripsAndRejectsDamage) {
  TffDataDictionary d(16384);
  dbtest::EigenesDict(d);
  std::string s = d.Serialize();
  TffDataDictionary e = TffDataDictionary::Deserialize(s.data(), s.size());
  EXPECT_EQ(e.BlockSize(), 16384);
  EXPECT_EQ(e.Serialize(), s);
  EXPECT_EQ(e.Index(3).Fields, (std::vector<int>{1, 6, 5, 0}));
  // Any truncation is refused as damage, never read past the end.
  for (size_t n = 0; n < s.size(); n += 7)
    EXPECT_THROW(TffDataDictionary::Deserialize(s.data(), n), EffException) << n;
}

TEST(RecordBuffer, FieldsAndNullFlags) {
  TffDataDictionary d(8192);
  dbtest::EigenesDict(d);
  std::vector<uint8_t> rec(static_cast<size_t>(d.RecordLength()), 0xAB);
  FFInitRecord(d, rec.data());
  for (int i = 0; i < d.FieldCount(); ++i) EXPECT_TRUE(FFIsFieldNull(d, rec.data(), i));
  FFSetFieldInt(d, rec.data(), 0, -5);
  FFSetFieldInt(d, rec.data(), 1, 300);  // unsigned 8-bit wraps
  FFSetFieldString(d, rec.data(), 5, std::string(40, 'x'));
  FFSetFieldFloat(d, rec.data(), 2, 1234.5);
  EXPECT_EQ(FFGetFieldInt(d, rec.data(), 0), -5);
  EXPECT_EQ(FFGetFieldInt(d, rec.data(), 1), 44);
  EXPECT_EQ(FFGetFieldString(d, rec.data(), 5), std::string(30, 'x'));
  EXPECT_DOUBLE_EQ(FFGetFieldFloat(d, rec.data(), 2), 1234.5);
  EXPECT_FALSE(FFIsFieldNull(d, rec.data(), 5));
  EXPECT_TRUE(FFIsFieldNull(d, rec.data(), 6));
  FFSetFieldNull(d, rec.data(), 5, true);
  EXPECT_EQ(FFGetFieldString(d, rec.data(), 5), "");
  EXPECT_THROW(FFGetFieldString(d, rec.data(), 0), EffException);
  try {
    FFGetFieldInt(d, rec.data(), 21);
    FAIL();
  } catch (const EffException& e) {
    EXPECT_EQ(e.ResultCode(), rcNoSuchField);
  }
}

TEST(DateTime, EngineDayNumbersAndMilliseconds) {
  EXPECT_EQ(DateTimeToFFDate(0.0), 693594);
  EXPECT_EQ(DateTimeToFFDate(36526.75), 693594 + 36526);  // 1.1.2000 18:00
  EXPECT_DOUBLE_EQ(FFDateToDateTime(693594 + 36526), 36526.0);
  EXPECT_EQ(DateTimeToFFTime(0.5), 43200000);
  EXPECT_EQ(DateTimeToFFTime(36526 + 7.5 / 24), 27000000);  // 07:30:00
  EXPECT_DOUBLE_EQ(FFTimeToDateTime(43200000), 0.5);
  for (double dt : {0.0, 36526.25, -1.25, -700.5, 2958465.999}) {
    double back = FFDateTimeToDateTime(DateTimeToFFDateTime(dt));
    EXPECT_NEAR(back, dt, 1e-7) << dt;
  }
  // Date-times order like the instants they stand for, also before 1899.
  EXPECT_GT(DateTimeToFFDateTime(-1.25), DateTimeToFFDateTime(-1.0));  // 06:00 after 00:00
  EXPECT_LT(DateTimeToFFDateTime(-2.0), DateTimeToFFDateTime(-1.25));
}

TEST(ResultCodes, TextsForQuotedCodes) {
  for (TffResult c : {rcEndOfBlob, rcNoConfigPath, rcNoSuchField, rcNotClientSession, rcNoSuchTable,
                      rcNotSupported, rcKeyViolation, rcTableExists, rcFileDamaged, rcDiskFull})
    EXPECT_EQ(ResultCodeText(c).find("Unknown"), std::string::npos) << c;
  EXPECT_EQ(rcEndOfBlob, 8711);
  EXPECT_EQ(rcNoConfigPath, 8712);
  EXPECT_EQ(rcNoSuchField, 9985);
  EXPECT_EQ(rcNotClientSession, 9990);
  EXPECT_EQ(rcNoSuchTable, 10024);
  EXPECT_EQ(rcNotSupported, 12289);
  EXPECT_NE(ResultCodeText(1).find("Unknown"), std::string::npos);
}

}  // namespace
