#pragma once

namespace qnc {

// True when the process runs with the super-user's effective identity.
bool RunningAsRoot();

}  // namespace qnc
