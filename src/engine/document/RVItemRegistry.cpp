// The built-in item kinds and the registration of the kinds this library builds.
#include "engine/document/RVBreakItem.h"
#include "engine/document/RVBulletItem.h"
#include "engine/document/RVControlItem.h"
#include "engine/document/RVGraphicItem.h"
#include "engine/document/RVItem.h"
#include "engine/document/RVFieldItems.h"
#include "engine/document/RVLabelItem.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/document/RVNoteItems.h"
#include "engine/document/RVSeqItem.h"
#include "engine/document/RVTextItems.h"

TCustomRVItemInfoClass TextItemClass = TRVTextItemInfo::StaticItemClass();

TCustomRVItemInfoClass BuiltInItemClass(int StyleNo) {
  switch (StyleNo) {
    case ItemKindHorizontalLine: return TRVBreakItemInfo::StaticItemClass();
    case ItemKindTab: return TRVTabItemInfo::StaticItemClass();
    case ItemKindListMarker: return TRVMarkerItemInfo::StaticItemClass();
    case ItemKindPicture: return TRVGraphicItemInfo::StaticItemClass();
    case ItemKindHotPicture: return TRVHotGraphicItemInfo::StaticItemClass();
    case ItemKindBullet: return TRVBulletItemInfo::StaticItemClass();
    case ItemKindHotspot: return TRVHotspotItemInfo::StaticItemClass();
    case ItemKindControl: return TRVControlItemInfo::StaticItemClass();
    default: return nullptr;
  }
}

void RegisterBuiltInItemTypes() {
  static const bool done = [] {
    RegisterItemType(ItemKindLabel, TRVLabelItemInfo::StaticItemClass());
    RegisterItemType(ItemKindSequence, TRVSeqItemInfo::StaticItemClass());
    RegisterItemType(ItemKindPageNumber, TRVPageNumberItemInfo::StaticItemClass());
    RegisterItemType(ItemKindPageCount, TRVPageCountItemInfo::StaticItemClass());
    RegisterItemType(ItemKindFootnote, TRVFootnoteItemInfo::StaticItemClass());
    RegisterItemType(ItemKindEndnote, TRVEndnoteItemInfo::StaticItemClass());
    RegisterItemType(ItemKindNoteReference, TRVNoteReferenceItemInfo::StaticItemClass());
    RegisterItemType(ItemKindSidenote, TRVSidenoteItemInfo::StaticItemClass());
    RegisterItemType(ItemKindTextBox, TRVTextBoxItemInfo::StaticItemClass());
    return true;
  }();
  (void)done;
}
