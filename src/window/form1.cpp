#include "window/form1.h"

namespace velmora {

Form1::Form1(const Form1Controls& controls) : c_(controls) {}

}  // namespace velmora
