#include "pdf/PDFActions.h"

#include <algorithm>
#include <cmath>

#include "pdf/PDFPages.h"
#include "platform/base/Classes.h"

// ---- actions ------------------------------------------------------------------------------------

TPDFAction::TPDFAction(TPDFActions* owner) : TPDFObject(owner->Engine()), FOwner(owner) {
  owner->Register(this);
}

void TPDFAction::Save() {
  FEngine->StartObj(ID());
  std::string s = ActionEntry() + "\r\n";
  if (Next) s += "/Next " + Next->RefID() + "\r\n";
  FEngine->SaveToStream(s, false);
  FEngine->CloseObj();
}

std::string TPDFUrlAction::ActionEntry() { return "/S /URI /URI " + CryptString(FUrl); }
std::string TPDFJavaScriptAction::ActionEntry() {
  return "/S /JavaScript /JS " + CryptString(FJavaScript);
}

std::string TPDFGoToPageAction::ActionEntry() {
  TPDFPage* page = FOwner->Pages()->GetPage(FPageIndex);  // "Out of range" aborts the document
  return "/S /GoTo /D [" + page->RefID() + " /FitH " +
         PDFIntToStr(std::lround(page->HeightPoints() - FTopOffset / page->D2P())) + "]";
}

// ---- outlines -----------------------------------------------------------------------------------

TPDFOutlineNode::TPDFOutlineNode(TPDFOutlines* owner, TPDFOutlineNode* parent, UnicodeString title,
                                 TPDFAction* action)
    : TPDFObject(nullptr), Action(action), Title(std::move(title)), FOwner(owner), FParent(parent) {
  FEngine = owner->FEngine;
}

TPDFOutlineNode* TPDFOutlineNode::GetFirstChild() const {
  for (auto* c : FChild)
    if (!c->FPrev) return c;
  return nullptr;
}

TPDFOutlineNode* TPDFOutlineNode::GetLastChild() const {
  for (auto* c : FChild)
    if (!c->FNext) return c;
  return nullptr;
}

TPDFOutlineNode* TPDFOutlineNode::GetNext() const {
  auto& l = FOwner->FList;
  auto it = std::find(l.begin(), l.end(), this);
  return (it == l.end() || it + 1 == l.end()) ? nullptr : *(it + 1);
}

TPDFOutlineNode* TPDFOutlineNode::GetPrev() const {
  auto& l = FOwner->FList;
  auto it = std::find(l.begin(), l.end(), this);
  return (it == l.end() || it == l.begin()) ? nullptr : *(it - 1);
}

void TPDFOutlineNode::DeleteChildren() {
  while (!FChild.empty()) FChild.back()->Delete();
}

void TPDFOutlineNode::Delete() {
  DeleteChildren();
  if (FPrev) FPrev->FNext = FNext;
  if (FNext) FNext->FPrev = FPrev;
  auto& l = FOwner->FList;
  l.erase(std::remove(l.begin(), l.end(), this), l.end());
  if (FParent) {
    auto& c = FParent->FChild;
    c.erase(std::remove(c.begin(), c.end(), this), c.end());
  }
  delete this;
}

void TPDFOutlineNode::Save() {
  FEngine->StartObj(ID());
  std::string s = "/Title " + CryptString(WideToPDFTextString(Title)) + "\r\n";
  if (Color != 0) {
    s += "/C [";
    for (int shift : {0, 8, 16}) {
      AppendPDFFloat(s, ((Color >> shift) & 0xFF) / 255.0L);
      s += ' ';
    }
    s += "]\r\n";
  }
  int flags = (Style.Contains(fsItalic) ? 1 : 0) | (Style.Contains(fsBold) ? 2 : 0);
  if (flags) s += "/F " + PDFIntToStr(flags) + "\r\n";
  if (HasChildren()) {
    s += Expanded ? "/Count " : "/Count -";
    s += PDFIntToStr(Count()) + "\r\n";
    if (auto* f = GetFirstChild()) s += "/First " + f->RefID() + "\r\n";
    if (auto* l = GetLastChild()) s += "/Last " + l->RefID() + "\r\n";
  }
  s += "/Parent " + (FParent ? FParent->RefID() : PDFObjectRef(FOwner->ID())) + "\r\n";
  if (FNext) s += "/Next " + FNext->RefID() + "\r\n";
  if (FPrev) s += "/Prev " + FPrev->RefID() + "\r\n";
  if (Action) s += "/A " + Action->RefID() + "\r\n";
  FEngine->SaveToStream(s, false);
  FEngine->CloseObj();
}

