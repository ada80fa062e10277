// The subcommands of framegrab: each renders one kind of frame.
#pragma once

#include "frame.h"
#include "options.h"

namespace framegrab {

struct Command {
  const char* name;
  const char* usage;  // the arguments after the name
  // Renders the frame the options ask for; throws std::runtime_error with a
  // message for the user on bad options.
  Frame (*render)(const Options& options);
};

// The commands' render functions, one file each.
Frame RenderCondemo(const Options& options);  // condemo.cpp
Frame RenderEffect(const Options& options);   // effect.cpp

}  // namespace framegrab
