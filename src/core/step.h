#pragma once
#include <exception>
#include <string>

#include "components/component_error.h"
#include "core/log.h"
#include "core/vb_math.h"

// The program's one failure rule: a failing component operation or an
// arithmetic fault abandons the rest of the step it happened in, and the
// program carries on with its next step. The message is logged once.
inline void LogStepFailure(const std::exception& e) { LogOnce(e.what()); }

template <class F>
void RunStep(F&& step) {
  try {
    step();
  } catch (const ComponentError& e) {
    LogStepFailure(e);
  } catch (const ArithmeticFault& e) {
    LogStepFailure(e);
  }
}

// A condition that fails while being evaluated counts as passed: execution
// goes on inside it.
template <class F>
bool RunCondition(F&& condition) {
  try {
    return condition();
  } catch (const ComponentError& e) {
    LogStepFailure(e);
  } catch (const ArithmeticFault& e) {
    LogStepFailure(e);
  }
  return true;
}