TPDFOutlineNode* TPDFOutlines::Add(TPDFOutlineNode* parent, const UnicodeString& title,
                                   TPDFAction* action) {
  auto* n = new TPDFOutlineNode(this, parent, title, action);
  TPDFOutlineNode* last = nullptr;
  if (parent) {
    last = parent->GetLastChild();
    parent->FChild.push_back(n);
  } else {
    for (auto* o : FList)
      if (!o->FParent && !o->FNext) last = o;
  }
  if (last) {
    last->FNext = n;
    n->FPrev = last;
  }
  FList.push_back(n);
  return n;
}

void TPDFOutlines::Clear() {
  while (!FList.empty()) FList.back()->Delete();
  TPDFManager::Clear();
}

void TPDFOutlines::Save() {
  if (FList.empty()) return;
  int root = ID();
  for (auto* n : FList) n->Save();
  FEngine->StartObj(root);
  std::string s = "/Type /Outlines\r\n/Count " + PDFIntToStr(Count()) + "\r\n";
  for (auto* n : FList) {
    if (n->FParent) continue;
    if (!n->FPrev) s += "/First " + n->RefID() + "\r\n";
    if (!n->FNext) s += "/Last " + n->RefID() + "\r\n";
  }
  FEngine->SaveToStream(s, false);
  FEngine->CloseObj();
}

// ---- name trees ---------------------------------------------------------------------------------

void TPDFNames::AddNamedDestination(const std::string& dest, int page, int topOffset) {
  FNamedDestinations.push_back({dest, page, topOffset, 0});
}

void TPDFNames::AddJavaScript(const std::string& name, const std::string& params,
                              const std::string& body) {
  FJavaScripts.push_back({0, body, name, params});
}

void TPDFNames::AddEmbeddedFile(const UnicodeString& title, const UnicodeString& fileName) {
  FEmbeddedFiles.push_back({title, fileName, 0});
}

int TPDFNames::GetCount() {
  return FJavaScripts.empty() && FNamedDestinations.empty() && FEmbeddedFiles.empty() ? 0 : 1;
}

void TPDFNames::Clear() {
  FJavaScripts.clear();
  FNamedDestinations.clear();
  FEmbeddedFiles.clear();
  TPDFManager::Clear();
}

void TPDFNames::SaveDestinations(int& treeID) {
  auto& d = FNamedDestinations;
  std::sort(d.begin(), d.end(), [](const auto& a, const auto& b) { return a.Dest < b.Dest; });
  for (auto& e : d) {
    if (e.Page < 0 || e.Page >= FPages->Count()) throw EPDFException("Out of range");
    e.ID = FEngine->GetNextID();
  }
  treeID = FEngine->GetNextID();
  const TPDFSecurity& sec = FEngine->SecurityInfo;
  FEngine->StartObj(treeID);
  std::string s = "/Limits [" + CryptPDFString(sec, d.front().Dest, treeID) +
                  CryptPDFString(sec, d.back().Dest, treeID) + "]\r\n/Names [";
  for (auto& e : d) s += CryptPDFString(sec, e.Dest, treeID) + " " + PDFObjectRef(e.ID) + " ";
  s += "]\r\n";
  FEngine->SaveToStream(s, false);
  FEngine->CloseObj();
  for (auto& e : d) {
    TPDFPage* page = FPages->GetPage(e.Page);
    FEngine->StartObj(e.ID);
    std::string t = "/D [" + page->RefID() + " /FitH " +
                    PDFIntToStr(std::lround(page->HeightPoints() - e.TopOffset / page->D2P())) + "]\r\n";
    FEngine->SaveToStream(t, false);
    FEngine->CloseObj();
  }
}

