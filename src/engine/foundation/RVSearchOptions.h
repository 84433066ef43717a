// Options of the editor's text search.
#pragma once

#include "platform/base/Types.h"

enum TRVESearchOption { rvseoMatchCase, rvseoDown, rvseoWholeWord, rvseoMultiItem, rvseoSmartStart };
using TRVESearchOptions = TSet<TRVESearchOption, 5>;
