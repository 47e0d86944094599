#include "userdata.h"

#include "../core/streamprims.h"
#include "../gfx/streams.h"

#include <QSet>

namespace cad {

int32_t TUserData::IndexOfKey(const QString& Key) const {
  for (size_t i = 0; i < Records.size(); ++i)
    if (Records[i].Key == Key) return static_cast<int32_t>(i);
  return -1;
}

bool TUserData::AddKeyandValue(const QString& Key, const QString& Value) {
  if (IndexOfKey(Key) >= 0) return false;
  Records.push_back(TUserDataRecord{Key, Value});
  return true;
}

bool TUserData::ChangeValueByKey(const QString& Key, const QString& Value) {
  const int32_t i = IndexOfKey(Key);
  if (i < 0) return false;
  Records[static_cast<size_t>(i)].Value = Value;
  return true;
}

bool TUserData::DeleteRecordByKey(const QString& Key) {
  const int32_t i = IndexOfKey(Key);
  if (i < 0) return false;
  Records.erase(Records.begin() + i);
  return true;
}

bool TUserData::ReNameKey(const QString& OldKey, const QString& NewKey) {
  const int32_t i = IndexOfKey(OldKey);
  if (i < 0) return false;
  Records[static_cast<size_t>(i)].Key = NewKey;
  return true;
}

QString TUserData::GetValueByKey(const QString& Key) const {
  const int32_t i = IndexOfKey(Key);
  return i < 0 ? QString() : Records[static_cast<size_t>(i)].Value;
}

QString TUserData::GetKeyByNo(int32_t No) const {
  if (No < 0 || No >= GetCount()) return QString();
  return Records[static_cast<size_t>(No)].Key;
}

void TUserData::Assign(const TUserData* Source) {
  if (!Source || Source == this) return;
  Records = Source->Records;
}

void TUserData::WriteToStream(TStream& Stream) const {
  Stream.WriteLE<int32_t>(GetCount());
  for (const TUserDataRecord& r : Records) {
    WriteStreamText(Stream, r.Key);
    WriteStreamText(Stream, r.Value);
  }
}

void TUserData::ReadFromStream(TStream& Stream) {
  const int32_t count = Stream.ReadLE<int32_t>();
  // Every pair takes at least its two 4-byte lengths.
  if (count < 0 || static_cast<int64_t>(count) * 8 > Stream.Remaining()) throw EReadError("Invalid user data count");
  // The same as AddKeyandValue for each pair, with the keys seen so far in a hash set: a block
  // of many keys loads in linear time.
  QSet<QString> keys;
  keys.reserve(static_cast<qsizetype>(Records.size()));
  for (const TUserDataRecord& r : Records) keys.insert(r.Key);
  for (int32_t i = 0; i < count; ++i) {
    QString key = ReadStreamText(Stream);
    QString value = ReadStreamText(Stream);
    if (keys.contains(key)) continue;
    keys.insert(key);
    Records.push_back(TUserDataRecord{std::move(key), std::move(value)});
  }
}

}  // namespace cad
