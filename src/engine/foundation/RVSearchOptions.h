// Options of text search: the viewer's and the editor's sets.
#pragma once

#include "platform/base/Types.h"

enum TRVSearchOption { rvsroMatchCase, rvsroDown, rvsroWholeWord, rvsroFromStart, rvsroMultiItem, rvsroSmartStart };
using TRVSearchOptions = TSet<TRVSearchOption, 6>;

enum TRVESearchOption { rvseoMatchCase, rvseoDown, rvseoWholeWord, rvseoMultiItem, rvseoSmartStart };
using TRVESearchOptions = TSet<TRVESearchOption, 5>;
