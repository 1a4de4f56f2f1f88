#pragma once

#include <cstdint>
#include <string>

#include "scenario/scenario.h"

namespace standin {

// An argument slot that a `when` condition tests, and where.
struct WhenSlot {
  std::size_t line = 0;
  std::uint64_t native = 0;
  unsigned index = 0;
  bool isText = false;  // tested against a quoted text
};

// Why a scenario, once read whole, cannot test that slot (an out-variable the
// game writes; a text against a slot not declared a text, or the reverse), or empty.
std::string whenSlotRefusal(const Scenario& scenario, const WhenSlot& slot);

}  // namespace standin
