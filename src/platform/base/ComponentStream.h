// The binary component stream: a "TPF0" signature, then components with their class names,
// names, published properties (name + tagged value), properties defined by the class itself,
// and children. All numbers are little-endian.
//
//   component  = [prefix] ShortStr(ClassName) ShortStr(Name) {property} vaNull {component} vaNull
//   property   = ShortStr(Name) value
//   ShortStr   = length byte, then that many bytes
//   vaSet      = {ShortStr(member name)} ShortStr("")
//   vaList     = {value} vaNull
//   vaCollection = {[integer] vaList {property} vaNull} vaNull
//   vaBinary   = 32-bit length, bytes
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/Classes.h"
#include "platform/base/Persistent.h"

enum TValueType : std::uint8_t {
  vaNull = 0,
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaExtended = 5,
  vaString = 6,
  vaIdent = 7,
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,
  vaSet = 11,
  vaLString = 12,
  vaNil = 13,
  vaCollection = 14,
  vaSingle = 15,
  vaCurrency = 16,
  vaDate = 17,
  vaWString = 18,
  vaInt64 = 19,
  vaUTF8String = 20,
  vaDouble = 21,
};

// The 80-bit extended format: 64-bit mantissa with explicit integer bit, 15-bit exponent biased
// by 16383, sign bit; little-endian. Independent of the size of long double.
void ExtendedToBytes(long double value, std::uint8_t out[10]);
long double BytesToExtended(const std::uint8_t in[10]);

class TReader;
class TWriter;
using TReaderProc = std::function<void(TReader&)>;
using TWriterProc = std::function<void(TWriter&)>;
using TStreamProc = std::function<void(TStream&)>;

// What reader and writer share: the stream and the hooks a class's DefineProperties uses.
class TFiler : public TObject {
 public:
  TFiler(TStream& stream, int bufSize) : FStream(&stream), FBufSize(bufSize) {}
  TFiler(const TFiler&) = delete;
  TFiler& operator=(const TFiler&) = delete;
  // A property written by writeData as ordinary values; written only when hasData.
  virtual void DefineProperty(const UnicodeString& name, const TReaderProc& readData,
                              const TWriterProc& writeData, bool hasData) = 0;
  // A property written as a vaBinary block; written only when hasData.
  virtual void DefineBinaryProperty(const UnicodeString& name, const TStreamProc& readData,
                                    const TStreamProc& writeData, bool hasData) = 0;
  TStream& Stream() const { return *FStream; }
  TComponent* GetRoot() const { return FRoot; }

 protected:
  TStream* FStream;
  int FBufSize;
  TComponent* FRoot = nullptr;
};

class TWriter : public TFiler {
 public:
  // The stream is written directly; bufSize is accepted for the callers' sake.
  explicit TWriter(TStream& stream, int bufSize = 4096) : TFiler(stream, bufSize) {}

  void DefineProperty(const UnicodeString& name, const TReaderProc& readData, const TWriterProc& writeData,
                      bool hasData) override;
  void DefineBinaryProperty(const UnicodeString& name, const TStreamProc& readData,
                            const TStreamProc& writeData, bool hasData) override;

  // Signature, then the component with its properties and children.
  void WriteRootComponent(TComponent* root);
  void WriteComponent(TComponent* component);
  void WriteSignature();
  // The published properties of instance (nested objects with dotted names), then its
  // DefineProperties; no terminating vaNull.
  void WriteProperties(TPersistent* instance);
  // vaCollection, the items, vaNull.
  void WriteCollection(TCollection* value);

