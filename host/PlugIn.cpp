#include "host/PlugIn.h"

namespace vesko {

TPlugIn& PlugIn() {
  static TPlugIn plug_in;
  return plug_in;
}

}  // namespace vesko
