// Document-level navigation: actions (URI and JavaScript) kept by their manager, the outline
// tree, and the name trees of named destinations, document JavaScript and embedded files.
#pragma once

#include <string>
#include <vector>

#include "pdf/PDFEngine.h"
#include "platform/graphics/Graphics.h"

class TPDFPages;
class TPDFActions;

class TPDFAction : public TPDFObject {
 public:
  explicit TPDFAction(TPDFActions* owner);
  TPDFAction* Next = nullptr;  // the next action of a chain (not owned)
  void Save() override;

 protected:
  virtual std::string ActionEntry() = 0;
  TPDFActions* FOwner;
};

class TPDFUrlAction : public TPDFAction {
 public:
  TPDFUrlAction(TPDFActions* owner, std::string url) : TPDFAction(owner), FUrl(std::move(url)) {}
  const std::string& Url() const { return FUrl; }

 protected:
  std::string ActionEntry() override;

 private:
  std::string FUrl;
};

class TPDFJavaScriptAction : public TPDFAction {
 public:
  TPDFJavaScriptAction(TPDFActions* owner, std::string script)
      : TPDFAction(owner), FJavaScript(std::move(script)) {}

 protected:
  std::string ActionEntry() override;

 private:
  std::string FJavaScript;
};

// A jump to a page of the document, its top at topOffset (canvas units) from the page's top:
// what outline nodes use to lead to their pages.
class TPDFGoToPageAction : public TPDFAction {
 public:
  TPDFGoToPageAction(TPDFActions* owner, int pageIndex, int topOffset = 0)
      : TPDFAction(owner), FPageIndex(pageIndex), FTopOffset(topOffset) {}

 protected:
  std::string ActionEntry() override;

 private:
  int FPageIndex, FTopOffset;
};

class TPDFActions : public TPDFListManager {
 public:
  TPDFActions(TPDFEngine* engine, TPDFPages* pages) : TPDFListManager(engine), FPages(pages) {}
  // Actions add themselves when they are created; the manager owns them.
  void Register(TPDFAction* a) { Add(a); }
  TPDFPages* Pages() const { return FPages; }

 private:
  TPDFPages* FPages;
};

class TPDFOutlines;

class TPDFOutlineNode : public TPDFObject {
 public:
  TPDFOutlineNode(TPDFOutlines* owner, TPDFOutlineNode* parent, UnicodeString title,
                  TPDFAction* action = nullptr);
  // Deletes the children first, unlinks the node from its siblings, its parent and the manager,
  // and frees it.
  void Delete();
  void DeleteChildren();
  TPDFOutlineNode* GetFirstChild() const;
  TPDFOutlineNode* GetLastChild() const;
  TPDFOutlineNode* GetNext() const;
  TPDFOutlineNode* GetPrev() const;
  int Count() const { return static_cast<int>(FChild.size()); }
  bool HasChildren() const { return !FChild.empty(); }
  TPDFOutlineNode* Parent() const { return FParent; }
  TPDFOutlineNode* PrevSibling() const { return FPrev; }
  TPDFOutlineNode* NextSibling() const { return FNext; }
  bool Expanded = false;
  TColor Color = 0;
  TFontStyles Style;
  TPDFAction* Action = nullptr;
  UnicodeString Title;
  void Save() override;

 private:
  friend class TPDFOutlines;
  TPDFOutlines* FOwner;
  TPDFOutlineNode* FParent;
  TPDFOutlineNode* FPrev = nullptr;
  TPDFOutlineNode* FNext = nullptr;
  std::vector<TPDFOutlineNode*> FChild;
};

class TPDFOutlines : public TPDFManager {
 public:
  explicit TPDFOutlines(TPDFEngine* engine) : TPDFManager(engine) {}
  ~TPDFOutlines() override { TPDFOutlines::Clear(); }
  // A node appended as the last child of parent (nil: at the top level).
  TPDFOutlineNode* Add(TPDFOutlineNode* parent, const UnicodeString& title,
                       TPDFAction* action = nullptr);
  TPDFOutlineNode* GetItem(int index) const { return FList[index]; }
  int Count() const { return static_cast<int>(FList.size()); }
  void Clear() override;
  int GetCount() override { return Count(); }
  void Save() override;

 private:
  friend class TPDFOutlineNode;
  std::vector<TPDFOutlineNode*> FList;
};

struct TPDFJavaScriptFunction {
  int ID = 0;
  std::string Body, Name, Params;
};
struct TPDFNamedDestination {
  std::string Dest;
  int Page = 0;
  int TopOffset = 0;  // canvas units
  int ID = 0;
};
struct TPDFEmbeddedFile {
  UnicodeString Title, FileName;
  int ID = 0;
};

class TPDFNames : public TPDFManager {
 public:
  TPDFNames(TPDFEngine* engine, TPDFPages* pages) : TPDFManager(engine), FPages(pages) {}
  void AddNamedDestination(const std::string& dest, int page, int topOffset);
  void AddJavaScript(const std::string& name, const std::string& params, const std::string& body);
  void AddEmbeddedFile(const UnicodeString& title, const UnicodeString& fileName);
  int GetCount() override;
  void Clear() override;
  void Save() override;

 private:
  void SaveDestinations(int& treeID);
  void SaveJavaScripts(int& treeID);
  void SaveEmbeddedFiles(int& treeID);
  TPDFPages* FPages;
  std::vector<TPDFJavaScriptFunction> FJavaScripts;
  std::vector<TPDFNamedDestination> FNamedDestinations;
  std::vector<TPDFEmbeddedFile> FEmbeddedFiles;
};
