#!/usr/bin/env bash
# Writes the RTF reading corpus: source documents in several languages (written here, kept in
# sources/), their RTF as two independent writers make it (LibreOffice and pandoc), a few RTF
# files written by hand for code pages and Unicode escapes, and next to every RTF file the plain
# text that LibreOffice exports from it (UTF-8), which the corpus test compares the reader with.
#
# Run on a development machine with LibreOffice and pandoc (scripts/setup.sh --corpus); commit
# what it writes. CI only reads the files. The output depends on the writers' versions: rerun
# the whole script rather than editing single files.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
src="$here/sources"
work="$(mktemp -d /tmp/tavrelo-rtfcorpus.XXXXXX)"
trap 'rm -rf "$work"' EXIT
# A profile of its own, so that a run never meets a running office or another run.
profile="-env:UserInstallation=file://$work/profile"

for tool in soffice pandoc python3; do
  command -v "$tool" >/dev/null || { echo "make_corpus.sh: $tool is missing" >&2; exit 1; }
done

rm -rf "$src"
mkdir -p "$src"
rm -f "$here"/*.rtf "$here"/*.txt

# --- Sample texts -------------------------------------------------------------------------------
LATIN="The quick brown fox jumps over the lazy dog. Français : déjà vu, naïve, cœur ; Deutsch: Größe, Straße, Übung."
CYRILLIC="Съешь же ещё этих мягких французских булок, да выпей чаю. Широкая электрификация южных губерний."
GREEK="Ξεσκεπάζω την ψυχοφθόρα βδελυγμία. Καλημέρα κόσμε, ευχαριστώ πολύ."
HEBREW="דג סקרן שט בים מאוכזב ולפתע מצא חברה. שלום עולם."
ARABIC="نص حكيم له سر قاطع وذو شأن عظيم مكتوب على ثوب أخضر. مرحبا بالعالم."
CJK="我能吞下玻璃而不伤身体。いろはにほへと ちりぬるを。다람쥐 헌 쳇바퀴에 타고파."

# --- A small picture: a 16 x 12 PNG, and the same as base64 for the flat documents ---------------
python3 - "$src/picture.png" <<'PY'
import struct, sys, zlib
w, h = 16, 12
rows = b"".join(b"\0" + b"".join(bytes((x * 16 % 256, y * 20 % 256, 128)) for x in range(w))
               for y in range(h))
def chunk(t, d):
    return struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d) & 0xffffffff)
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)) \
    + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")
open(sys.argv[1], "wb").write(png)
PY
PNG64="$(base64 -w 0 "$src/picture.png")"

# --- LibreOffice sources: flat ODF text documents -----------------------------------------------
# fodt NAME TITLE PARA1 PARA2 ITEM1 ITEM2 CELL1 CELL2 NOTE HEADER [rtl]
# Each has paragraph and character styles, a heading, a numbered and a bulleted list, a table, a
# footnote, a header and a footer, fields (a fixed date where left to right, a sequence, a
# hyperlink, a bookmark reference, the page count; the page number only in the footer, since the
# office's text export recomputes it without a layout and writes 0 where the file holds 1), a
# line break, a tab and embedded pictures.
fodt() {
  local name="$1" title="$2" p1="$3" p2="$4" i1="$5" i2="$6" c1="$7" c2="$8" note="$9" header="${10}"
  local dir="lr-tb" align="start"
  local date='<text:date text:fixed="true" style:data-style-name="" text:date-value="2024-03-15">15.03.24</text:date>. '
  # Right to left, the export writes a date field's digits in an order of its own ("3-24-15" for
  # the stored "15-3-24"): the right-to-left documents have no date field.
  if [ "${11:-}" = rtl ]; then dir="rl-tb"; align="end"; date=""; fi
  cat >"$src/$name.fodt" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:xlink="http://www.w3.org/1999/xlink"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">
<office:font-face-decls>
 <style:font-face style:name="Liberation Serif" svg:font-family="'Liberation Serif'" style:font-family-generic="roman"/>
 <style:font-face style:name="Liberation Sans" svg:font-family="'Liberation Sans'" style:font-family-generic="swiss"/>
 <style:font-face style:name="DejaVu Sans Mono" svg:font-family="'DejaVu Sans Mono'" style:font-family-generic="modern"/>
 <style:font-face style:name="WenQuanYi Micro Hei" svg:font-family="'WenQuanYi Micro Hei'" style:font-family-generic="swiss"/>
</office:font-face-decls>
<office:styles>
 <style:style style:name="Standard" style:family="paragraph">
  <style:paragraph-properties fo:text-align="$align" style:writing-mode="$dir"/>
  <style:text-properties style:font-name="Liberation Serif" fo:font-size="12pt" style:font-name-asian="WenQuanYi Micro Hei" style:font-name-complex="DejaVu Sans Mono"/>
 </style:style>
 <style:style style:name="Heading_20_1" style:display-name="Heading 1" style:family="paragraph" style:parent-style-name="Standard" style:default-outline-level="1">
  <style:paragraph-properties fo:margin-top="0.4cm" fo:margin-bottom="0.2cm"/>
  <style:text-properties style:font-name="Liberation Sans" fo:font-size="18pt" fo:font-weight="bold" fo:color="#1f3864"/>
 </style:style>
 <style:style style:name="Quotation" style:family="paragraph" style:parent-style-name="Standard">
  <style:paragraph-properties fo:margin-left="1cm" fo:margin-right="1cm" fo:text-align="justify"/>
  <style:text-properties fo:font-style="italic" fo:color="#595959"/>
 </style:style>
 <style:style style:name="Strong" style:family="text"><style:text-properties fo:font-weight="bold" fo:color="#c00000"/></style:style>
 <style:style style:name="Code" style:family="text"><style:text-properties style:font-name="DejaVu Sans Mono" fo:background-color="#eeeeee"/></style:style>
</office:styles>
<office:automatic-styles>
 <style:style style:name="T1" style:family="text"><style:text-properties fo:font-style="italic" style:text-underline-style="solid" style:text-underline-width="auto" style:text-underline-color="font-color"/></style:style>
 <style:style style:name="T2" style:family="text"><style:text-properties fo:color="#2e7d32" fo:font-size="14pt"/></style:style>
 <style:style style:name="Tbl" style:family="table"><style:table-properties style:width="12cm" table:align="left"/></style:style>
 <style:style style:name="Cell" style:family="table-cell"><style:table-cell-properties fo:border="0.5pt solid #000000" fo:padding="0.1cm"/></style:style>
 <text:list-style style:name="LNum">
  <text:list-level-style-number text:level="1" style:num-suffix="." style:num-format="1"><style:list-level-properties text:space-before="0.5cm" text:min-label-width="0.6cm"/></text:list-level-style-number>
  <text:list-level-style-number text:level="2" style:num-suffix=")" style:num-format="a"><style:list-level-properties text:space-before="1.2cm" text:min-label-width="0.6cm"/></text:list-level-style-number>
 </text:list-style>
 <text:list-style style:name="LBul">
  <text:list-level-style-bullet text:level="1" text:bullet-char="•"><style:list-level-properties text:space-before="0.5cm" text:min-label-width="0.6cm"/></text:list-level-style-bullet>
 </text:list-style>
 <style:page-layout style:name="pm1">
  <style:page-layout-properties fo:page-width="21cm" fo:page-height="29.7cm" fo:margin-top="2cm" fo:margin-bottom="2cm" fo:margin-left="2.5cm" fo:margin-right="2cm" style:writing-mode="$dir"/>
  <style:header-style><style:header-footer-properties fo:min-height="0.6cm"/></style:header-style>
  <style:footer-style><style:header-footer-properties fo:min-height="0.6cm"/></style:footer-style>
 </style:page-layout>
</office:automatic-styles>
<office:master-styles>
 <style:master-page style:name="Standard" style:page-layout-name="pm1">
  <style:header><text:p text:style-name="Standard">$header</text:p></style:header>
  <style:footer><text:p text:style-name="Standard"><text:page-number text:select-page="current">1</text:page-number> / <text:page-count>1</text:page-count></text:p></style:footer>
 </style:master-page>
</office:master-styles>
<office:body><office:text>
 <text:sequence-decls><text:sequence-decl text:display-outline-level="0" text:name="Illustration"/></text:sequence-decls>
 <text:h text:style-name="Heading_20_1" text:outline-level="1"><text:bookmark-start text:name="top"/>$title<text:bookmark-end text:name="top"/></text:h>
 <text:p text:style-name="Standard">$p1<text:note text:id="ftn1" text:note-class="footnote"><text:note-citation>1</text:note-citation><text:note-body><text:p text:style-name="Standard">$note</text:p></text:note-body></text:note> <text:span text:style-name="Strong">$i1</text:span> <text:span text:style-name="T1">$i2</text:span><text:tab/><text:span text:style-name="Code">x = 1;</text:span></text:p>
 <text:p text:style-name="Quotation">$p2<text:line-break/><text:span text:style-name="T2">$c1</text:span></text:p>
 <text:list text:style-name="LNum">
  <text:list-item><text:p text:style-name="Standard">$i1</text:p>
   <text:list><text:list-item><text:p text:style-name="Standard">$c1</text:p></text:list-item><text:list-item><text:p text:style-name="Standard">$c2</text:p></text:list-item></text:list>
  </text:list-item>
  <text:list-item><text:p text:style-name="Standard">$i2</text:p></text:list-item>
 </text:list>
 <text:list text:style-name="LBul">
  <text:list-item><text:p text:style-name="Standard">$c1</text:p></text:list-item>
  <text:list-item><text:p text:style-name="Standard">$c2</text:p></text:list-item>
 </text:list>
 <table:table table:name="Table1" table:style-name="Tbl">
  <table:table-column table:number-columns-repeated="3"/>
  <table:table-row>
   <table:table-cell table:style-name="Cell" office:value-type="string"><text:p text:style-name="Standard">$i1</text:p></table:table-cell>
   <table:table-cell table:style-name="Cell" office:value-type="string"><text:p text:style-name="Standard">$i2</text:p></table:table-cell>
   <table:table-cell table:style-name="Cell" office:value-type="string"><text:p text:style-name="Standard">42</text:p></table:table-cell>
  </table:table-row>
  <table:table-row>
   <table:table-cell table:style-name="Cell" table:number-columns-spanned="2" office:value-type="string"><text:p text:style-name="Standard">$c1</text:p><text:p text:style-name="Standard">$c2</text:p></table:table-cell>
   <table:covered-table-cell/>
   <table:table-cell table:style-name="Cell" office:value-type="string"><text:p text:style-name="Standard"><draw:frame draw:name="pic2" text:anchor-type="as-char" svg:width="0.8cm" svg:height="0.6cm"><draw:image><office:binary-data>$PNG64</office:binary-data></draw:image></draw:frame></text:p></table:table-cell>
  </table:table-row>
 </table:table>
 <text:p text:style-name="Standard"><draw:frame draw:name="pic1" text:anchor-type="as-char" svg:width="1.6cm" svg:height="1.2cm"><draw:image><office:binary-data>$PNG64</office:binary-data></draw:image></draw:frame> <text:sequence text:ref-name="refIllustration0" text:name="Illustration" text:formula="ooow:Illustration+1" style:num-format="1">1</text:sequence>: $c2</text:p>
 <text:p text:style-name="Standard">$c1 <text:a xlink:type="simple" xlink:href="https://example.org/$name">$c2</text:a>. $date<text:page-count>1</text:page-count>. <text:bookmark-ref text:reference-format="text" text:ref-name="top">$title</text:bookmark-ref></text:p>
 <text:p text:style-name="Standard"/>
 <text:p text:style-name="Standard">$p2</text:p>
</office:text></office:body>
</office:document>
EOF
}

fodt lo_latin "Corpus document" "$LATIN" "Pack my box with five dozen liquor jugs." \
  "First item" "Second item" "Left cell" "Right cell" "A footnote with é and ß." "Header of the Latin document"
fodt lo_cyrillic "Документ корпуса" "$CYRILLIC" "В чащах юга жил бы цитрус? Да, но фальшивый экземпляр!" \
  "Первый пункт" "Второй пункт" "Левая ячейка" "Правая ячейка" "Сноска на русском." "Верхний колонтитул"
fodt lo_greek "Έγγραφο" "$GREEK" "Γαζέες καὶ μυρτιὲς δὲν θὰ βρῶ πιὰ στὸ χρυσαφὶ ξέφωτο." \
  "Πρώτο" "Δεύτερο" "Αριστερά" "Δεξιά" "Υποσημείωση." "Κεφαλίδα"
fodt lo_hebrew "מסמך" "$HEBREW" "עטלף אבק נס דרך מזגן שהתפוצץ כי חם." \
  "ראשון" "שני" "שמאל" "ימין" "הערת שוליים." "כותרת עליונה" rtl
fodt lo_arabic "وثيقة" "$ARABIC" "صِف خَلقَ خَودِ كَمِثلِ الشَمسِ إِذ بَزَغَت." \
  "الأول" "الثاني" "يسار" "يمين" "حاشية سفلية." "رأس الصفحة" rtl
fodt lo_cjk "文档" "$CJK" "日本語の文章と中文的句子，还有한국어 문장。" \
  "第一项" "第二项" "左边" "右边" "脚注。" "页眉"

# A mixed document through the office's HTML import: every script in one file, text colours,
# fonts and a table.
cat >"$src/lo_mixed.html" <<EOF
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Mixed</title></head><body>
<h1>Mixed scripts</h1>
<p><font face="Liberation Sans" color="#c00000">$LATIN</font></p>
<p><b>$CYRILLIC</b></p>
<p><i>$GREEK</i></p>
<p dir="rtl">$HEBREW</p>
<p dir="rtl">$ARABIC</p>
<p><font face="WenQuanYi Micro Hei">$CJK</font></p>
<ol><li>Latin</li><li>Кириллица</li><li>Ελληνικά</li></ol>
<table border="1"><tr><th>Script</th><th>Sample</th></tr>
<tr><td>Hebrew</td><td dir="rtl">שלום</td></tr><tr><td>Arabic</td><td dir="rtl">سلام</td></tr>
<tr><td>CJK</td><td>你好 こんにちは 안녕하세요</td></tr></table>
<p>Text after the table.<br>And a line after a break.</p>
</body></html>
EOF

# --- pandoc sources: Markdown ---------------------------------------------------------------------
# mdoc NAME TITLE PARA1 PARA2 ITEM1 ITEM2 NOTE
mdoc() {
  cat >"$src/$1.md" <<EOF
---
title: $2
author: Corpus
---

# $2

$3[^n1]

> $4

1. $5
2. $6
   - **$5**
   - *$6*

| A | B |
|---|---|
| $5 | $6 |
| \`code\` | 42 |

![$5](picture.png)

[$6](https://example.org/$1) and a hard\\
line break.

[^n1]: $7
EOF
}
mdoc pd_latin "Corpus document" "$LATIN" "Pack my box with five dozen liquor jugs." "First item" "Second item" "A note."
mdoc pd_cyrillic "Документ" "$CYRILLIC" "В чащах юга жил бы цитрус?" "Первый" "Второй" "Сноска."
mdoc pd_greek "Έγγραφο" "$GREEK" "Γαζέες καὶ μυρτιὲς." "Πρώτο" "Δεύτερο" "Υποσημείωση."
mdoc pd_hebrew_arabic "מסמך وثيقة" "$HEBREW" "$ARABIC" "ראשון" "الأول" "הערה."
mdoc pd_cjk "文档" "$CJK" "日本語の文章。" "第一项" "第二项" "脚注。"

# --- Hand-written RTF: code pages and Unicode escapes --------------------------------------------
# Windows-1251 bytes through the document code page and through a font's charset, and "\u"
# runs with 0, 1 and 2 replacement bytes, with "\uc" scoped by groups.
crlf() { sed 's/$/\r/' >"$here/$1"; }
crlf hand_cp1251.rtf <<'EOF'
{\rtf1\ansi\ansicpg1251\deff0{\fonttbl{\f0\froman\fcharset204 Times New Roman;}{\f1\fswiss\fcharset0 Arial;}}
{\colortbl;\red0\green0\blue0;\red192\green0\blue0;}
\pard\plain\f0\fs24 \'cf\'f0\'e8\'e2\'e5\'f2, \'ec\'e8\'f0! \'d1\'fa\'e5\'f8\'fc \'e6\'e5 \'e5\'f9\'b8.\par
\pard\f0\cf2\b \'c6\'e8\'f0\'ed\'fb\'e9\b0\cf0  \'e8 \'ea\'f3\'f0\'f1\'e8\'e2\par
\pard\f1 Latin \'e9t\'e9 in a Western font.\par
\pard\f0 \'ba\'bf\'a8\'b8 \'b9 \'96 \'97 \'ab\'bb\par
}
EOF
crlf hand_fcharset.rtf <<'EOF'
{\rtf1\ansi\deff0{\fonttbl{\f0\fnil\fcharset204 Arial;}{\f1\fnil\fcharset161 Arial;}{\f2\fnil\fcharset0 Arial;}}
\pard\f0\'cf\'f0\'e8\'e2\'e5\'f2 (1251 through the font)\par
\pard\f1\'ca\'e1\'eb\'e7\'ec\'dd\'f1\'e1 (1253 through the font)\par
\pard\f2 caf\'e9 (1252)\par
}
EOF
crlf hand_uc0.rtf <<'EOF'
{\rtf1\ansi\ansicpg1252\uc0\deff0{\fonttbl{\f0\fswiss\fcharset0 Arial;}}
\pard\f0\u1055\u1088\u1080\u1074\u1077\u1090 \u945\u946\u947 \u1513\u1500\u1493\u1501\par
\pard\u-28647\u-30053 \u20320\u22909 \u-10179\u-8704 end\par
}
EOF
crlf hand_uc1.rtf <<'EOF'
{\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fswiss\fcharset0 Arial;}}
\pard\f0\uc1\u1055?\u1088?\u1080?\u1074?\u1077?\u1090? \u233\'e9 and \u8364\'80\par
\pard Emoji \u-10179?\u-8704? and CJK \u-28647?\u-30053? \u20320?\par
\pard{\uc2 in a group \u946\'e2\'e2 done} after \u947? group\par
}
EOF
crlf hand_uc2.rtf <<'EOF'
{\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fswiss\fcharset0 Arial;}}
\pard\f0\uc2\u1055\'cf\'f0\u1088\'f0\'f0\u1080??\u1074 ab\par
\pard\uc2\u945\'e1\'e1\u946\'e2\'e2 \u947\'e3\'e3!\par
\pard\uc2\u8364\'80\'80 \uc1\u8364\'80 \uc0\u8364 end\par
}
EOF

# --- Conversions -----------------------------------------------------------------------------------
soffice_rtf() {  # soffice_rtf SOURCE OUTNAME [import filter]
  local in="$1" out="$2" filter="${3:-}"
  mkdir -p "$work/out"
  if [ -n "$filter" ]; then
    soffice "$profile" --headless --infilter="$filter" --convert-to rtf --outdir "$work/out" "$in" >/dev/null 2>&1
  else
    soffice "$profile" --headless --convert-to rtf --outdir "$work/out" "$in" >/dev/null 2>&1
  fi
  mv "$work/out/$(basename "${in%.*}").rtf" "$here/$out.rtf"
}
for f in "$src"/lo_*.fodt; do
  n="$(basename "${f%.fodt}")"
  soffice_rtf "$f" "$n"
done
soffice_rtf "$src/lo_mixed.html" lo_mixed "HTML (StarWriter)"
for f in "$src"/pd_*.md; do
  n="$(basename "${f%.md}")"
  (cd "$src" && pandoc -s -f markdown -t rtf -o "$here/$n.rtf" "$(basename "$f")")
done

# The expected text: LibreOffice's plain-text export of each RTF file, as UTF-8 with line feeds.
# The export begins with a byte-order mark, which is taken off.
for f in "$here"/*.rtf; do
  n="$(basename "${f%.rtf}")"
  mkdir -p "$work/txt"
  soffice "$profile" --headless --convert-to 'txt:Text (encoded):UTF8,LF' --outdir "$work/txt" "$f" >/dev/null 2>&1
  sed '1s/^\xEF\xBB\xBF//' "$work/txt/$n.txt" >"$here/$n.txt"
done

du -sh "$here" | cut -f1 | sed 's/^/corpus size: /'
