#include "platform/base/ComponentStream.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "platform/base/NLS.h"

namespace {

// Nesting deeper than this (lists in lists, collections in collections) is taken as bad data
// rather than risking the stack.
constexpr int MaxDepth = 200;

const char Signature[4] = {'T', 'P', 'F', '0'};

[[noreturn]] void InvalidStream() { throw EReadError(u"Invalid stream format"); }

// Counts one level of nesting for as long as it lives.
class TDepthGuard {
 public:
  explicit TDepthGuard(int& depth) : FDepth(depth) {
    if (++FDepth > MaxDepth) {
      --FDepth;
      InvalidStream();
    }
  }
  ~TDepthGuard() { --FDepth; }
  TDepthGuard(const TDepthGuard&) = delete;
  TDepthGuard& operator=(const TDepthGuard&) = delete;

 private:
  int& FDepth;
};

std::string NameToBytes(const UnicodeString& s) { return UnicodeToUtf8(s); }

}  // namespace

// ---- 80-bit extended values -----------------------------------------------------------------

void ExtendedToBytes(long double value, std::uint8_t out[10]) {
  std::uint64_t mantissa = 0;
  unsigned exponent = 0;
  const bool negative = std::signbit(value);
  if (std::isnan(value)) {
    exponent = 0x7FFF;
    mantissa = 0xC000000000000000ull;
  } else if (std::isinf(value)) {
    exponent = 0x7FFF;
    mantissa = 0x8000000000000000ull;
  } else if (value != 0) {
    int e = 0;
    const long double m = std::frexp(std::fabs(value), &e);  // m in [0.5, 1)
    // Top 64 bits of the mantissa; a wider long double is rounded to nearest.
    long double scaled = std::ldexp(m, 64);
    long double whole = std::nearbyint(scaled);
    if (whole >= std::ldexp(1.0L, 64)) {  // rounding carried into a new bit
      whole = std::ldexp(1.0L, 63);
      ++e;
    }
    const long double high = std::floor(std::ldexp(whole, -32));
    const long double low = whole - std::ldexp(high, 32);
    mantissa = (static_cast<std::uint64_t>(high) << 32) | static_cast<std::uint64_t>(low);
    int biased = e - 1 + 16383;
    if (biased >= 0x7FFF) {
      exponent = 0x7FFF;
      mantissa = 0x8000000000000000ull;
    } else if (biased <= 0) {
      // Denormal: exponent field 0 stands for 2^-16382 with no integer bit.
      const int shift = 1 - biased;
      mantissa = shift >= 64 ? 0 : mantissa >> shift;
      exponent = 0;
    } else {
      exponent = static_cast<unsigned>(biased);
    }
  }
  for (int i = 0; i < 8; ++i) out[i] = static_cast<std::uint8_t>(mantissa >> (8 * i));
  const unsigned se = exponent | (negative ? 0x8000u : 0u);
  out[8] = static_cast<std::uint8_t>(se & 0xFF);
  out[9] = static_cast<std::uint8_t>(se >> 8);
}

long double BytesToExtended(const std::uint8_t in[10]) {
  std::uint64_t mantissa = 0;
  for (int i = 0; i < 8; ++i) mantissa |= static_cast<std::uint64_t>(in[i]) << (8 * i);
  const unsigned se = static_cast<unsigned>(in[8]) | (static_cast<unsigned>(in[9]) << 8);
  const bool negative = (se & 0x8000u) != 0;
  const int exponent = static_cast<int>(se & 0x7FFFu);
  long double v;
  if (exponent == 0x7FFF) {
    v = (mantissa << 1) == 0 ? std::numeric_limits<long double>::infinity()
                             : std::numeric_limits<long double>::quiet_NaN();
  } else {
    const long double m = std::ldexp(static_cast<long double>(mantissa >> 32), 32) +
                          static_cast<long double>(mantissa & 0xFFFFFFFFull);
    v = std::ldexp(m, (exponent == 0 ? 1 : exponent) - 16383 - 63);
  }
  return negative ? -v : v;
}

