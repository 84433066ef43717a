#include "engine/foundation/RVError.h"

#include <new>

#include "platform/graphics/Pictures.h"

void RVRethrowUnlessDataError() {
  try {
    throw;
  } catch (const EStreamError&) {
  } catch (const EConvertError&) {
  } catch (const EInvalidGraphic&) {
  } catch (const EViroZereError&) {
  } catch (const EOutOfMemory&) {
  } catch (const std::bad_alloc&) {
  }
}
