#include "pdf/PDFEngine.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "pdf/PDFDocument.h"

// ---- objects and managers -----------------------------------------------------------------------

int TPDFObject::ID() {
  if (FID == 0) FID = FEngine->GetNextID();
  return FID;
}

std::string TPDFObject::RefID() { return PDFObjectRef(ID()); }

std::string TPDFObject::CryptString(std::string_view s) {
  return CryptPDFString(FEngine->SecurityInfo, s, ID(), true);
}

void TPDFObject::CryptStream(TCustomMemoryStream& mem) {
  CryptPDFStream(FEngine->SecurityInfo, mem, *FEngine->Stream(), ID());
}

int TPDFManager::ID() {
  if (FID == 0) FID = FEngine->GetNextID();
  return FID;
}

void TPDFListManager::Clear() {
  FList.clear();
  TPDFManager::Clear();
}

void TPDFListManager::Save() {
  for (auto& o : FList) o->Save();
}

// ---- numbers and framing ------------------------------------------------------------------------

int TPDFEngine::GetNextID() {
  if (FCurrentID >= FCapacity) {
    int delta = FCapacity > 64 ? FCapacity / 4 : (FCapacity > 8 ? 16 : 4);
    FCapacity += delta;
    FIDOffset.resize(FCapacity, -1);
  }
  return ++FCurrentID;
}

void TPDFEngine::StartObj(int id, bool isDictionary) {
  if (id > FCurrentID || id <= 0) throw EPDFException("Out of range");
  FIDOffset[id - 1] = FStream->GetPosition();
  FCurrentSaveID = id;
  std::string s = PDFIntToStr(id);
  s += " 0 obj\r\n";
  if (isDictionary) s += "<<";
  SaveToStream(s, false);
}

void TPDFEngine::CloseObj(bool isDictionary) {
  SaveToStream(isDictionary ? ">>\nendobj\r\n" : "\nendobj\r\n", false);
  FCurrentSaveID = -1;
}

void TPDFEngine::StartStream() { SaveToStream(">>\nstream\r\n", false); }

void TPDFEngine::CloseStream() {
  SaveToStream("\nendstream\nendobj\r\n", false);
  FCurrentSaveID = -1;
}

void TPDFEngine::SaveToStream(std::string_view st, bool cr) {
  if (cr) {
    std::string s;
    s.reserve(st.size() + 2);
    s.append(st);
    s += "\r\n";
    FStream->Write(s.data(), static_cast<std::int64_t>(s.size()));
  } else if (!st.empty()) {
    FStream->Write(st.data(), static_cast<std::int64_t>(st.size()));
  }
}

struct TPDFEngine::TDeflater {
  z_stream Z{};
  bool Ready = false;
};

void TPDFEngine::TDeflaterDeleter::operator()(TDeflater* d) const {
  if (d->Ready) deflateEnd(&d->Z);
  delete d;
}

void TPDFEngine::Deflate(const void* data, std::size_t size, int level, TMemoryStream& out) {
  auto& slot = FDeflaters[level == 9 ? 1 : 0];
  if (!slot) slot.reset(new TDeflater);
  TDeflater& d = *slot;
  if (!d.Ready) {
    if (deflateInit(&d.Z, level == 9 ? 9 : Z_DEFAULT_COMPRESSION) != Z_OK)
      throw EPDFException("Cannot compress stream data");
    d.Ready = true;
  } else {
    deflateReset(&d.Z);
  }
  uLong bound = deflateBound(&d.Z, static_cast<uLong>(size));
  out.SetSize(static_cast<std::int64_t>(bound));
  d.Z.next_in = static_cast<Bytef*>(const_cast<void*>(data));
  d.Z.avail_in = static_cast<uInt>(size);
  d.Z.next_out = static_cast<Bytef*>(out.Memory());
  d.Z.avail_out = static_cast<uInt>(bound);
  int rc = deflate(&d.Z, Z_FINISH);
  if (rc != Z_STREAM_END) throw EPDFException("Cannot compress stream data");
  out.SetSize(static_cast<std::int64_t>(bound - d.Z.avail_out));
  out.SetPosition(0);
}

