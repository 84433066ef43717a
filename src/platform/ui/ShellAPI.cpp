#include "platform/ui/ShellAPI.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/base/NLS.h"

namespace {
std::uint32_t Get32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
void Put32(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}
// An 8-bit name in the system ANSI code page; byte for byte when that cannot be decoded.
UnicodeString AnsiName(std::string_view s) {
  UnicodeString w;
  if (CodePageToUnicode(CP_ACP, 0, s, w)) return w;
  w.clear();
  for (unsigned char c : s) w += static_cast<char16_t>(c);
  return w;
}
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace

std::vector<UnicodeString> DropFileNames(const void* Block, std::size_t Size) {
  std::vector<UnicodeString> names;
  if (!Block || Size < DropFilesHeaderSize) return names;
  const auto* p = static_cast<const unsigned char*>(Block);
  const std::uint32_t first = Get32(p);
  const bool wide = Get32(p + DropFilesWideOffset) != 0;
  if (first < DropFilesHeaderSize || first > Size) return names;
  std::size_t i = first;
  if (wide) {
    while (i + 1 < Size) {
      UnicodeString name;
      for (; i + 1 < Size; i += 2) {
        const char16_t c = static_cast<char16_t>(p[i] | p[i + 1] << 8);
        if (c == 0) break;
        name += c;
      }
      if (i + 1 >= Size || name.empty()) break;  // cut at the block's end, or the list's end
      i += 2;                                    // past the name's zero
      names.push_back(std::move(name));
    }
  } else {
    while (i < Size) {
      const auto* start = p + i;
      const auto* end = static_cast<const unsigned char*>(std::memchr(start, 0, Size - i));
      if (!end || end == start) break;  // cut at the block's end, or the list's end
      names.push_back(
          AnsiName(std::string_view(reinterpret_cast<const char*>(start), static_cast<std::size_t>(end - start))));
      i += static_cast<std::size_t>(end - start) + 1;
    }
  }
  return names;
}

std::string MakeDropFilesBlock(const std::vector<UnicodeString>& Names) {
  std::string s;
  Put32(s, DropFilesHeaderSize);
  Put32(s, 0);  // the drop point
  Put32(s, 0);
  Put32(s, 0);  // in the client area
  Put32(s, 1);  // UTF-16 names
  for (const UnicodeString& n : Names) {
    if (n.empty()) continue;
    for (char16_t c : n) {
      s += static_cast<char>(c & 0xFF);
      s += static_cast<char>(c >> 8);
    }
    s.append(2, '\0');
  }
  s.append(2, '\0');
  return s;
}

UINT DragQueryFileW(HDROP hDrop, UINT iFile, WideChar* lpszFile, UINT cch) {
  if (!hDrop) return 0;
  const std::vector<UnicodeString> names = DropFileNames(GlobalLock(hDrop), GlobalSize(hDrop));
  GlobalUnlock(hDrop);
  if (iFile == 0xFFFFFFFFu) return static_cast<UINT>(names.size());
  if (iFile >= names.size()) return 0;
  const UnicodeString& n = names[iFile];
  if (!lpszFile) return static_cast<UINT>(n.size());
  if (cch == 0) return 0;
  const std::size_t copied = std::min<std::size_t>(n.size(), cch - 1);
  std::memcpy(lpszFile, n.data(), copied * sizeof(WideChar));
  lpszFile[copied] = 0;
  return static_cast<UINT>(copied);
}

std::vector<UnicodeString> FileNamesFromUriList(const std::string& UriList) {
  std::vector<UnicodeString> names;
  std::size_t pos = 0;
  while (pos < UriList.size()) {
    std::size_t end = UriList.find('\n', pos);
    if (end == std::string::npos) end = UriList.size();
    std::string line = UriList.substr(pos, end - pos);
    pos = end + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\0')) line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (line.size() < 5 || !std::equal(line.begin(), line.begin() + 5, "file:", [](char a, char b) {
          return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b;
        }))
      continue;
    std::string path = line.substr(5);
    if (path.rfind("//", 0) == 0) {
      // "file://host/path": the path starts at the host's end.
      const std::size_t slash = path.find('/', 2);
      if (slash == std::string::npos) continue;
      path = path.substr(slash);
    }
    std::string decoded;
    for (std::size_t i = 0; i < path.size(); ++i) {
      if (path[i] == '%' && i + 2 < path.size() && HexValue(path[i + 1]) >= 0 && HexValue(path[i + 2]) >= 0) {
        decoded += static_cast<char>(HexValue(path[i + 1]) * 16 + HexValue(path[i + 2]));
        i += 2;
      } else {
        decoded += path[i];
      }
    }
    if (decoded.empty() || decoded.find('\0') != std::string::npos) continue;
    names.push_back(Utf8ToUnicode(decoded));
  }
  return names;
}

std::string UriListFromFileNames(const std::vector<UnicodeString>& Names) {
  static const char Hex[] = "0123456789ABCDEF";
  std::string list;
  for (const UnicodeString& n : Names) {
    if (n.empty()) continue;
    list += "file://";
    for (unsigned char c : UnicodeToUtf8(n)) {
      const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                         std::strchr("/-._~!$&'()*+,;=:@", c);
      if (plain && c != 0) {
        list += static_cast<char>(c);
      } else {
        list += '%';
        list += Hex[c >> 4];
        list += Hex[c & 0xF];
      }
    }
    list += "\r\n";
  }
  return list;
}
