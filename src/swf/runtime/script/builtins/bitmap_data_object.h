#pragma once

#include <memory>

#include "swf/runtime/bitmap_pixels.h"
#include "swf/runtime/script/native.h"

namespace velmora::swf::script {

// A flash.display.BitmapData: a picture the script owns. Its pixels are shared with whatever
// shows them (bitmap fills, attached bitmaps) and count towards the heap's limit while the object
// lives. A picture made with a side out of range, or disposed, is empty: its width and height
// read -1 and its methods do nothing.
class BitmapDataObject final : public Object {
public:
    explicit BitmapDataObject(Object* proto)
        : Object(proto, ObjectKind::Host), pixels(std::make_shared<BitmapPixels>()) {}

    const std::shared_ptr<BitmapPixels> pixels;

    const char* className() const override { return "BitmapData"; }
    bool getSpecial(Vm& vm, String* key, Value& out) override;
    bool setSpecial(Vm& vm, String* key, const Value& value) override;
    size_t extraBytes() const override { return pixels->argb.capacity() * sizeof(uint32_t) + Object::extraBytes(); }
};

// value as a BitmapData, or nullptr.
BitmapDataObject* bitmapDataOf(const Value& value);

// The installers of the drawing API on MovieClip.prototype (with attachBitmap) and of
// flash.display.BitmapData.
void installDrawing(Vm& vm);
void installBitmapData(Vm& vm);

}  // namespace velmora::swf::script
