#pragma once

#include <string>

#include "swf/runtime/clip_handle.h"
#include "swf/runtime/script/object.h"

namespace velmora::swf::script {

// The script side of a movie clip: its timeline variables are the object's properties, its
// special properties (_x, _currentframe, ...) and child clips are answered by the host hooks.
//
// A reference keeps the clip's target path, as the player keeps clip references: while the clip
// lives it is the clip; once it is removed the reference follows the path, so that it reads as
// undefined while nothing is there and reaches a new clip placed at the same path.
class ClipObject final : public Object {
public:
    ClipObject(Object* proto, Clip& clip);

    // The clip while it lives, nullptr after.
    Clip* ownClip() const { return handle_.get(); }
    // The clip this reference reaches now: its own, or whatever lives at its path.
    Clip* clip(Vm& vm) const;
    // The object of the clip this reference reaches now (itself while its clip lives), or nullptr.
    ClipObject* current(Vm& vm);
    const std::string& path() const { return path_; }

    // Still "movieclip" once the clip is removed: what typeof sees is the reference, a path, not
    // whether something stands at its end now. The language leaves a host object's typeof to the
    // host; authors test removed clips with `clip._name == undefined`, which works either way.
    const char* typeOf() const override { return "movieclip"; }
    const char* className() const override { return "MovieClip"; }
    bool getSpecial(Vm& vm, String* key, Value& out) override;
    bool setSpecial(Vm& vm, String* key, const Value& value) override;
    void specialNames(Vm& vm, std::vector<Value>& out) override;
    bool isDead() const override { return !handle_.get(); }

private:
    ClipHandle handle_;
    std::string path_;  // dot form, "_level0.a.b"
};

}  // namespace velmora::swf::script
