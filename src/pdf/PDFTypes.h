// Option types, enumerations and small records shared by every part of the PDF writer.
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/SysUtils.h"
#include "platform/base/Types.h"

// Misuse of the writer raises this with one of its fixed English messages.
TAVRELO_EXCEPTION(EPDFException, Exception)

enum TCompressionType { ctNone, ctFlate };
enum TImgCopyType { icRectangle, icImageOnly };
enum TImageCompressionType { itcFlate, itcJpeg, itcCCITT3, itcCCITT32d, itcCCITT4, itcJBIG2 };
enum TPDFLineJoin { ljMiter, ljRound, ljBevel };
enum TPDFLineCap { lcButtEnd, lcRound, lcProjectingSquare };
enum TPDFPageRotate { pr0, pr90, pr180, pr270 };
enum THorJust { hjLeft, hjCenter, hjRight };
enum TVertJust { vjUp, vjCenter, vjDown };
enum TViewerPreference { vpHideToolBar, vpHideMenuBar, vpHideWindowUI, vpFitWindow, vpCenterWindow };
using TViewerPreferences = TSet<TViewerPreference, 5>;
enum TPageLayout { plSinglePage, plOneColumn, plTwoColumnLeft, plTwoColumnRight };
enum TPageMode { pmUseNone, pmUseOutlines, pmUseThumbs, pmFullScreen };
enum TPDFPageSize {
  psLetter, psA4, psA3, psLegal, psB5, psC5, ps8x11, psB4, psA5, psFolio, psExecutive, psEnvB4,
  psEnvB5, psEnvC6, psEnvDL, psEnvMonarch, psEnv9, psEnv10, psEnv11
};
enum TPDFPageOrientation { poPagePortrait, poPageLandscape };
enum TPDFMinVersion { pdfver14, pdfver15, pdfver17, pdfver19 };
enum TPDFAnnotationFlag { afInvisible, afHidden, afPrint, afNoZoom, afNoRotate, afNoView, afReadOnly };
using TPDFAnnotationFlags = TSet<TPDFAnnotationFlag, 7>;
enum TActionAnnotationHilightMode { aahlNone, aahlInvert, aalhOutline, aahlPush };
enum TPDFStdFont {
  stdfHelvetica, stdfHelveticaBold, stdfHelveticaOblique, stdfHelveticaBoldOblique,
  stdfTimesRoman, stdfTimesBold, stdfTimesItalic, stdfTimesBoldItalic,
  stdfCourier, stdfCourierBold, stdfCourierOblique, stdfCourierBoldOblique,
  stdfSymbol, stdfZapfDingbats
};
enum TPDFSecurityState { ssNone, ss40RC4, ss128RC4, ss128AES, ss256AES };
enum TPDFSecurityPermission {
  coPrint, coModifyStructure, coCopyInformation, coModifyAnnotation, coPrintHi, coFillAnnotation,
  coExtractInfo, coAssemble
};
using TPDFSecurityPermissions = TSet<TPDFSecurityPermission, 8>;

enum TPDFColorSpace { csGray, csRGB, csCMYK };

// A colour of one of the three device spaces; components run from 0 to 1.
struct TPDFColor {
  TPDFColorSpace ColorSpace = csGray;
  Extended Gray = 0;
  Extended Red = 0, Green = 0, Blue = 0;
  Extended Cyan = 0, Magenta = 0, Yellow = 0, Key = 0;
};

struct TDoublePoint {
  Extended x = 0, y = 0;
};