void TPDFNames::SaveJavaScripts(int& treeID) {
  for (auto& f : FJavaScripts) f.ID = FEngine->GetNextID();
  treeID = FEngine->GetNextID();
  const TPDFSecurity& sec = FEngine->SecurityInfo;
  FEngine->StartObj(treeID);
  std::string s = "/Names [\r\n";
  for (auto& f : FJavaScripts)
    s += CryptPDFString(sec, f.Name, treeID) + " " + PDFObjectRef(f.ID) + "\r\n";
  s += "]\r\n";
  FEngine->SaveToStream(s, false);
  FEngine->CloseObj();
  for (auto& f : FJavaScripts) {
    FEngine->StartObj(f.ID);
    FEngine->SaveToStream("/S /JavaScript /JS " +
                              CryptPDFString(sec, "function " + f.Name + "(" + f.Params + ")" +
                                                      "{" + f.Body + "}",
                                             f.ID),
                          true);
    FEngine->CloseObj();
  }
}

void TPDFNames::SaveEmbeddedFiles(int& treeID) {
  auto& e = FEmbeddedFiles;
  std::sort(e.begin(), e.end(), [](const auto& a, const auto& b) { return a.Title < b.Title; });
  const TPDFSecurity& sec = FEngine->SecurityInfo;
  for (auto& f : e) f.ID = FEngine->GetNextID();
  treeID = FEngine->GetNextID();
  FEngine->StartObj(treeID);
  std::string s = "/Names [";
  for (auto& f : e) s += CryptPDFString(sec, WideToPDFTextString(f.Title), treeID) + PDFObjectRef(f.ID) + " ";
  s += "]\r\n";
  FEngine->SaveToStream(s, false);
  FEngine->CloseObj();
  for (auto& f : e) {
    TMemoryStream raw;
    raw.LoadFromFile(f.FileName);  // raises the file-open error, which aborts the document
    TMemoryStream packed;
    FEngine->Deflate(raw.Memory(), static_cast<std::size_t>(raw.GetSize()), 9, packed);
    int streamID = FEngine->GetNextID();
    FEngine->StartObj(streamID);
    FEngine->SaveToStream("/Filter /FlateDecode /Length " +
                          PDFIntToStr(EncryptedLength(sec.State, packed.GetSize())));
    FEngine->SaveToStream("/Params <</Size " + PDFIntToStr(raw.GetSize()) + ">>");
    FEngine->StartStream();
    CryptPDFStream(sec, packed, *FEngine->Stream(), streamID);
    FEngine->CloseStream();
    UnicodeString name = f.FileName;
    auto slash = name.find_last_of(u'/');
    if (slash != UnicodeString::npos) name = name.substr(slash + 1);
    FEngine->StartObj(f.ID);
    FEngine->SaveToStream("/Type /Filespec /F " + CryptPDFString(sec, WideToPDFTextString(name), f.ID));
    FEngine->SaveToStream("/EF <</F " + PDFObjectRef(streamID) + ">>");
    FEngine->CloseObj();
  }
}

void TPDFNames::Save() {
  if (GetCount() == 0) return;
  int dests = 0, scripts = 0, files = 0;
  if (!FNamedDestinations.empty()) SaveDestinations(dests);
  if (!FJavaScripts.empty()) SaveJavaScripts(scripts);
  if (!FEmbeddedFiles.empty()) SaveEmbeddedFiles(files);
  FEngine->StartObj(ID());
  std::string s;
  if (dests) s += "/Dests " + PDFObjectRef(dests) + "\r\n";
  if (scripts) s += "/JavaScript " + PDFObjectRef(scripts) + "\r\n";
  if (files) s += "/EmbeddedFiles " + PDFObjectRef(files) + "\r\n";
  FEngine->SaveToStream(s, false);
  FEngine->CloseObj();
}
