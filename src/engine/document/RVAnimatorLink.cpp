#include "engine/document/RVAnimatorLink.h"

TRVMakeAnimatorProc MakeAnimatorProc = nullptr;
