// clang-format off
// Input of the layer check's own tests; never compiled.
#include <string>

#include "http/listener.h"
#include "pages/page_context.h"
  #  include "engine/engine.h"
#include "text/text_map.h"