// ---- TWriter --------------------------------------------------------------------------------

void TWriter::Write(const void* buffer, std::int64_t count) { FStream->WriteBuffer(buffer, count); }

void TWriter::WriteValue(TValueType value) {
  const std::uint8_t b = value;
  Write(&b, 1);
}

void TWriter::WriteStr(const std::string& value) {
  if (value.size() > 255) throw EWriteError(u"Name too long for the stream");
  const std::uint8_t len = static_cast<std::uint8_t>(value.size());
  Write(&len, 1);
  Write(value.data(), static_cast<std::int64_t>(value.size()));
}

void TWriter::WriteBoolean(bool value) { WriteValue(value ? vaTrue : vaFalse); }

void TWriter::WriteInteger(std::int32_t value) {
  if (value >= -128 && value <= 127) {
    WriteValue(vaInt8);
    const std::int8_t v = static_cast<std::int8_t>(value);
    Write(&v, 1);
  } else if (value >= -32768 && value <= 32767) {
    WriteValue(vaInt16);
    const std::int16_t v = static_cast<std::int16_t>(value);
    Write(&v, 2);
  } else {
    WriteValue(vaInt32);
    Write(&value, 4);
  }
}

void TWriter::WriteInteger(std::int64_t value) {
  if (value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max()) {
    WriteInteger(static_cast<std::int32_t>(value));
    return;
  }
  WriteValue(vaInt64);
  Write(&value, 8);
}

void TWriter::WriteFloat(long double value) {
  std::uint8_t b[10];
  ExtendedToBytes(value, b);
  WriteValue(vaExtended);
  Write(b, 10);
}

void TWriter::WriteSingle(float value) {
  WriteValue(vaSingle);
  Write(&value, 4);
}

void TWriter::WriteDouble(double value) {
  WriteValue(vaDouble);
  Write(&value, 8);
}

void TWriter::WriteCurrency(long double value) {
  const std::int64_t v = static_cast<std::int64_t>(std::llround(value * 10000.0L));
  WriteValue(vaCurrency);
  Write(&v, 8);
}

void TWriter::WriteDate(TDateTime value) {
  WriteValue(vaDate);
  Write(&value, 8);
}

void TWriter::WriteIdent(const UnicodeString& ident) {
  if (SameTextAscii(ident, u"False"))
    WriteValue(vaFalse);
  else if (SameTextAscii(ident, u"True"))
    WriteValue(vaTrue);
  else if (SameTextAscii(ident, u"Null"))
    WriteValue(vaNull);
  else if (SameTextAscii(ident, u"nil"))
    WriteValue(vaNil);
  else {
    WriteValue(vaIdent);
    WriteStr(NameToBytes(ident));
  }
}

void TWriter::WriteString(const UnicodeString& value) {
  const std::string utf8 = UnicodeToUtf8(value);
  if (utf8.size() < value.size() * 2) {
    WriteUTF8String(utf8);
  } else {
    WriteWideString(value);
  }
}

