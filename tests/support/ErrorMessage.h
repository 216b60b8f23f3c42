#pragma once

#include <functional>
#include <string>

// The message of the system's own error that Action raises, or "no error"; other exceptions pass on.
std::string MessageOf(const std::function<void()>& Action);
