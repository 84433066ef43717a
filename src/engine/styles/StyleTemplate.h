// Style templates: named, inheritable formatting definitions. A template is applied to the text
// and paragraph styles of the sheet, which remember the template (StyleTemplateId) and the
// properties changed on top of it (ModifiedProperties).
#pragma once

#include <memory>
#include <vector>

#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"

enum TRVStyleTemplateKind : std::uint8_t { rvstkParaText, rvstkPara, rvstkText };
using TRVStyleTemplateKinds = TSet<TRVStyleTemplateKind, 3>;

class TRVStyleTemplate;
class TRVStyleTemplateCollection;

// The text properties of a template. It lives outside any collection and answers the sheet of
// its template's collection.
class TRVSTFontInfo : public TCustomRVFontInfo {
  TAVRELO_PERSISTENT(TRVSTFontInfo, TCustomRVFontInfo)
 public:
  explicit TRVSTFontInfo(TRVStyleTemplate* AOwner = nullptr) : TCustomRVFontInfo(nullptr), FOwner(AOwner) {}
  TPersistent* GetOwner() const override;
  TRVStyle* GetRVStyle() const override;

 private:
  TRVStyleTemplate* FOwner;
};

class TRVSTParaInfo : public TCustomRVParaInfo {
  TAVRELO_PERSISTENT(TRVSTParaInfo, TCustomRVParaInfo)
 public:
  explicit TRVSTParaInfo(TRVStyleTemplate* AOwner = nullptr) : TCustomRVParaInfo(nullptr), FOwner(AOwner) {}
  TPersistent* GetOwner() const override;
  TRVStyle* GetRVStyle() const override;

 private:
  TRVStyleTemplate* FOwner;
};

class TRVStyleTemplate : public TCollectionItem {
  TAVRELO_PERSISTENT(TRVStyleTemplate, TCollectionItem)
 public:
  explicit TRVStyleTemplate(TCollection* ACollection);
  ~TRVStyleTemplate() override;

  void Assign(TPersistent* Source) override;
  UnicodeString GetDisplayName() const override { return FName; }
  void DefineProperties(TFiler& Filer) override;

  TRVStyleTemplateCollection* GetTemplates() const;
  // The Id, drawn on first read so that it differs from every other template's.
  TRVStyleTemplateId GetId();
  void SetIdUnlinked(TRVStyleTemplateId Value) { FId = Value; }
  const TRVStyleTemplateName& GetName() const { return FName; }
  void SetName(const TRVStyleTemplateName& Value);
  TRVStyleTemplateId GetParentId() const { return FParentId; }
  // Links to the parent at once outside loading; a parent of the wrong kind or one that would
  // close a circle raises EViroZereError and leaves the template without a parent.
  void SetParentId(TRVStyleTemplateId Value);
  TRVStyleTemplateId GetNextId() const { return FNextId; }
  void SetNextId(TRVStyleTemplateId Value);
  TRVStyleTemplateKind GetKind() const { return FKind; }
  void SetKind(TRVStyleTemplateKind Value);
  TRVStyleTemplate* GetParent() const { return FParent; }
  TRVStyleTemplate* GetNext() const { return FNext; }
  const std::vector<TRVStyleTemplate*>& GetChildren() const { return FChildren; }
  TRVSTFontInfo* TextStyle() const { return FTextStyle.get(); }
  TRVSTParaInfo* ParaStyle() const { return FParaStyle.get(); }

  bool IsAncestorFor(const TRVStyleTemplate* StyleTemplate) const;
  TRVTabInfos* GetTabs() const;

  // These four accept a nil template (Self): they are the rules for styles with no template.
  static void ApplyToTextStyle(TRVStyleTemplate* Self, TCustomRVFontInfo* ATextStyle,
                               TRVStyleTemplate* ParaStyleTemplate);
  static void ApplyToParaStyle(TRVStyleTemplate* Self, TCustomRVParaInfo* AParaStyle);
  static void UpdateModifiedTextStyleProperties(TRVStyleTemplate* Self, TCustomRVFontInfo* ATextStyle,
                                                TRVStyleTemplate* ParaStyleTemplate);
  static void UpdateModifiedParaStyleProperties(TRVStyleTemplate* Self, TCustomRVParaInfo* AParaStyle);
  void ApplyToTextStyle(TCustomRVFontInfo* ATextStyle, TRVStyleTemplate* ParaStyleTemplate) {
    ApplyToTextStyle(this, ATextStyle, ParaStyleTemplate);
  }
  void ApplyToParaStyle(TCustomRVParaInfo* AParaStyle) { ApplyToParaStyle(this, AParaStyle); }

