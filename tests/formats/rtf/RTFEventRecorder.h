// A recording sink for the RTF reader's events, shared by the reader's tests: it hooks the
// reader's events and keeps each as one short line, so that a test states the whole sequence it
// expects as a list of strings.
//
//   text       P"A"  L"B"  C"C"      (position: P new paragraph, L new line, C continues)
//              8-bit text is shown byte for byte, Unicode text as UTF-8 with a leading u: uP"A"
//   table      table:start table:end table:forced-end row:end cell:end
//   notes      note:start@P note:endnote note:char@C note:end@C
//   header     hf:header+ hf:header-   (+ starting, - ending; footer, headerl, footerl, ...)
//   others     page  bmk:name  marker  end-parsing
//   pictures   pict@P  object@P
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "formats/rtf/RVRTFReader.h"
#include "formats/rtf/RVRTFReaderState.h"
#include "platform/base/Classes.h"
#include "platform/base/SysUtils.h"

struct TRTFEventRecorder {
  std::vector<std::string> Events;
  // Called at every text event (after recording) with the reader, to look at its state then.
  std::function<void(TRVRTFReader&)> OnTextSeen;

  static const char* PositionName(TRVRTFPosition p) {
    return p == rtf_ts_NewPara ? "P" : p == rtf_ts_NewLine ? "L" : "C";
  }

  // Hooks the events. Unicode: the reader may report Unicode text (OnNewUnicodeText assigned);
  // Markers: OnUpdateMarker is recorded as "marker" (it runs around every mark).
  void Attach(TRVRTFReader& r, bool Unicode = true, bool Markers = false) {
    r.OnNewText = [this, &r](TObject*, const TRVAnsiString& t, TRVRTFPosition p) {
      Events.push_back(std::string(PositionName(p)) + "\"" + t + "\"");
      if (OnTextSeen) OnTextSeen(r);
    };
    if (Unicode)
      r.OnNewUnicodeText = [this, &r](TObject*, const TRVUnicodeString& t, TRVRTFPosition p) {
        Events.push_back("u" + std::string(PositionName(p)) + "\"" + UnicodeToUtf8(t) + "\"");
        if (OnTextSeen) OnTextSeen(r);
      };
    r.OnTable = [this](TObject*, TRVRTFTableEventKind k, bool&) {
      static const char* const names[] = {"table:start",        "table:end", "table:forced-end",
                                          "table:last-row-end", "row:end",   "cell:end"};
      Events.push_back(names[k]);
    };
    r.OnRequiredPageBreak = [this](TObject*) { Events.push_back("page"); };
    r.OnNote = [this](TObject*, TRVRTFNoteEventType w, TRVRTFPosition p) {
      static const char* const names[] = {"note:char", "note:start", "note:endnote", "note:end"};
      Events.push_back(w == rtf_ne_EndNote ? std::string(names[w]) : std::string(names[w]) + "@" + PositionName(p));
    };
    r.OnHeaderFooter = [this](TObject*, TRVRTFHeaderFooterType k, bool starting, bool& supported) {
      static const char* const names[] = {"main", "header", "footer", "headerl", "footerl", "headerf", "footerf"};
      Events.push_back(std::string("hf:") + names[k] + (starting ? "+" : "-"));
      if (starting) supported = SupportHeaders;
    };
    r.OnBookmarkStart = [this](TObject*, const TRVUnicodeString& n) { Events.push_back("bmk:" + UnicodeToUtf8(n)); };
    r.OnEndParsing = [this](TObject*) { Events.push_back("end-parsing"); };
    if (Markers) r.OnUpdateMarker = [this](TObject*) { Events.push_back("marker"); };
  }

  // Reads rtf from a memory stream.
  static TRVRTFErrorCode Read(TRVRTFReader& r, const std::string& rtf) {
    TMemoryStream stream;
    if (!rtf.empty()) stream.WriteBuffer(rtf.data(), static_cast<std::int64_t>(rtf.size()));
    stream.SetPosition(0);
    return r.ReadFromStream(&stream);
  }

  // The events but "end-parsing", joined with " | ".
  std::string Joined() const {
    std::string s;
    for (const std::string& e : Events) {
      if (e == "end-parsing") continue;
      if (!s.empty()) s += " | ";
      s += e;
    }
    return s;
  }

  // What the header and footer handler answers when one starts.
  bool SupportHeaders = true;
};
