// TUserData: the ordered key/value text pairs a host attaches to a shape. The component never
// interprets them; it keeps, copies, saves and loads them with the shape and its library entry.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace cad {

class TStream;

struct TUserDataRecord {
  QString Key;
  QString Value;
  friend bool operator==(const TUserDataRecord&, const TUserDataRecord&) = default;
};

using TArrUserDataRecord = std::vector<TUserDataRecord>;

// Keys compare exactly and case-sensitively. AddKeyandValue keeps keys unique; ReNameKey and
// SetUserDataRecord do not check, and with a key present twice every by-key operation acts on
// the first record that has it.
class TUserData {
public:
  TUserData() = default;

  bool AddKeyandValue(const QString& Key, const QString& Value);
  bool ChangeValueByKey(const QString& Key, const QString& Value);
  bool DeleteRecordByKey(const QString& Key);
  bool ReNameKey(const QString& OldKey, const QString& NewKey);
  QString GetValueByKey(const QString& Key) const;
  QString GetKeyByNo(int32_t No) const;
  int32_t GetCount() const { return static_cast<int32_t>(Records.size()); }
  void ClearAll() { Records.clear(); }
  void Assign(const TUserData* Source);
  void SetUserDataRecord(const TArrUserDataRecord& Source) { Records = Source; }

  // The stream block: a signed 32-bit count, then per record the key and the value as
  // length-prefixed texts. Writing keeps the records' order, duplicates included.
  void WriteToStream(TStream& Stream) const;
  // Adds every pair read through AddKeyandValue, to the list as it is (a key already present,
  // or repeated in the stream, keeps its first value). Throws EReadError when the stream ends
  // early or the count is impossible; nothing is allocated for a count the stream cannot hold.
  void ReadFromStream(TStream& Stream);

  TArrUserDataRecord Records;

private:
  // Index of the first record with the key, or -1.
  int32_t IndexOfKey(const QString& Key) const;
};

}  // namespace cad
