#include "engine/foundation/RVGraphicHolder.h"

#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVGrHandler.h"
#include "engine/foundation/RVThumbnailMaker.h"

int GraphicCacheMaxCount = 100;
int ThumbnailCacheMaxCount = 50;

// ---- holder ---------------------------------------------------------------------------------

const TClassInfo& TRVGraphicHolder::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TRVGraphicHolder>(u"TRVGraphicHolder", &TPersistent::StaticClassInfo()).Build();
  return info;
}

TRVGraphicHolder::TRVGraphicHolder(TRVGraphicCache* Cache) : FCache(Cache) {}

TRVGraphicHolder::~TRVGraphicHolder() {
  if (!GetShared() && IsActive()) LeaveCache();
  FreeGraphic();
}

void TRVGraphicHolder::FreeGraphic() {
  if (!GetShared()) delete FGraphic;
  FGraphic = nullptr;
}

void TRVGraphicHolder::EnterCache(bool UpdatePosition) {
  if (FCache && FGraphic && !GetShared()) FCache->AddImage(this, UpdatePosition);
}

void TRVGraphicHolder::LeaveCache() {
  if (FCache) FCache->RemoveImage(this);
}

void TRVGraphicHolder::Activate(bool AddToCache, bool UpdatePosition) {
  if (FGraphic || !FStream) return;
  std::unique_ptr<TGraphic> graphic = GraphicHandler->CreateGraphic(FGraphicClass);
  if (!graphic) return;
  try {
    FStream->SetPosition(0);
    graphic->LoadFromStream(*FStream);
  } catch (const std::exception&) {
    // Saved bytes that no longer decode: stay inactive rather than lose them.
    return;
  }
  graphic->SetTransparent(FOptions.Contains(rvghoTransparent));
  if (auto* bitmap = dynamic_cast<TBitmap*>(graphic.get())) bitmap->SetTransparentMode(FTransparentMode);
  FGraphic = graphic.release();
  FStream.reset();
  if (AddToCache) EnterCache(UpdatePosition);
}

void TRVGraphicHolder::Deactivate(bool RemoveFromCache) {
  if (!FGraphic || GetShared()) return;
  auto stream = std::make_unique<TRVMemoryStream>();
  try {
    FGraphic->SaveToStream(*stream);
  } catch (const std::exception&) {
    return;  // the graphic cannot be saved: keep it decoded
  }
  FGraphicClass = FGraphic->ClassType();
  GraphicHandler->PrepareGraphic(FGraphic);
  FWidth = FGraphic->GetWidth();
  FHeight = FGraphic->GetHeight();
  if (FGraphic->GetTransparent()) FOptions.Include(rvghoTransparent);
  else FOptions.Exclude(rvghoTransparent);
  if (ThumbnailMaker->IsAllowedFor(FGraphic)) FOptions.Include(rvghoSupportsThumbnails);
  else FOptions.Exclude(rvghoSupportsThumbnails);
  if (auto* bitmap = dynamic_cast<TBitmap*>(FGraphic)) FTransparentMode = bitmap->GetTransparentMode();
  FreeGraphic();
  FStream = std::move(stream);
  if (RemoveFromCache) LeaveCache();
}

TGraphic* TRVGraphicHolder::GetGraphicEx(bool UpdatePositionInCache) {
  Activate(false, false);
  EnterCache(UpdatePositionInCache);
  return FGraphic;
}

void TRVGraphicHolder::GetGraphicTemporary(TGraphic*& Graphic, bool& WasActive) {
  WasActive = IsActive();
  Activate(false, false);
  Graphic = FGraphic;
}

void TRVGraphicHolder::FinalizeGetGraphicTemporary(bool WasActive) {
  if (!WasActive) Deactivate(false);
}

void TRVGraphicHolder::SetGraphic(TGraphic* Value) {
  FStream.reset();
  if (Value == FGraphic) return;
  const bool wasActive = IsActive();
  FreeGraphic();
  FGraphic = Value;
  if (GetShared()) return;
  if (wasActive && !Value) LeaveCache();
  else if (!wasActive && Value) EnterCache(true);
}

