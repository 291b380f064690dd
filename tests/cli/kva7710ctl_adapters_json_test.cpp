// kva7710ctl with several simulated adapter boards, and its --json documents.
#include <gtest/gtest.h>

#include "cli/ctl_runner.h"
#include "support/temp_dir.h"

namespace {

using kvatest::RunCtl;

}  // namespace
