#pragma once

#include <optional>

#include "swf/runtime/script/native.h"
#include "swf/runtime/text_runs.h"

namespace velmora::swf::script {

// The styles of a TextField.StyleSheet, read once, as a field's HTML parser asks for them; none
// when sheet is no style sheet.
std::optional<TagStyles> fieldTagStyles(CallContext& cx, const Value& sheet);
// Whether sheet is a TextField.StyleSheet (an object holding styles).
bool isStyleSheet(CallContext& cx, const Value& sheet);
// Installs TextField.StyleSheet on the TextField constructor; called by installTextField.
void installStyleSheet(Vm& vm, FunctionObject* textField);

}  // namespace velmora::swf::script