void TRVGraphicHolder::ReplaceGraphic(TGraphic* Value) {
  // The caller keeps the current graphic. A graphic only decoded for this call would have no
  // owner at all, so an inactive holder just drops its saved bytes instead of decoding them.
  if (!IsActive()) FStream.reset();
  if (Value == FGraphic) return;
  FGraphic = Value;
  if (GetShared()) return;
  if (Value) EnterCache(true);
  else LeaveCache();
}

void TRVGraphicHolder::SetShared(bool Value) {
  if (Value == GetShared()) return;
  if (Value) {
    Activate(false, false);
    LeaveCache();
    FOptions.Include(rvghoShared);
  } else {
    FOptions.Exclude(rvghoShared);
    EnterCache(false);
  }
}

int TRVGraphicHolder::GetWidth() {
  if (!FGraphic) return FStream ? FWidth : 0;
  GraphicHandler->PrepareGraphic(FGraphic);
  return FGraphic->GetWidth();
}

int TRVGraphicHolder::GetHeight() {
  if (!FGraphic) return FStream ? FHeight : 0;
  GraphicHandler->PrepareGraphic(FGraphic);
  return FGraphic->GetHeight();
}

bool TRVGraphicHolder::GetTransparent() const {
  return FGraphic ? FGraphic->GetTransparent() : FOptions.Contains(rvghoTransparent);
}

void TRVGraphicHolder::SetTransparent(bool Value) {
  if (FGraphic) FGraphic->SetTransparent(Value);
  else if (Value) FOptions.Include(rvghoTransparent);
  else FOptions.Exclude(rvghoTransparent);
}

TTransparentMode TRVGraphicHolder::GetTransparentMode() const {
  if (auto* bitmap = dynamic_cast<TBitmap*>(FGraphic)) return bitmap->GetTransparentMode();
  return FTransparentMode;
}

void TRVGraphicHolder::SetTransparentMode(TTransparentMode Value) {
  if (auto* bitmap = dynamic_cast<TBitmap*>(FGraphic)) bitmap->SetTransparentMode(Value);
  else FTransparentMode = Value;
}

TColor TRVGraphicHolder::GetTransparentColor() const {
  if (auto* bitmap = dynamic_cast<TBitmap*>(FGraphic)) return bitmap->GetTransparentColor();
  return FTransparentColor;
}

void TRVGraphicHolder::SetTransparentColor(TColor Value) {
  if (auto* bitmap = dynamic_cast<TBitmap*>(FGraphic)) bitmap->SetTransparentColor(Value);
  else FTransparentColor = Value;
}

TGraphicClass TRVGraphicHolder::GetGraphicClass() const {
  if (FGraphic) return FGraphic->ClassType();
  return FStream ? FGraphicClass : nullptr;
}

bool TRVGraphicHolder::IsImageOfClass(TGraphicClass Cls) const {
  const TGraphicClass cls = GetGraphicClass();
  return cls && Cls && cls->InheritsFrom(Cls);
}

bool TRVGraphicHolder::IsEmpty() {
  if (!FGraphic && !FStream) return true;
  return GetWidth() == 0 && GetHeight() == 0;
}

bool TRVGraphicHolder::SupportsThumbnails() const {
  if (FGraphic) return ThumbnailMaker->IsAllowedFor(FGraphic);
  return FOptions.Contains(rvghoSupportsThumbnails);
}

void TRVGraphicHolder::ChangeCache(TRVGraphicCache* NewCache) {
  if (NewCache == FCache) return;
  const bool listed = IsActive() && !GetShared();
  if (listed) LeaveCache();
  FCache = NewCache;
  if (listed) EnterCache(false);
}

