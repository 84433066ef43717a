// Options of the class library's find and replace dialogs.
#pragma once

#include "platform/base/Types.h"

enum TFindOption {
  frDown,
  frFindNext,
  frHideMatchCase,
  frHideWholeWord,
  frHideUpDown,
  frMatchCase,
  frDisableMatchCase,
  frDisableUpDown,
  frDisableWholeWord,
  frReplace,
  frReplaceAll,
  frWholeWord,
  frShowHelp,
};
using TFindOptions = TSet<TFindOption, 13>;