void TPDFEngine::SaveContentStream(std::string_view content) {
  if (FCompression == ctFlate) {
    TMemoryStream mem;
    Deflate(content.data(), content.size(), Z_DEFAULT_COMPRESSION, mem);
    std::string s = "/Length ";
    AppendPDFInt(s, EncryptedLength(SecurityInfo.State, mem.GetSize()));
    s += "\r\n/Filter /FlateDecode\r\n";
    SaveToStream(s, false);
    StartStream();
    CryptPDFStream(SecurityInfo, mem, *FStream, FCurrentSaveID);
  } else {
    std::string s = "/Length ";
    AppendPDFInt(s, EncryptedLength(SecurityInfo.State, static_cast<std::int64_t>(content.size())));
    SaveToStream(s);
    StartStream();
    WritePDFCryptedString(SecurityInfo, *FStream, content, FCurrentSaveID);
  }
  CloseStream();
}

// ---- header, cross-reference table, trailer -------------------------------------------------------

void TPDFEngine::SaveHeader(TPDFMinVersion minVersion) {
  const char* v = minVersion == pdfver15 ? "%PDF-1.5" : (minVersion == pdfver17 ? "%PDF-1.7" : "%PDF-1.4");
  SaveToStream(v);
  SaveToStream("%\xD2\xE5\xD1\xF2");
}

void TPDFEngine::SaveXREFAndTrailer(int catalogID, int infoID, int encryptID,
                                    const std::string& fileID) {
  std::int64_t p = FStream->GetPosition();
  std::string s;
  s.reserve(64 + 20 * static_cast<std::size_t>(FCurrentID));
  s += "xref\r\n0 ";
  AppendPDFInt(s, FCurrentID + 1);
  s += "\r\n";
  s += IntToZeroPaddedStr(0, 10);
  s += " 65535 f\r\n";
  for (int i = 0; i < FCurrentID; ++i) {
    if (FIDOffset[i] < 0) {
      // A number that was taken but never written: a free entry keeps the table whole.
      s += "0000000000 65535 f\r\n";
      continue;
    }
    s += IntToZeroPaddedStr(FIDOffset[i], 10);
    s += " 00000 n\r\n";
  }
  s += "trailer\r\n<<\r\n/Size ";
  AppendPDFInt(s, FCurrentID + 1);
  s += "\r\n/Root ";
  s += PDFObjectRef(catalogID);
  s += "\r\n/Info ";
  s += PDFObjectRef(infoID);
  s += "\r\n";
  if (encryptID > 0) {
    s += "/Encrypt ";
    s += PDFObjectRef(encryptID);
    s += "\r\n";
  }
  s += "/ID [<" + fileID + "><" + fileID + ">]\r\n>>\r\nstartxref\r\n";
  AppendPDFInt(s, p);
  s += "\r\n%%EOF\r\n";
  SaveToStream(s, false);
}

void TPDFEngine::InitSecurity(TPDFSecurityState keyLength, TPDFSecurityPermissions options,
                              const std::string& userPassword, const std::string& ownerPassword,
                              const std::string& fileName, bool cryptMetadata) {
  InitPDFSecurity(SecurityInfo, keyLength, options, cryptMetadata, fileName, ownerPassword, userPassword);
}

int TPDFEngine::GrayICCObject() {
  if (FGrayID == 0) FGrayID = GetNextID();
  return FGrayID;
}
int TPDFEngine::RGBICCObject() {
  if (FRGBID == 0) FRGBID = GetNextID();
  return FRGBID;
}
int TPDFEngine::CMYKICCObject() {
  if (FCMYKID == 0) FCMYKID = GetNextID();
  return FCMYKID;
}

void TPDFEngine::Reset() {
  FCurrentID = 0;
  FCapacity = 0;
  FIDOffset.clear();
  FGrayID = FRGBID = FCMYKID = 0;
  FCurrentSaveID = -1;
}