void TWriter::WriteWideString(const UnicodeString& value) {
  WriteValue(vaWString);
  const std::int32_t len = static_cast<std::int32_t>(value.size());
  Write(&len, 4);
  const std::string bytes = UnicodeToUtf16LE(value);
  Write(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void TWriter::WriteAnsiString(const std::string& value) {
  if (value.size() <= 255) {
    WriteValue(vaString);
    WriteStr(value);
  } else {
    WriteValue(vaLString);
    const std::int32_t len = static_cast<std::int32_t>(value.size());
    Write(&len, 4);
    Write(value.data(), len);
  }
}

void TWriter::WriteUTF8String(const std::string& value) {
  WriteValue(vaUTF8String);
  const std::int32_t len = static_cast<std::int32_t>(value.size());
  Write(&len, 4);
  Write(value.data(), len);
}

void TWriter::WriteSet(const std::vector<UnicodeString>& memberNames) {
  WriteValue(vaSet);
  for (const UnicodeString& n : memberNames)
    if (!n.empty()) WriteStr(NameToBytes(n));
  WriteStr(std::string());
}

void TWriter::WriteBinary(const TStreamProc& writeData) {
  TMemoryStream data;
  writeData(data);
  if (data.GetSize() > std::numeric_limits<std::int32_t>::max()) throw EWriteError(u"Binary property too large");
  WriteValue(vaBinary);
  const std::int32_t len = static_cast<std::int32_t>(data.GetSize());
  Write(&len, 4);
  Write(data.Memory(), len);
}

void TWriter::WritePropName(const UnicodeString& name) { WriteStr(FPropPath + NameToBytes(name)); }

void TWriter::DefineProperty(const UnicodeString& name, const TReaderProc&, const TWriterProc& writeData,
                             bool hasData) {
  if (!hasData || !writeData) return;
  WritePropName(name);
  writeData(*this);
}

void TWriter::DefineBinaryProperty(const UnicodeString& name, const TStreamProc&, const TStreamProc& writeData,
                                   bool hasData) {
  if (!hasData || !writeData) return;
  WritePropName(name);
  WriteBinary(writeData);
}

void TWriter::WriteSignature() { Write(Signature, 4); }

void TWriter::WriteRootComponent(TComponent* root) {
  FRoot = root;
  WriteSignature();
  WriteComponent(root);
}

void TWriter::WriteComponent(TComponent* component) {
  if (!FRoot) FRoot = component;
  component->FState.Include(csWriting);
  try {
    WriteStr(NameToBytes(component->ClassName()));
    WriteStr(NameToBytes(component->GetName()));
    const std::string savedPath = FPropPath;
    FPropPath.clear();
    WriteProperties(component);
    FPropPath = savedPath;
    WriteListEnd();
    WriteChildren(component);
    WriteListEnd();
  } catch (...) {
    component->FState.Exclude(csWriting);
    throw;
  }
  component->FState.Exclude(csWriting);
}

void TWriter::WriteChildren(TComponent* component) {
  if (IgnoreChildren) return;
  component->GetChildren([this](TComponent* child) { WriteComponent(child); }, FRoot);
}

void TWriter::WriteProperties(TPersistent* instance) {
  instance->ClassInfo().ForEachProperty([&](const TPropInfo& prop) {
    if (prop.IsStored(*instance)) WriteProperty(instance, prop);
  });
  instance->DefineProperties(*this);
}

void TWriter::WriteProperty(TPersistent* instance, const TPropInfo& prop) {
  switch (prop.Kind) {
    case TPropKind::Object: {
      TPersistent* obj = prop.GetObject(*instance);
      if (!obj || dynamic_cast<TComponent*>(obj)) return;  // references to components are not streamed
      if (auto* coll = dynamic_cast<TCollection*>(obj)) {
        WritePropName(prop.Name);
        WriteCollection(coll);
        return;
      }
      const std::string saved = FPropPath;
      FPropPath += NameToBytes(prop.Name) + ".";
      try {
        WriteProperties(obj);
      } catch (...) {
        FPropPath = saved;
        throw;
      }
      FPropPath = saved;
      return;
    }
    case TPropKind::Integer:
      WritePropName(prop.Name);
      WriteInteger(static_cast<std::int32_t>(prop.GetOrd(*instance)));
      return;
    case TPropKind::Int64:
      WritePropName(prop.Name);
      WriteInteger(static_cast<std::int64_t>(prop.GetOrd(*instance)));
      return;
    case TPropKind::Boolean:
      WritePropName(prop.Name);
      WriteBoolean(prop.GetOrd(*instance) != 0);
      return;
    case TPropKind::Enumeration: {
      WritePropName(prop.Name);
      const std::int64_t v = prop.GetOrd(*instance);
      const UnicodeString name = prop.NameOf(static_cast<int>(v));
      if (name.empty())
        WriteInteger(static_cast<std::int64_t>(v));
      else
        WriteIdent(name);
      return;
    }
    case TPropKind::Set: {
      WritePropName(prop.Name);
      std::vector<UnicodeString> names;
      for (int m : prop.GetSet(*instance)) names.push_back(prop.NameOf(m));
      WriteSet(names);
      return;
    }
    case TPropKind::Float: {
      WritePropName(prop.Name);
      const long double v = prop.GetFloat(*instance);
      switch (prop.FloatType) {
        case ftSingle: WriteSingle(static_cast<float>(v)); break;
        case ftCurrency: WriteCurrency(v); break;
        case ftDate: WriteDate(static_cast<double>(v)); break;
        default: WriteFloat(v); break;
      }
      return;
    }
    case TPropKind::String:
      WritePropName(prop.Name);
      WriteString(prop.GetStr(*instance));
      return;
    case TPropKind::AnsiString:
      WritePropName(prop.Name);
      WriteAnsiString(prop.GetAnsi(*instance));
      return;
  }
}

void TWriter::WriteCollection(TCollection* value) {
  WriteValue(vaCollection);
  const std::string saved = FPropPath;
  FPropPath.clear();
  try {
    if (value)
      for (int i = 0; i < value->Count(); ++i) {
        WriteListBegin();
        WriteProperties(value->GetItem(i));
        WriteListEnd();
      }
  } catch (...) {
    FPropPath = saved;
    throw;
  }
  FPropPath = saved;
  WriteListEnd();
}

// ---- TReader --------------------------------------------------------------------------------

void TReader::Read(void* buffer, std::int64_t count) {
  if (count <= 0) return;
  FStream->ReadBuffer(buffer, count);
}

TValueType TReader::ReadValue() {
  std::uint8_t b = 0;
  Read(&b, 1);
  return static_cast<TValueType>(b);
}

TValueType TReader::NextValue() {
  const TValueType v = ReadValue();
  FStream->Seek(-1, soCurrent);
  return v;
}

void TReader::PropValueError() { throw EReadError(u"Invalid property value"); }

void TReader::CheckValue(TValueType expected) {
  if (ReadValue() != expected) {
    FStream->Seek(-1, soCurrent);
    PropValueError();
  }
}

void TReader::ReadListBegin() { CheckValue(vaList); }

void TReader::ReadListEnd() { CheckValue(vaNull); }

void TReader::SkipBytes(std::int64_t count) {
  if (count < 0 || count > FStream->GetSize() - FStream->GetPosition()) InvalidStream();
  FStream->Seek(count, soCurrent);
}

namespace {

// A length of units of the given size read from the stream, checked against what the stream
// still holds.
std::int32_t ReadLength(TStream& s, std::int64_t unit) {
  std::int32_t len = 0;
  s.ReadBuffer(&len, 4);
  if (len < 0 || static_cast<std::int64_t>(len) * unit > s.GetSize() - s.GetPosition()) InvalidStream();
  return len;
}

// Bytes behind a 32-bit length.
std::string ReadLongBytes(TStream& s) {
  std::string r(static_cast<std::size_t>(ReadLength(s, 1)), '\0');
  if (!r.empty()) s.ReadBuffer(r.data(), static_cast<std::int64_t>(r.size()));
  return r;
}

}  // namespace

std::string TReader::ReadStr() {
  std::uint8_t len = 0;
  Read(&len, 1);
  std::string s(len, '\0');
  Read(s.data(), len);
  return s;
}

bool TReader::ReadBoolean() {
  const TValueType v = ReadValue();
  if (v == vaTrue) return true;
  if (v == vaFalse) return false;
  FStream->Seek(-1, soCurrent);
  PropValueError();
}

std::int64_t TReader::ReadIntegerValue(TValueType type) {
  const auto read = [this](auto v) -> std::int64_t {
    Read(&v, sizeof v);
    return v;
  };
  switch (type) {
    case vaInt8: return read(std::int8_t{});
    case vaInt16: return read(std::int16_t{});
    case vaInt32: return read(std::int32_t{});
    case vaInt64: return read(std::int64_t{});
    default:
      FStream->Seek(-1, soCurrent);
      PropValueError();
  }
}

std::int32_t TReader::ReadInteger() {
  const TValueType t = ReadValue();
  if (t == vaInt64) {
    FStream->Seek(-1, soCurrent);
    PropValueError();
  }
  return static_cast<std::int32_t>(ReadIntegerValue(t));
}

std::int64_t TReader::ReadInt64() { return ReadIntegerValue(ReadValue()); }

long double TReader::ReadFloat() {
  const TValueType t = ReadValue();
  switch (t) {
    case vaExtended: {
      std::uint8_t b[10];
      Read(b, 10);
      return BytesToExtended(b);
    }
    case vaDouble:
    case vaDate: {
      double d = 0;
      Read(&d, 8);
      return d;
    }
    case vaSingle: {
      float f = 0;
      Read(&f, 4);
      return f;
    }
    case vaCurrency: {
      std::int64_t c = 0;
      Read(&c, 8);
      return static_cast<long double>(c) / 10000.0L;
    }
    default:
      return static_cast<long double>(ReadIntegerValue(t));
  }
}

float TReader::ReadSingle() { return static_cast<float>(ReadFloat()); }

double TReader::ReadDouble() { return static_cast<double>(ReadFloat()); }

long double TReader::ReadCurrency() { return ReadFloat(); }

TDateTime TReader::ReadDate() { return static_cast<TDateTime>(ReadFloat()); }

UnicodeString TReader::ReadIdent() {
  switch (ReadValue()) {
    case vaIdent: return Utf8ToUnicode(ReadStr());
    case vaFalse: return u"False";
    case vaTrue: return u"True";
    case vaNil: return u"nil";
    case vaNull: return u"Null";
    default:
      FStream->Seek(-1, soCurrent);
      PropValueError();
  }
}

std::string TReader::ReadAnsiString() {
  const TValueType t = ReadValue();
  switch (t) {
    case vaString: return ReadStr();
    case vaLString: return ReadLongBytes(*FStream);
    case vaWString:
    case vaUTF8String:
      FStream->Seek(-1, soCurrent);
      return UnicodeToAnsiString(ReadString());
    default:
      FStream->Seek(-1, soCurrent);
      PropValueError();
  }
}

UnicodeString TReader::ReadString() {
  const TValueType t = ReadValue();
  switch (t) {
    case vaString:
    case vaLString:
      FStream->Seek(-1, soCurrent);
      return AnsiStringToUnicode(ReadAnsiString());
    case vaUTF8String: return Utf8ToUnicode(ReadLongBytes(*FStream));
    case vaWString: {
      const std::int32_t len = ReadLength(*FStream, 2);
      std::string bytes(static_cast<std::size_t>(len) * 2, '\0');
      Read(bytes.data(), static_cast<std::int64_t>(bytes.size()));
      return Utf16LEToUnicode(bytes);
    }
    default:
      FStream->Seek(-1, soCurrent);
      PropValueError();
  }
}

std::vector<std::string> TReader::ReadSet() {
  CheckValue(vaSet);
  std::vector<std::string> names;
  for (;;) {
    std::string n = ReadStr();
    if (n.empty()) break;
    names.push_back(std::move(n));
  }
  return names;
}

void TReader::ReadBinary(const TStreamProc& readData) {
  CheckValue(vaBinary);
  const std::int32_t len = ReadLength(*FStream, 1);
  TMemoryStream data;
  data.SetSize(len);
  Read(data.Memory(), len);
  data.SetPosition(0);
  if (readData) readData(data);
}

void TReader::SkipValue() {
  TDepthGuard depth(FDepth);
  const TValueType t = ReadValue();
  switch (t) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
      break;
    case vaList:
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      break;
    case vaInt8: SkipBytes(1); break;
    case vaInt16: SkipBytes(2); break;
    case vaInt32:
    case vaSingle: SkipBytes(4); break;
    case vaInt64:
    case vaDouble:
    case vaDate:
    case vaCurrency: SkipBytes(8); break;
    case vaExtended: SkipBytes(10); break;
    case vaString:
    case vaIdent: ReadStr(); break;
    case vaLString:
    case vaUTF8String:
    case vaBinary: SkipBytes(ReadLength(*FStream, 1)); break;
    case vaWString: SkipBytes(static_cast<std::int64_t>(ReadLength(*FStream, 2)) * 2); break;
    case vaSet:
      while (!ReadStr().empty()) {
      }
      break;
    case vaCollection:
      while (!EndOfList()) {
        const TValueType n = NextValue();
        if (n == vaInt8 || n == vaInt16 || n == vaInt32) ReadInteger();
        ReadListBegin();
        while (!EndOfList()) {
          ReadStr();
          SkipValue();
        }
        ReadListEnd();
      }
      ReadListEnd();
      break;
    default:
      InvalidStream();
  }
}

void TReader::DefineProperty(const UnicodeString& name, const TReaderProc& readData, const TWriterProc&, bool) {
  if (FCanHandle || !readData || !SameTextAscii(name, FPropName)) return;
  FCanHandle = true;
  readData(*this);
}

void TReader::DefineBinaryProperty(const UnicodeString& name, const TStreamProc& readData, const TStreamProc&,
                                   bool) {
  if (FCanHandle || !readData || !SameTextAscii(name, FPropName)) return;
  FCanHandle = true;
  ReadBinary(readData);
}

void TReader::PropertyError(const UnicodeString& message, std::int64_t valueStart) {
  bool handled = false;
  if (OnError) OnError(*this, message, handled);
  if (!handled) throw EReadError(message);
  FStream->Seek(valueStart, soBeginning);
  SkipValue();
}

void TReader::ReadPropValue(TPersistent* instance, const TPropInfo& prop) {
  switch (prop.Kind) {
    case TPropKind::Integer: prop.SetOrd(*instance, ReadInteger()); return;
    case TPropKind::Int64: prop.SetOrd(*instance, ReadInt64()); return;
    case TPropKind::Boolean: prop.SetOrd(*instance, ReadBoolean() ? 1 : 0); return;
    case TPropKind::Enumeration: {
      const TValueType t = NextValue();
      int ord;
      if (t == vaInt8 || t == vaInt16 || t == vaInt32) {
        const std::int32_t v = ReadInteger();
        ord = v >= 0 && v < static_cast<std::int32_t>(prop.ValueNames.size()) ? v : -1;
      } else {
        ord = prop.OrdinalOf(ReadIdent());
      }
      if (ord < 0) PropValueError();
      prop.SetOrd(*instance, ord);
      return;
    }
    case TPropKind::Set: {
      std::vector<int> members;
      for (const std::string& n : ReadSet()) {
        const int ord = prop.OrdinalOf(Utf8ToUnicode(n));
        if (ord < 0) PropValueError();
        members.push_back(ord);
      }
      prop.SetSet(*instance, members);
      return;
    }
    case TPropKind::Float: prop.SetFloat(*instance, ReadFloat()); return;
    case TPropKind::String: prop.SetStr(*instance, ReadString()); return;
    case TPropKind::AnsiString: prop.SetAnsi(*instance, ReadAnsiString()); return;
    case TPropKind::Object: {
      auto* coll = dynamic_cast<TCollection*>(prop.GetObject(*instance));
      if (!coll) PropValueError();
      ReadCollection(coll);
      return;
    }
  }
}

void TReader::ReadProperty(TPersistent* instance) {
  const std::string name = ReadStr();
  const std::int64_t valueStart = FStream->GetPosition();
  const UnicodeString uname = Utf8ToUnicode(name);
  UnicodeString message;
  try {
    TPersistent* obj = instance;
    std::u16string_view rest = uname;
    for (std::size_t dot = rest.find(u'.'); dot != std::u16string_view::npos; dot = rest.find(u'.')) {
      const TPropInfo* p = obj->ClassInfo().FindProperty(rest.substr(0, dot));
      obj = p && p->Kind == TPropKind::Object ? p->GetObject(*obj) : nullptr;
      if (!obj) throw EReadError(Format(u"Property %s does not exist", {uname}));
      rest.remove_prefix(dot + 1);
    }
    if (const TPropInfo* p = obj->ClassInfo().FindProperty(rest)) {
      ReadPropValue(obj, *p);
      return;
    }
    const UnicodeString savedName = FPropName;
    const bool savedHandle = FCanHandle;
    FPropName = UnicodeString(rest);
    FCanHandle = false;
    try {
      obj->DefineProperties(*this);
    } catch (...) {
      FPropName = savedName;
      FCanHandle = savedHandle;
      throw;
    }
    const bool handled = FCanHandle;
    FPropName = savedName;
    FCanHandle = savedHandle;
    if (handled) return;
    message = Format(u"Property %s does not exist", {uname});
  } catch (const Exception& e) {
    message = e.Message();
  }
  PropertyError(message, valueStart);
}

void TReader::ReadProperties(TPersistent* instance) {
  while (!EndOfList()) ReadProperty(instance);
  ReadListEnd();
}

void TReader::ReadCollection(TCollection* value) {
  CheckValue(vaCollection);
  TDepthGuard depth(FDepth);
  value->BeginUpdate();
  try {
    if (!EndOfList()) value->Clear();
    while (!EndOfList()) {
      const TValueType n = NextValue();
      if (n == vaInt8 || n == vaInt16 || n == vaInt32) ReadInteger();
      TCollectionItem* item = value->Add();
      ReadListBegin();
      while (!EndOfList()) ReadProperty(item);
      ReadListEnd();
    }
    ReadListEnd();
  } catch (...) {
    value->EndUpdate();
    throw;
  }
  value->EndUpdate();
}

void TReader::ReadSignature() {
  char sig[4] = {};
  if (FStream->Read(sig, 4) != 4 || std::memcmp(sig, Signature, 4) != 0) InvalidStream();
}

std::unique_ptr<TComponent> TReader::ReadComponentData(TComponent* instance, TComponent* owner,
                                                       TComponent* parent) {
  TDepthGuard depth(FDepth);
  // Optional prefix: 0xF0 plus flags; a child position follows when flag 2 is set.
  if ((NextValue() & 0xF0) == 0xF0) {
    const std::uint8_t flags = static_cast<std::uint8_t>(ReadValue());
    if (flags & 0x02) ReadInteger();
  }
  const UnicodeString className = Utf8ToUnicode(ReadStr());
  const UnicodeString name = Utf8ToUnicode(ReadStr());
  std::unique_ptr<TComponent> made;
  if (!instance) {
    const TClassInfo& cls = FindClass(className);
    if (!cls.Create) throw EClassNotFound(Format(u"Class %s not found", {className}));
    std::unique_ptr<TPersistent> p = cls.Create();
    instance = dynamic_cast<TComponent*>(p.get());
    if (!instance) InvalidStream();
    p.release();
    made.reset(instance);
  }
  if (!FRoot) FRoot = instance;
  if (owner) {
    owner->InsertComponent(instance);
    made.release();  // the owner frees it from now on
  }
  instance->SetName(name);
  instance->FState.Include(csLoading);
  instance->FState.Include(csReading);
  if (parent) instance->SetParentComponent(parent);
  FLoaded.push_back(instance);
  while (!EndOfList()) ReadProperty(instance);
  ReadListEnd();
  while (!EndOfList()) ReadComponentData(nullptr, FRoot, instance);
  ReadListEnd();
  instance->FState.Exclude(csReading);
  return made;
}

void TReader::ReadComponent(TComponent* instance) {
  if (!instance) InvalidStream();
  ReadComponentData(instance, nullptr, nullptr);
}

TComponent* TReader::ReadRootComponent(TComponent* root) {
  ReadSignature();
  FRoot = root;
  FLoaded.clear();
  FDepth = 0;
  std::unique_ptr<TComponent> made = ReadComponentData(root, nullptr, nullptr);
  std::vector<TComponent*> loaded;
  loaded.swap(FLoaded);
  for (TComponent* c : loaded) c->Loaded();
  return root ? root : made.release();
}
