#include "../core/bytes.h"
#include "../support.h"

using namespace cad;
using testing_support::Bytes;

TEST(UserData, KeyedOperationsActOnTheFirstMatch) {
  TUserData u;
  EXPECT_TRUE(u.AddKeyandValue("a", "1"));
  EXPECT_FALSE(u.AddKeyandValue("a", "2"));
  EXPECT_EQ(u.GetCount(), 1);
  EXPECT_EQ(u.GetValueByKey("a"), "1");
  EXPECT_TRUE(u.AddKeyandValue("b", "2"));
  EXPECT_TRUE(u.AddKeyandValue("c", "3"));
  EXPECT_TRUE(u.AddKeyandValue("A", "upper"));  // keys are case-sensitive
  EXPECT_TRUE(u.DeleteRecordByKey("b"));
  EXPECT_FALSE(u.DeleteRecordByKey("b"));
  EXPECT_EQ(u.GetKeyByNo(0), "a");
  EXPECT_EQ(u.GetKeyByNo(1), "c");
  EXPECT_EQ(u.GetKeyByNo(-1), QString());
  EXPECT_EQ(u.GetKeyByNo(u.GetCount()), QString());
  EXPECT_EQ(u.GetValueByKey("missing"), QString());
  EXPECT_FALSE(u.ChangeValueByKey("missing", "x"));
  EXPECT_FALSE(u.ReNameKey("missing", "x"));

  // Renaming does not check for duplicates; by-key operations then use the first record.
  EXPECT_TRUE(u.ReNameKey("c", "a"));
  EXPECT_EQ(u.GetValueByKey("a"), "1");
  EXPECT_TRUE(u.ChangeValueByKey("a", "first"));
  EXPECT_EQ(u.Records[0].Value, "first");
  EXPECT_EQ(u.Records[1].Value, "3");

  TUserData copy;
  copy.AddKeyandValue("old", "gone");
  copy.Assign(&u);
  EXPECT_EQ(copy.Records, u.Records);
  copy.Assign(&copy);
  EXPECT_EQ(copy.Records, u.Records);
  copy.SetUserDataRecord({{"x", "1"}, {"x", "2"}});
  EXPECT_EQ(copy.GetCount(), 2);
  copy.ClearAll();
  EXPECT_EQ(copy.GetCount(), 0);
}

TEST(UserData, StreamBlock) {
  TUserData u;
  u.AddKeyandValue("k", "v");
  TMemoryStream m;
  u.WriteToStream(m);
  EXPECT_EQ(m.Data(), Bytes().i32(1).str("k").str("v").Data);
  EXPECT_EQ(m.Size(), 14);

  TMemoryStream e;
  TUserData().WriteToStream(e);
  EXPECT_EQ(e.Data(), Bytes().i32(0).Data);

  // Reading adds to the list as it is; a key already present, or repeated, keeps its first value.
  TMemoryStream in(Bytes().i32(3).str("k").str("new").str("x").str("1").str("x").str("2").i32(77).Data);
  u.ReadFromStream(in);
  EXPECT_EQ(u.Records, (TArrUserDataRecord{{"k", "v"}, {"x", "1"}}));
  EXPECT_EQ(in.ReadLE<int32_t>(), 77);

  // Duplicates in the list are written as they are; long keys and values survive whole.
  TUserData d;
  d.SetUserDataRecord({{"dup", "1"}, {"dup", "2"}, {QString(400, 'k'), QString(300, 'v')}});
  TMemoryStream dm;
  d.WriteToStream(dm);
  dm.SetPosition(0);
  TUserData back;
  back.ReadFromStream(dm);
  EXPECT_EQ(back.Records, (TArrUserDataRecord{{"dup", "1"}, {QString(400, 'k'), QString(300, 'v')}}));

  // Counts the stream cannot hold fail before anything is allocated for them.
  for (const QByteArray& bad : {Bytes().i32(-1).Data, Bytes().i32(0x7FFFFFFF).str("k").str("v").Data,
                                Bytes().i32(2).str("k").str("v").Data}) {
    TMemoryStream s(bad);
    TUserData t;
    EXPECT_THROW(t.ReadFromStream(s), EReadError);
  }
}

TEST(UserData, LargeBlocksKeepTheFirstValueOfEachKey) {
  // 65,536 distinct keys, then each tenth one again with another value, onto a list that
  // already holds one of them: every key once, with its first value, in first-seen order.
  constexpr int kKeys = 65536;
  TUserData u;
  u.AddKeyandValue(QStringLiteral("key100"), QStringLiteral("present"));
  Bytes b;
  b.i32(kKeys + (kKeys + 9) / 10);
  for (int i = 0; i < kKeys; ++i) b.str(qPrintable(QStringLiteral("key%1").arg(i))).str(qPrintable(QString::number(i)));
  for (int i = 0; i < kKeys; i += 10) b.str(qPrintable(QStringLiteral("key%1").arg(i))).str("late");
  TMemoryStream m(b.Data);
  u.ReadFromStream(m);
  EXPECT_EQ(m.Remaining(), 0);
  ASSERT_EQ(u.GetCount(), kKeys);
  EXPECT_EQ(u.GetValueByKey(QStringLiteral("key100")), QStringLiteral("present"));
  EXPECT_EQ(u.GetValueByKey(QStringLiteral("key0")), QStringLiteral("0"));
  EXPECT_EQ(u.GetValueByKey(QStringLiteral("key65530")), QStringLiteral("65530"));
  EXPECT_EQ(u.GetKeyByNo(1), QStringLiteral("key0"));
  EXPECT_EQ(u.GetKeyByNo(kKeys - 1), QStringLiteral("key65535"));
}

TEST(UserData, ShapeOwnsAndCopiesIt) {
  TMyCAD cad;
  TMyShape a(&cad), b(&cad);
  ASSERT_NE(a.UserData(), nullptr);
  a.UserData()->AddKeyandValue("id", "42");
  b.UserData()->AddKeyandValue("stale", "x");
  b.Assign(&a);
  EXPECT_EQ(b.UserData()->Records, a.UserData()->Records);
  EXPECT_NE(b.UserData(), a.UserData());
  TMyShape c(&cad);
  c.AssignWithoutRelation(&a);
  EXPECT_EQ(c.UserData()->GetValueByKey("id"), "42");

  auto own = std::make_unique<TUserData>();
  own->AddKeyandValue("given", "1");
  TUserData* raw = own.get();
  a.SetUserData(std::move(own));
  EXPECT_EQ(a.UserData(), raw);
  a.SetUserData(nullptr);
  ASSERT_NE(a.UserData(), nullptr);
  EXPECT_EQ(a.UserData()->GetCount(), 0);
}
