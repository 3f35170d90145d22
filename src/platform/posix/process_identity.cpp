#include "platform/process_identity.h"

#include <unistd.h>

namespace qnc {

bool RunningAsRoot() { return ::geteuid() == 0; }

}  // namespace qnc