// ---- PDF/A colour spaces --------------------------------------------------------------------------

void TPDFEngine::SaveICCProfile(int id, TStream* profile, int components) {
  std::string data;
  if (profile) {
    std::int64_t n = profile->GetSize() - profile->GetPosition();
    if (n > 0) {
      data.resize(static_cast<std::size_t>(n));
      profile->Read(data.data(), n);
    }
  }
  TMemoryStream mem;
  Deflate(data.data(), data.size(), Z_DEFAULT_COMPRESSION, mem);
  int p = GetNextID();
  StartObj(p);
  std::string s = "/Length ";
  AppendPDFInt(s, EncryptedLength(SecurityInfo.State, mem.GetSize()));
  s += "\r\n/Filter /FlateDecode/N ";
  AppendPDFInt(s, components);
  SaveToStream(s);
  StartStream();
  CryptPDFStream(SecurityInfo, mem, *FStream, p);
  CloseStream();
  StartObj(id, false);
  SaveToStream("[/ICCBased " + PDFObjectRef(p) + "]", false);
  CloseObj(false);
}

void TPDFEngine::SavePDFAFeatures() {
  if (FGrayID != 0) {
    StartObj(FGrayID, false);
    SaveToStream("[/CalGray <</WhitePoint [0.9505 1 1.089]>>]", false);
    CloseObj(false);
  }
  if (FRGBID != 0) {
    if (RGBICCStream) {
      SaveICCProfile(FRGBID, RGBICCStream, 3);
    } else {
      // No profile of our own is shipped: a calibrated RGB space with the D65 white point keeps
      // the file valid without the caller's profile.
      StartObj(FRGBID, false);
      SaveToStream("[/CalRGB <</WhitePoint [0.9505 1 1.089]>>]", false);
      CloseObj(false);
    }
  }
  if (FCMYKID != 0) {
    if (CMYKICCStream) {
      SaveICCProfile(FCMYKID, CMYKICCStream, 4);
    } else {
      StartObj(FCMYKID, false);
      SaveToStream("/DeviceCMYK", false);
      CloseObj(false);
    }
  }
}

// ---- XMP metadata ---------------------------------------------------------------------------------

