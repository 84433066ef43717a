#include "engine/document/RVLayoutInfo.h"

#include <filesystem>

#include "engine/foundation/RVError.h"
#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVUni.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/RVStyle.h"

void TRVLayoutInfo::SaveToStream(TStream* Stream, bool IncludeSize, bool OnlyPageInfo) const {
  const bool flags = FirstParaAborted != 0 || LastParaAborted != 0;
  const std::int32_t payload = (OnlyPageInfo ? 0 : 25) + (flags ? 16 : 0);
  if (IncludeSize) Stream->WriteValue<std::int32_t>(payload + 8);
  Stream->WriteValue<std::int32_t>(OnlyPageInfo ? 1 : 0);
  Stream->WriteValue<std::int32_t>(payload);
  if (!OnlyPageInfo) {
    for (int v : {LeftMargin, RightMargin, TopMargin, BottomMargin, MinTextWidth, MaxTextWidth})
      Stream->WriteValue<std::int32_t>(v);
    Stream->WriteValue<std::uint8_t>(BiDiMode);
  }
  if (flags)
    for (int v : {FirstParaAborted, LastParaAborted, FirstMarkerListNo, FirstMarkerLevel})
      Stream->WriteValue<std::int32_t>(v);
}

void TRVLayoutInfo::LoadFromStream(TStream* Stream, bool IncludeSize) {
  auto left = [Stream] { return Stream->GetSize() - Stream->GetPosition(); };
  if (left() < (IncludeSize ? 12 : 8)) throw EViroZereError("Invalid RVF format");
  if (IncludeSize) Stream->ReadValue<std::int32_t>();
  const std::int32_t kind = Stream->ReadValue<std::int32_t>();
  std::int32_t payload = Stream->ReadValue<std::int32_t>();
  if (payload < 0 || payload > left()) throw EViroZereError("Invalid RVF format");
  if (kind == 0) {
    if (payload < 25) throw EViroZereError("Invalid RVF format");
    int* v[] = {&LeftMargin, &RightMargin, &TopMargin, &BottomMargin, &MinTextWidth, &MaxTextWidth};
    for (int* p : v) *p = Stream->ReadValue<std::int32_t>();
    const std::uint8_t b = Stream->ReadValue<std::uint8_t>();
    BiDiMode = b <= rvbdRightToLeft ? static_cast<TRVBiDiMode>(b) : rvbdUnspecified;
    payload -= 25;
  }
  if (payload > 15) {
    FirstParaAborted = Stream->ReadValue<std::int32_t>();
    LastParaAborted = Stream->ReadValue<std::int32_t>();
    FirstMarkerListNo = Stream->ReadValue<std::int32_t>();
    FirstMarkerLevel = Stream->ReadValue<std::int32_t>();
    payload -= 16;
  }
  if (payload > 0) Stream->Seek(payload, soCurrent);
  Loaded = true;
}

void TRVLayoutInfo::SaveTextToStream(TStream* Stream, bool OnlyPageInfo) const {
  TMemoryStream m;
  SaveToStream(&m, false, OnlyPageInfo);
  WriteRVFLine(Stream, StreamToHex(&m));
}

void TRVLayoutInfo::LoadText(const TRVRawByteString& S) {
  TMemoryStream m;
  if (!HexToStream(S, &m)) throw EViroZereError("Invalid RVF format");
  m.Seek(0, soBeginning);
  LoadFromStream(&m, false);
}

void TRVLayoutInfo::LoadBinary(const TRVRawByteString& S) {
  TMemoryStream m;
  m.WriteBuffer(S.data(), static_cast<std::int64_t>(S.size()));
  m.Seek(0, soBeginning);
  LoadFromStream(&m, false);
}

TRVAnsiString EncodeTextUTF8OrCodePage(const TRVUnicodeString& Text, bool UTF8, TRVCodePage CodePage) {
  return UTF8 ? UnicodeToUtf8(Text) : UnicodeToAnsiCP(CodePage, Text);
}

TRVAnsiString EncodeTextForStyleSheet(const TRVUnicodeString& Text, const TRVSaveOptions& SaveOptions,
                                      TRVStyle* RVStyle) {
  return EncodeTextUTF8OrCodePage(Text, SaveOptions.Contains(rvsoUTF8), RVStyle ? RVStyle->DefCodePage : 0);
}

bool TextStyleFitsFormat(TRVStyle* RVStyle, int StyleNo, int CodeOption) {
  if (!RVStyle) return true;
  TRVTextOptions codes = RVStyle->TextStyles()->Items(StyleNo)->Options;
  codes.Exclude(rvteoHidden);
  return codes.Empty() || (codes.Count() == 1 && codes.Contains(static_cast<TRVTextOption>(CodeOption)));
}

void SplitURLAnchor(TRVUnicodeString& Target, TRVUnicodeString& Anchor) {
  Anchor.clear();
  if (!Target.empty() && Target[0] == u'#') {
    Anchor = Target.substr(1);
    Target.clear();
    return;
  }
  std::size_t from = 0;
  for (std::size_t p = Target.find(u'#'); p != TRVUnicodeString::npos; p = Target.find(u'#', p + 1)) {
    if (Target.substr(from, p - from).find(u'.') != TRVUnicodeString::npos) {
      Anchor = Target.substr(p + 1);
      Target.resize(p);
      return;
    }
    from = p + 1;
  }
}

void CheckEvenByteCount(long long N) {
  if (N % 2 != 0) throw EViroZereError("Can't perform Unicode operation");
}

TRVUnicodeString GetNextFileNameBase(const TRVUnicodeString& ImagesPrefix, const TRVUnicodeString& Path,
                                     const TRVUnicodeString& Ext, int& imgSaveNo, bool OverrideFiles) {
  const TRVUnicodeString base = ImagesPrefix.find(u':') != TRVUnicodeString::npos ? ImagesPrefix : Path + ImagesPrefix;
  for (;;) {
    ++imgSaveNo;
    const TRVUnicodeString name = base + IntToStr(imgSaveNo) + Ext;
    if (!FileExists(name)) return name;
    if (OverrideFiles) {
      std::error_code ec;
      const auto perms = std::filesystem::status(std::filesystem::path(UnicodeToUtf8(name)), ec).permissions();
      if (!ec && (perms & std::filesystem::perms::owner_write) != std::filesystem::perms::none) return name;
    }
  }
}
