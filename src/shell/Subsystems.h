#pragma once

namespace kroyna::common {
class AppContext;
}

namespace kroyna::shell {

// Connects every feature to the running program's context: each feature's
// install function joins the start-up and shut-down steps and attaches its
// main-window commands.
void installSubsystems(common::AppContext& context);

}  // namespace kroyna::shell