int TPDFEngine::CreateMetadata(const TPDFDocInfo& data, bool cryptData) {
  // Dates are written in UTC, so that the "Z" they carry is true.
  TDateTime utc = LocalToUTC(data.CreationDate);
  std::string date = FormatXMPDate(utc), time = FormatXMPTime(utc);
  auto text = [](const UnicodeString& u) { return XMLEscape(UTF16ToUTF8(u)); };
  std::string x;
  x.reserve(2048);
  auto line = [&x](std::string_view l) {
    x.append(l);
    x += "\r\n";
  };
  line("<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>");
  line("<x:xmpmeta xmlns:x=\"adobe:ns:meta/\" x:xmptk=\"" + std::string(kPDFProducer) + "\">");
  line("   <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">");
  line("  <rdf:Description rdf:about=\"\"");
  line("    xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\">");
  line("     <xmp:CreateDate>" + date + "T" + time + "Z</xmp:CreateDate>");
  line("     <xmp:ModifyDate>" + date + "T" + time + "Z</xmp:ModifyDate>");
  line("     <xmp:CreatorTool>" + text(data.Creator) + "</xmp:CreatorTool>");
  line("  </rdf:Description>");
  line("  <rdf:Description rdf:about=\"\"");
  line("    xmlns:dc=\"http://purl.org/dc/elements/1.1/\">");
  line("     <dc:title>");
  line("        <rdf:Alt>");
  line("           <rdf:li xml:lang=\"x-default\">" + text(data.Title) + "</rdf:li>");
  line("        </rdf:Alt>");
  line("     </dc:title>");
  line("     <dc:creator>");
  line("        <rdf:Seq>");
  line("           <rdf:li>" + text(data.Author) + "</rdf:li>");
  line("        </rdf:Seq>");
  line("     </dc:creator>");
  line("     <dc:description>");
  line("        <rdf:Alt>");
  line("           <rdf:li xml:lang=\"x-default\">" + text(data.Subject) + "</rdf:li>");
  line("        </rdf:Alt>");
  line("     </dc:description>");
  line("  </rdf:Description>");
  line("  <rdf:Description rdf:about=\"\"");
  line("    xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\">");
  line("     <pdf:Keywords>" + text(data.Keywords) + "</pdf:Keywords>");
  line("     <pdf:Producer>" + std::string(kPDFProducer) + "</pdf:Producer>");
  line("  </rdf:Description>");
  if (PDFACompatibile) {
    line("  <rdf:Description rdf:about=\"\"");
    line("    xmlns:pdfaid=\"http://www.aiim.org/pdfa/ns/id/\">");
    line("     <pdfaid:part>1</pdfaid:part>");
    line("     <pdfaid:conformance>B</pdfaid:conformance>");
    line("  </rdf:Description>");
  }
  line("   </rdf:RDF>");
  line("</x:xmpmeta>");
  line("<?xpacket end=\"w\"?>");

  int id = GetNextID();
  StartObj(id);
  std::string s = "/Subtype/XML/Type/Metadata\r\n/Length ";
  std::int64_t n = static_cast<std::int64_t>(x.size());
  AppendPDFInt(s, cryptData ? EncryptedLength(SecurityInfo.State, n) : n);
  SaveToStream(s);
  StartStream();
  if (cryptData)
    WritePDFCryptedString(SecurityInfo, *FStream, x, id);
  else
    SaveToStream(x, false);
  CloseStream();
  return id;
}

// ---- buffered output ------------------------------------------------------------------------------

TPDFBufferedStream::TPDFBufferedStream(std::unique_ptr<TStream> target, std::size_t bufferSize,
                                       UnicodeString fileName)
    : FTarget(std::move(target)), FFileName(std::move(fileName)), FLimit(bufferSize) {
  FBuffer.reserve(FLimit);
}

TPDFBufferedStream::~TPDFBufferedStream() {
  try {
    Flush();
  } catch (...) {
  }
}

std::int64_t TPDFBufferedStream::Read(void* buffer, std::int64_t count) {
  Flush();
  std::int64_t r = FTarget->Read(buffer, count);
  if (r > 0) FFlushed += r;
  return r;
}

std::int64_t TPDFBufferedStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  if (FBuffer.size() + static_cast<std::size_t>(count) > FLimit) {
    Flush();
    if (static_cast<std::size_t>(count) >= FLimit) {
      errno = 0;
      std::int64_t w = FTarget->Write(buffer, count);
      if (w != count) WriteFailed(errno);
      FFlushed += count;
      return count;
    }
  }
  FBuffer.append(static_cast<const char*>(buffer), static_cast<std::size_t>(count));
  return count;
}

std::int64_t TPDFBufferedStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t pos = FFlushed + static_cast<std::int64_t>(FBuffer.size());
  if ((origin == soCurrent && offset == 0) || (origin != soCurrent && offset == pos)) return pos;
  Flush();
  std::int64_t r = FTarget->Seek(offset, origin);
  FFlushed = r;
  return r;
}

void TPDFBufferedStream::Flush() {
  if (FBuffer.empty()) return;
  std::int64_t n = static_cast<std::int64_t>(FBuffer.size());
  errno = 0;
  std::int64_t w = FTarget->Write(FBuffer.data(), n);
  const int error = errno;
  FBuffer.clear();
  FFlushed += n;
  if (w != n) WriteFailed(error);
}

void TPDFBufferedStream::WriteFailed(int error) const {
  if (FFileName.empty()) throw EWriteError("Stream write error");
  const UnicodeString reason = error ? Utf8ToUnicode(std::strerror(error)) : UnicodeString(u"Stream write error");
  throw EWriteError(Format(u"Cannot write file \"%s\". %s", {FFileName, reason}));
}
