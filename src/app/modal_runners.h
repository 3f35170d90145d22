#pragma once
#include "app/main_window_options.h"

namespace qnc {

// The given runners, with the real window or box in place of every one left empty.
ModalRunners CompleteModalRunners(ModalRunners given);

}  // namespace qnc
