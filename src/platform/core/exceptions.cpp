#include "platform/core/exceptions.h"

namespace plat {

void Abort() {
    throw EAbort();
}

}  // namespace plat