  // Raw bytes, no tag.
  void Write(const void* buffer, std::int64_t count);
  void WriteValue(TValueType value);
  // A length byte and at most 255 bytes, no tag (names of properties, classes, set members).
  void WriteStr(const std::string& value);
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  void WriteBoolean(bool value);
  // The smallest of vaInt8, vaInt16, vaInt32 that holds value.
  void WriteInteger(std::int32_t value);
  // vaInt64 only when value does not fit 32 bits.
  void WriteInteger(std::int64_t value);
  void WriteFloat(long double value);   // vaExtended
  void WriteSingle(float value);        // vaSingle
  void WriteDouble(double value);       // vaDouble
  void WriteCurrency(long double value);  // vaCurrency, ten-thousandths
  void WriteDate(TDateTime value);      // vaDate
  void WriteIdent(const UnicodeString& ident);  // vaIdent, or vaFalse/vaTrue/vaNil/vaNull for those words
  // UTF-8 (vaUTF8String) when shorter than UTF-16, else vaWString.
  void WriteString(const UnicodeString& value);
  void WriteWideString(const UnicodeString& value);  // vaWString
  // 8-bit text: vaString up to 255 bytes, else vaLString.
  void WriteAnsiString(const std::string& value);
  void WriteUTF8String(const std::string& value);  // vaUTF8String
  // vaSet with the member names, ended by an empty name.
  void WriteSet(const std::vector<UnicodeString>& memberNames);
  void WriteBinary(const TStreamProc& writeData);

  // Skip child components (embedded controls written without their children).
  bool IgnoreChildren = false;

 private:
  void WritePropName(const UnicodeString& name);
  void WriteProperty(TPersistent* instance, const TPropInfo& prop);
  void WriteChildren(TComponent* component);
  std::string FPropPath;
};

// Called for an error while reading a property (an unknown property, a value of the wrong kind).
// Setting handled skips the property and reading continues; otherwise the error is raised.
using TReaderError = std::function<void(TReader& reader, const UnicodeString& message, bool& handled)>;

class TReader : public TFiler {
 public:
  explicit TReader(TStream& stream, int bufSize = 4096) : TFiler(stream, bufSize) {}

  void DefineProperty(const UnicodeString& name, const TReaderProc& readData, const TWriterProc& writeData,
                      bool hasData) override;
  void DefineBinaryProperty(const UnicodeString& name, const TStreamProc& readData,
                            const TStreamProc& writeData, bool hasData) override;

  // Reads the signature and a component. With root nil, a component of the stored class is made
  // through the class registry and returned (the caller owns it); otherwise root is read into and
  // returned. Children are made with root as their owner. Raises EReadError on bad data
  // (anything made is freed then).
  TComponent* ReadRootComponent(TComponent* root);
  void ReadSignature();
  // One component record (optional prefix, class name, name, properties, children) read into
  // instance, which the caller keeps: records that a class writes inside its own defined
  // properties. The class name of the record is not checked. Loaded is called for instance with
  // the root's components, at the end of ReadRootComponent.
  void ReadComponent(TComponent* instance);
  // The properties of instance up to the terminating vaNull (which is consumed).
  void ReadProperties(TPersistent* instance);
  // One property (name and value) into instance.
  void ReadProperty(TPersistent* instance);
  // Expects vaCollection; clears value and reads its items.
  void ReadCollection(TCollection* value);

  void Read(void* buffer, std::int64_t count);
  TValueType ReadValue();
  TValueType NextValue();
  bool EndOfList() { return NextValue() == vaNull; }
  void ReadListBegin();
  void ReadListEnd();
  std::string ReadStr();
  bool ReadBoolean();
  std::int32_t ReadInteger();
  std::int64_t ReadInt64();
  long double ReadFloat();
  float ReadSingle();
  double ReadDouble();
  long double ReadCurrency();
  TDateTime ReadDate();
  UnicodeString ReadIdent();
  // Any of the string tags; 8-bit strings are taken in the ANSI code page.
  UnicodeString ReadString();
  // Any of the string tags as 8-bit text: UTF-16 and UTF-8 strings are converted to the ANSI
  // code page.
  std::string ReadAnsiString();
  // vaSet: the member names up to the empty one.
  std::vector<std::string> ReadSet();
  void ReadBinary(const TStreamProc& readData);
  // Skips one value of any kind.
  void SkipValue();

  TReaderError OnError;

 private:
  [[noreturn]] void PropValueError();
  void ReadPropValue(TPersistent* instance, const TPropInfo& prop);
  std::unique_ptr<TComponent> ReadComponentData(TComponent* instance, TComponent* owner, TComponent* parent);
  void CheckValue(TValueType expected);
  std::int64_t ReadIntegerValue(TValueType type);
  void SkipBytes(std::int64_t count);
  void PropertyError(const UnicodeString& message, std::int64_t valueStart);
  UnicodeString FPropName;
  bool FCanHandle = false;
  int FDepth = 0;
  std::vector<TComponent*> FLoaded;
};