void TRVGraphicHolder::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TRVGraphicHolder*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  if (source == this) return;  // would free what it is about to copy
  if (!GetShared() && IsActive()) LeaveCache();
  FreeGraphic();
  FStream.reset();
  if (source->GetShared()) FOptions.Include(rvghoShared);
  else FOptions.Exclude(rvghoShared);
  if (source->FStream) {
    FWidth = source->FWidth;
    FHeight = source->FHeight;
    FTransparentMode = source->FTransparentMode;
    FGraphicClass = source->FGraphicClass;
    // The thumbnail answer is kept with the saved form as well; without it an inactive copy
    // would report whatever this holder held before.
    for (TRVGraphicHolderOption o : {rvghoTransparent, rvghoSupportsThumbnails}) {
      if (source->FOptions.Contains(o)) FOptions.Include(o);
      else FOptions.Exclude(o);
    }
    FStream = std::make_unique<TRVMemoryStream>();
    FStream->CopyFrom(*source->FStream, 0);
  } else if (source->FGraphic) {
    if (GetShared()) {
      FGraphic = source->FGraphic;
    } else {
      std::unique_ptr<TGraphic> graphic = GraphicHandler->CreateGraphic(source->FGraphic->ClassType());
      if (!graphic) return;
      graphic->Assign(source->FGraphic);
      FGraphic = graphic.release();
      EnterCache(false);
    }
  }
}

void TRVGraphicHolder::SaveToStream(TStream& Stream, bool IncludeSize) {
  if (FGraphic) {
    if (IncludeSize) WriteGraphicWithSize(&Stream, FGraphic);
    else FGraphic->SaveToStream(Stream);
    return;
  }
  const std::int32_t size = FStream ? static_cast<std::int32_t>(FStream->GetSize()) : 0;
  if (IncludeSize) Stream.WriteValue<std::int32_t>(size);
  if (size > 0) Stream.WriteBuffer(FStream->Memory(), size);
}

void TRVGraphicHolder::SaveToFile(const UnicodeString& FileName) {
  TFileStream file(FileName, fmCreate);
  SaveToStream(file, false);
}

TRVAnsiString TRVGraphicHolder::SaveToString() {
  TRVMemoryStream stream;
  SaveToStream(stream, false);
  return AnsiToHex(TRVRawByteString(static_cast<const char*>(stream.Memory()),
                                    static_cast<std::size_t>(stream.GetSize())));
}

// ---- graphic cache --------------------------------------------------------------------------

TRVGraphicCache::TRVGraphicCache() : MaxCount(GraphicCacheMaxCount > 3 ? GraphicCacheMaxCount : 3) {}

void TRVGraphicCache::AddImage(TRVGraphicHolder* Item, bool UpdatePosition) {
  if (MaxCount < 0) return;
  const int index = IndexOf(Item);
  if (index >= 0) {
    if (UpdatePosition) Move(index, Count() - 1);
    return;
  }
  if (MaxCount > 0 && Count() >= MaxCount) {
    // More than MaxCount listed only when MaxCount was lowered meanwhile: drop the excess too.
    while (Count() >= MaxCount) {
      TRVGraphicHolder* oldest = GetItem(0);
      Delete(0);
      oldest->Deactivate(false);
    }
  }
  if (MaxCount > 0) Add(Item);
}

bool TRVGraphicCache::RemoveImage(TRVGraphicHolder* Item) { return Remove(Item) >= 0; }

// ---- thumbnail cache ------------------------------------------------------------------------

TRVThumbnailCache::TRVThumbnailCache() : MaxCount(ThumbnailCacheMaxCount) {}

void TRVThumbnailCache::AddThumbnail(IRVThumbnailOwner* Item) {
  if (MaxCount < 0) return;
  const int index = IndexOf(Item);
  if (index >= 0) {
    Move(index, Count() - 1);
    return;
  }
  while (MaxCount > 0 && Count() >= MaxCount) {
    IRVThumbnailOwner* oldest = GetItem(0);
    Delete(0);
    oldest->FreeCachedThumbnail();
  }
  if (MaxCount > 0) Add(Item);
}

void TRVThumbnailCache::RemoveThumbnail(IRVThumbnailOwner* ImageOwner) { Remove(ImageOwner); }
