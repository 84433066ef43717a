// The editor's way of running an edit whose closing steps must happen however the edit ends.
#pragma once

namespace rvedit_protected {

// Runs Body, then Cleanup also when Body raises (the exception goes on). Unlike a scope guard, an
// exception from Cleanup itself reaches the caller.
template <class TBody, class TCleanup>
void RunProtected(TBody&& Body, TCleanup&& Cleanup) {
  try {
    Body();
  } catch (...) {
    Cleanup();
    throw;
  }
  Cleanup();
}

}  // namespace rvedit_protected
