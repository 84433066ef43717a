// The low layer of the PDF writer: object numbers, the framing of indirect objects and streams,
// the byte offsets of every object, the file header, the cross-reference table and trailer, the
// PDF/A colour-space objects and the XMP metadata stream. Everything that becomes a PDF object
// derives from TPDFObject; every collection of a document derives from TPDFManager.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/PDFSecurity.h"
#include "pdf/PDFMisc.h"
#include "pdf/PDFTypes.h"
#include "platform/base/Classes.h"

class TPDFEngine;
class TPDFFont;
class TPDFImage;
class TPDFDocInfo;

class TPDFObject : public TObject {
 public:
  explicit TPDFObject(TPDFEngine* engine) : FEngine(engine) {}
  ~TPDFObject() override = default;
  TPDFObject(const TPDFObject&) = delete;
  TPDFObject& operator=(const TPDFObject&) = delete;

  virtual void Save() = 0;
  virtual void FinishSave() {}

  // The object's number, taken from the engine on first need.
  int ID();
  // "n 0 R"; reading it takes the number.
  std::string RefID();
  void ResetID() { FID = 0; }
  TPDFEngine* Engine() const { return FEngine; }

 protected:
  // s encrypted for this object's number, escaped, in parentheses.
  std::string CryptString(std::string_view s);
  void CryptStream(TCustomMemoryStream& mem);
  int FID = 0;
  TPDFEngine* FEngine;
};

class TPDFManager : public TObject {
 public:
  explicit TPDFManager(TPDFEngine* engine) : FEngine(engine) {}
  ~TPDFManager() override = default;
  TPDFManager(const TPDFManager&) = delete;
  TPDFManager& operator=(const TPDFManager&) = delete;

  virtual void Clear() { FID = 0; }
  virtual int GetCount() = 0;
  virtual void Save() = 0;
  int ID();
  // Does not take a number: asked for only after Save gave the manager one.
  std::string RefID() const { return PDFObjectRef(FID); }
  TPDFEngine* Engine() const { return FEngine; }

 protected:
  TPDFEngine* FEngine;
  int FID = 0;
};

// A manager that owns a list of objects and writes them in list order.
class TPDFListManager : public TPDFManager {
 public:
  using TPDFManager::TPDFManager;
  ~TPDFListManager() override { TPDFListManager::Clear(); }
  void Add(TPDFObject* obj) { FList.emplace_back(obj); }
  void Clear() override;
  int GetCount() override { return static_cast<int>(FList.size()); }
  void Save() override;
  TPDFObject* Item(int i) const { return FList[i].get(); }

 protected:
  std::vector<std::unique_ptr<TPDFObject>> FList;
};

// The fonts and images of the document, indexed by the canvases and pages; filled and freed by
// the font and image managers.
struct TPDFResources {
  std::vector<TPDFFont*> Fonts;
  std::vector<TPDFImage*> Images;
  TPDFFont* LastFont = nullptr;
};

class TPDFEngine : public TObject {
 public:
  TPDFEngine() = default;
  TPDFEngine(const TPDFEngine&) = delete;
  TPDFEngine& operator=(const TPDFEngine&) = delete;

  int GetNextID();
  int CurrentID() const { return FCurrentID; }
  int Capacity() const { return FCapacity; }
  // Offset of object n (from 1), -1 when never written.
  std::int64_t Offset(int n) const { return FIDOffset[n - 1]; }

  void StartObj(int id, bool isDictionary = true);
  void CloseObj(bool isDictionary = true);
  void StartStream();
  void CloseStream();
  void SaveToStream(std::string_view st, bool cr = true);
  // A content stream (page, form, pattern) after its other keys: /Length, the filter when
  // compressed, the data through the security handler.
  void SaveContentStream(std::string_view content);
  // Deflates data into out (level as zlib takes it, -1 for the default). The engine keeps one
  // compressor per level and resets it between streams: making and freeing a compressor for
  // every page cost more than the compression itself.
  void Deflate(const void* data, std::size_t size, int level, TMemoryStream& out);

  void SaveHeader(TPDFMinVersion minVersion);
  void SaveXREFAndTrailer(int catalogID, int infoID, int encryptID, const std::string& fileID);
  void InitSecurity(TPDFSecurityState keyLength, TPDFSecurityPermissions options,
                    const std::string& userPassword, const std::string& ownerPassword,
                    const std::string& fileName, bool cryptMetadata);
  const std::string& FileID() const { return SecurityInfo.FileID; }
  int GrayICCObject();
  int RGBICCObject();
  int CMYKICCObject();

  void SaveObject(TPDFObject& obj) { obj.Save(); }
  void SaveAdditional(TPDFObject& obj) { obj.FinishSave(); }
  void SaveManager(TPDFManager& m) { m.Save(); }
  void ClearManager(TPDFManager& m) { m.Clear(); }

  void SavePDFAFeatures();
  int CreateMetadata(const TPDFDocInfo& data, bool cryptData);
  void Reset();

  void SetStream(TStream* stream) { FStream = stream; }
  TStream* Stream() const { return FStream; }
  int CurrentSaveID() const { return FCurrentSaveID; }

  TCompressionType FCompression = ctFlate;
  int FResolution = 72;
  TPDFResources Resources;
  TPDFSecurity SecurityInfo;
  TStream* RGBICCStream = nullptr;
  TStream* CMYKICCStream = nullptr;
  bool PDFACompatibile = false;

 private:
  void SaveICCProfile(int id, TStream* profile, int components);
  struct TDeflater;
  struct TDeflaterDeleter {
    void operator()(TDeflater* d) const;
  };
  std::unique_ptr<TDeflater, TDeflaterDeleter> FDeflaters[2];  // default level, level 9
  int FCapacity = 0;
  int FCurrentID = 0;
  std::vector<std::int64_t> FIDOffset;
  TStream* FStream = nullptr;
  int FGrayID = 0, FRGBID = 0, FCMYKID = 0;
  int FCurrentSaveID = -1;
};

// A stream that gathers small writes before they reach the file (a read or a seek flushes them
// first, so a signature can read the file back); its position counts
// everything written. A failed write raises EWriteError naming FileName (the file the user chose,
// not the temporary one the data goes to).
class TPDFBufferedStream : public TStream {
 public:
  explicit TPDFBufferedStream(std::unique_ptr<TStream> target, std::size_t bufferSize = 1 << 16,
                              UnicodeString fileName = {});
  ~TPDFBufferedStream() override;
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void Flush();

 private:
  [[noreturn]] void WriteFailed(int error) const;
  std::unique_ptr<TStream> FTarget;
  UnicodeString FFileName;
  std::string FBuffer;
  std::size_t FLimit;
  std::int64_t FFlushed = 0;
};
