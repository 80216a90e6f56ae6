#include "swf/runtime/script/text_field_object.h"

#include "swf/runtime/clip.h"

namespace velmora::swf::script {

TextFieldObject::TextFieldObject(Object* proto, Clip& owner, DisplayObject& field)
    : Object(proto, ObjectKind::Host), owner_(owner.handle()), field_(field.textHandle()) {}

}  // namespace velmora::swf::script
