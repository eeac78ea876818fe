#pragma once

#include "swf/player.h"

namespace fotarel::swf {

// A script engine over the AVM1 virtual machine, calling back into `player`.
std::unique_ptr<ScriptEngine> makeAvm1Engine(Player& player);

} // namespace fotarel::swf