  void SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs);
  void LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs);

  bool QuickAccess = true;
  TRVFontInfoProperties ValidTextProperties;
  TRVParaInfoProperties ValidParaProperties;

 protected:
  void AssignTo(TPersistent* Dest) override;

 private:
  friend class TRVStyleTemplateCollection;
  bool LinkingActive() const;
  // Drops the links to and from this template (those kept by the collection when given).
  void Unlink(TRVStyleTemplateCollection* Collection);
  void AdjustKindToName();
  void AddChild(TRVStyleTemplate* Child);
  void RemoveChild(TRVStyleTemplate* Child);
  void SetParentLink(TRVStyleTemplate* NewParent);
  TRVFontInfoProperties ApplyTextChain(TCustomRVFontInfo* S, const TRVFontInfoProperties& M, bool Defaults);

  TRVStyleTemplateName FName;
  TRVStyleTemplateId FId = 0;
  TRVStyleTemplateId FParentId = -1;
  TRVStyleTemplateId FNextId = -1;
  TRVStyleTemplateKind FKind = rvstkParaText;
  std::unique_ptr<TRVSTFontInfo> FTextStyle;
  std::unique_ptr<TRVSTParaInfo> FParaStyle;
  TRVStyleTemplate* FParent = nullptr;
  TRVStyleTemplate* FNext = nullptr;
  std::vector<TRVStyleTemplate*> FChildren;
};

class TRVStyleTemplateCollection : public TCollection {
  TAVRELO_PERSISTENT(TRVStyleTemplateCollection, TCollection)
 public:
  explicit TRVStyleTemplateCollection(TPersistent* AOwner);
  ~TRVStyleTemplateCollection() override;
  TPersistent* GetOwner() const override { return FOwner; }

  TRVStyleTemplate* Add() { return static_cast<TRVStyleTemplate*>(TCollection::Add()); }
  TRVStyleTemplate* Items(int Index) const { return static_cast<TRVStyleTemplate*>(GetItem(Index)); }
  int FindById(TRVStyleTemplateId Id) const;
  TRVStyleTemplate* FindItemById(TRVStyleTemplateId Id) const;
  int FindByName(const TRVStyleTemplateName& Name) const;
  TRVStyleTemplate* FindItemByName(const TRVStyleTemplateName& Name) const;
  void ResetNameCounter() { NameCounter = 0; }
  TRVStyleTemplateName GetUniqueName(const TRVStyleTemplate* IgnoreItem);
  TRVStyleTemplateName MakeNameUnique(const TRVStyleTemplateName& Name) const;
  void Assign(TPersistent* Source) override;
  void AssignStyleTemplates(TRVStyleTemplateCollection* Source, bool CopyIds);
  void MergeWith(TRVStyleTemplateCollection* Value, TRVIntegerList* Map);
  void UpdateReferences();
  void ClearTextFormat(TCustomRVFontInfo* ATextStyle);
  void ClearParaFormat(TCustomRVParaInfo* AParaStyle);
  void ConvertToDifferentUnits(TRVStyleUnits NewUnits);
  void SaveToINI(TCustomIniFile* ini, const UnicodeString& Section);
  void LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section);

  TRVStyleTemplate* NormalStyleTemplate() const { return FNormalStyleTemplate; }
  // Ids that new templates must not take; created on first read.
  TRVIntegerList* ForbiddenIds();
  bool HasForbiddenIds() const { return FForbiddenIds != nullptr; }

  int NameCounter = 0;
  UnicodeString DefStyleName = u"Style %d";

 protected:
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

 private:
  friend class TRVStyleTemplate;
  TPersistent* FOwner;
  // Set while templates are made only to take names from elsewhere (loading, copying).
  bool FNoUniqueNames = false;
  // Set while every template goes: nobody is left to be told about references.
  bool FClearing = false;
  void ClearTemplates();
  TRVStyleTemplate* FNormalStyleTemplate = nullptr;
  std::unique_ptr<TRVIntegerList> FForbiddenIds;
};
