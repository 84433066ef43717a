// Graphic holders and the per-document graphic cache. A holder can drop its decoded graphic and
// keep only the saved (encoded) bytes, decoding again when the graphic is next asked for; the
// cache lists the holders whose graphics are decoded, least recently used first, and drops the
// oldest when full. The thumbnail cache bounds how many objects keep a resampled copy.
#pragma once

#include <memory>

#include "engine/foundation/RVClasses.h"
#include "platform/base/Classes.h"
#include "platform/graphics/Pictures.h"

class TRVGraphicCache;

enum TRVGraphicHolderOption { rvghoShared, rvghoTransparent, rvghoSupportsThumbnails };
using TRVGraphicHolderOptions = TSet<TRVGraphicHolderOption, 3>;

// Process-wide default size of new graphic caches.
extern int GraphicCacheMaxCount;
// Process-wide size of thumbnail caches; negative turns them off.
extern int ThumbnailCacheMaxCount;

// States: empty (no graphic, no stream), active (graphic, no stream), inactive (stream only).
class TRVGraphicHolder : public TPersistent {
  TAVRELO_PERSISTENT(TRVGraphicHolder, TPersistent)
 public:
  explicit TRVGraphicHolder(TRVGraphicCache* Cache);
  TRVGraphicHolder(const TRVGraphicHolder&) = delete;
  TRVGraphicHolder& operator=(const TRVGraphicHolder&) = delete;
  ~TRVGraphicHolder() override;

  // Decodes the graphic when needed and marks it most recently used. Null when the holder is
  // empty or its saved bytes cannot be decoded (it then stays inactive).
  TGraphic* GetGraphic() { return GetGraphicEx(true); }
  // As GetGraphic; UpdatePositionInCache chooses whether a listed holder moves to the recent end.
  TGraphic* GetGraphicEx(bool UpdatePositionInCache);
  // The field as it is, without decoding.
  TGraphic* GetGraphicAsIs() const { return FGraphic; }
  // Decodes without touching the cache; FinalizeGetGraphicTemporary drops the graphic again
  // when it was not decoded before.
  void GetGraphicTemporary(TGraphic*& Graphic, bool& WasActive);
  void FinalizeGetGraphicTemporary(bool WasActive);
  // Takes Value (owned unless shared); the old graphic is freed unless shared.
  void SetGraphic(TGraphic* Value);
  // Stores Value without freeing the current graphic, which stays the caller's.
  void ReplaceGraphic(TGraphic* Value);

  bool GetShared() const { return FOptions.Contains(rvghoShared); }
  void SetShared(bool Value);
  int GetWidth();
  int GetHeight();
  bool GetTransparent() const;
  void SetTransparent(bool Value);
  TTransparentMode GetTransparentMode() const;
  void SetTransparentMode(TTransparentMode Value);
  TColor GetTransparentColor() const;
  void SetTransparentColor(TColor Value);
  TGraphicClass GetGraphicClass() const;
  // True when the graphic's class is Cls or inherits from it.
  bool IsImageOfClass(TGraphicClass Cls) const;
  bool IsEmpty();
  bool SupportsThumbnails() const;
  TRVGraphicCache* GetCache() const { return FCache; }
  void ChangeCache(TRVGraphicCache* NewCache);
  TRVGraphicHolderOptions GetOptions() const { return FOptions; }

  // Copies another holder; anything else is the base class's assignment.
  void Assign(TPersistent* Source) override;
  // The saved graphic; with IncludeSize preceded by its 32-bit length.
  void SaveToStream(TStream& Stream, bool IncludeSize);
  void SaveToFile(const UnicodeString& FileName);
  // The saved graphic as hexadecimal text, two upper-case digits a byte.
  TRVAnsiString SaveToString();

 private:
  friend class TRVGraphicCache;
  bool IsActive() const { return FGraphic != nullptr; }
  void FreeGraphic();
  // Decodes the saved bytes; with AddToCache enters the cache afterwards.
  void Activate(bool AddToCache, bool UpdatePosition);
  // Saves and drops the graphic; with RemoveFromCache leaves the cache afterwards.
  void Deactivate(bool RemoveFromCache);
  void EnterCache(bool UpdatePosition);
  void LeaveCache();

  TRVGraphicCache* FCache;
  TGraphic* FGraphic = nullptr;  // owned unless rvghoShared
  TGraphicClass FGraphicClass = nullptr;
  int FWidth = 0, FHeight = 0;
  std::unique_ptr<TRVMemoryStream> FStream;
  TRVGraphicHolderOptions FOptions;
  TTransparentMode FTransparentMode = tmAuto;
  TColor FTransparentColor = clDefault;
};

// The holders whose graphics are decoded, least recently used first. Does not own them.
class TRVGraphicCache : public TList {
 public:
  TRVGraphicCache();
  // Lists a holder (see the holder's rules for when it is called): negative MaxCount does
  // nothing; a listed holder moves to the recent end with UpdatePosition; otherwise, when full,
  // the least recently used holder drops its graphic and leaves, and the holder is appended.
  void AddImage(TRVGraphicHolder* Item, bool UpdatePosition);
  // True when the holder was listed.
  bool RemoveImage(TRVGraphicHolder* Item);
  TRVGraphicHolder* GetItem(int Index) const { return static_cast<TRVGraphicHolder*>(Get(Index)); }
  // Negative: the cache is off; 0: it accepts no holder.
  int MaxCount;
};

// What the thumbnail cache asks of its entries: picture items and documents with a background
// thumbnail. (A stand-in until those classes exist above this layer; they implement it with
// FreeThumbnail and FreeBackgroundThumbnail.)
class IRVThumbnailOwner {
 public:
  virtual void FreeCachedThumbnail() = 0;

 protected:
  ~IRVThumbnailOwner() = default;
};

// The objects that keep a thumbnail, least recently used first. Does not own them.
class TRVThumbnailCache : public TList {
 public:
  TRVThumbnailCache();
  void AddThumbnail(IRVThumbnailOwner* Item);
  // Forgets the entry without touching its thumbnail.
  void RemoveThumbnail(IRVThumbnailOwner* ImageOwner);
  IRVThumbnailOwner* GetItem(int Index) const { return static_cast<IRVThumbnailOwner*>(Get(Index)); }
  int MaxCount;
};
